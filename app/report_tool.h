#pragma once
// vespian-report from its command line to its exit code: the options read, the input file
// checked and loaded by its kind, the outputs written, the summary printed. The pictures and the
// PDF pages are drawn by the writers the program hands in (the desktop layer's, which need no
// display); null where they cannot be drawn.

#include <cstdio>
#include <string>
#include <vector>

namespace vespian {

class ReportPdfWriter;
class TracePictureWriter;

// Returns one of the exit codes of report_options.h. Summaries and CSV go to out, messages to err.
int runReportTool(const std::vector<std::string>& args, std::FILE* out, std::FILE* err, TracePictureWriter* pictures,
                  ReportPdfWriter* pdf = nullptr);

}  // namespace vespian
