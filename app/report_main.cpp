// vespian-report: the program's files for scripts and data systems, without a window. A trace
// file gives its summary (as text or JSON), its CSV and a PNG picture.

#include <cstdio>
#include <string>
#include <vector>

#include "app/report_tool.h"
#include "trace/desktop/offscreen_trace_pictures.h"

int main(int argc, char** argv) {
    vespian::OffscreenTracePictures pictures;
    return vespian::runReportTool(std::vector<std::string>(argv + 1, argv + argc), stdout, stderr, &pictures);
}
