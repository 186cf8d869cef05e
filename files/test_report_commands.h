#pragma once
// The operator's report file commands: "保存为..." (save as), "打开" (open) and the quick write
// of "确定" and File → "保存" to the current report file. The current report file is the data
// folder's "新文件.care" until a save or an open succeeds; a declined replacement or a refused
// file leaves it as it was, so the next quick write never lands on a file the operator chose
// not to overwrite or that is not a report.

#include <string>

namespace vespian {

class Prompts;
class TestReport;

// The current report file and where the dialogs start.
struct ReportLocation {
    std::string currentPath;
    std::string dataFolder;
};

// A location at the start of a run: no file chosen yet.
ReportLocation startReportLocation(const std::string& dataFolder);

// Asks for a name (".care" appended unless it ends in exactly ".care"), asks before replacing
// an existing file, writes the report. True when it was written (the current file is then
// this one); a failure is reported with "无法建立‘%s’文件".
bool saveReportAs(Prompts& prompts, const TestReport& report, ReportLocation& location);

// Asks for a report file and reads it. True when the record was replaced; a file that cannot
// be opened or held is reported and leaves the record as it was.
bool openReport(Prompts& prompts, TestReport& report, ReportLocation& location);

// Writes the record to the current report file without asking. A failure is reported, so the
// operator knows the report is not on disk.
bool quickWriteReport(Prompts& prompts, const TestReport& report, const ReportLocation& location);

}  // namespace vespian
