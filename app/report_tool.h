#pragma once
// vespian-report from its command line to its exit code: the options read, the input file
// checked and loaded by its kind, the outputs written, the summary printed. The pictures are
// drawn by the writer the program hands in (the desktop layer's, which needs no display); null
// where pictures cannot be drawn.

#include <cstdio>
#include <string>
#include <vector>

namespace vespian {

class TracePictureWriter;

// Returns one of the exit codes of report_options.h. Summaries and CSV go to out, messages to err.
int runReportTool(const std::vector<std::string>& args, std::FILE* out, std::FILE* err, TracePictureWriter* pictures);

}  // namespace vespian
