#pragma once
// The report file (.care): the byte image of the TestReport, always 80,001,156 bytes. Writing
// puts down the header and the trace points in use (0 .. reportPointCount) and leaves the rest
// of both arrays as a hole of the file system, which reads back as zeros: the file keeps its
// full size and layout at a fraction of the cost. Saving goes through a temporary file beside
// the target, so a failed write never leaves half a report where a good one stood.
//
// Reading takes only a regular file (a named pipe or a device would never end or block the
// program) and checks it before anything changes: a point count outside 0 .. 9,999,999, a Tm
// count outside 0 .. 99 or a Tm position outside the arrays cannot be held, and a file shorter
// than its header and the points it claims has lost them; such a file is refused with a message
// and leaves the record exactly as it was.

#include <cstdint>
#include <string>

namespace vespian {

class TestReport;
struct TestReportHeader;

inline constexpr char kReportFileExtension[] = ".care";
inline constexpr char kReportFileFilter[] = "Vespian2002报告 (*.care)";
inline constexpr char kReportFilePattern[] = "*.care";
inline constexpr char kDefaultReportName[] = "新文件.care";

struct ReportFileResult {
    bool ok = false;
    std::string message;  // for the operator (UTF-8); empty when ok
};

// Appends ".care" unless the name ends in exactly ".care" (case-sensitive).
std::string withReportExtension(const std::string& name);

// The data folder's "新文件.care": the current report file of a fresh start.
std::string defaultReportPath(const std::string& dataFolder);

// How many points of each array the file holds in use: reportPointCount + 1 (the stretch runs
// 0 .. reportPointCount), within 0 .. 10,000,000.
int64_t reportPointsInUse(const TestReportHeader& header);

// The points of the report's trace, 0 .. reportPointCount, so reportPointCount + 1 of them;
// none while the count is 0, before a stretch has been applied.
int32_t reportTracePoints(const TestReportHeader& header);

// The bytes a report file needs for what its header claims: the header, and for a trace the
// arrays up to the temperature of its last point.
uint64_t reportBytesClaimed(const TestReportHeader& header);

// Why a header cannot be held, or empty when it can. `path` names the file in the message.
std::string reportHeaderProblem(const TestReportHeader& header, const std::string& path);

// Why the values of a read report cannot be trusted, or empty: a typed field (weight, the test's
// temperatures, the pulse and the metal), a Tm value or a point of the trace that is not a finite
// number, which the program never writes. The results (volumes, dispersion, active area) may be
// without a value, as a division by a zero weight leaves them.
std::string reportValueProblem(const TestReport& report, const std::string& path);

ReportFileResult writeReportFile(const std::string& path, const TestReport& report);
ReportFileResult readReportFile(const std::string& path, TestReport& report);

}  // namespace vespian
