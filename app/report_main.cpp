// vespian-report: the program's files for scripts and data systems, without a window. A trace
// file gives its summary (as text or JSON), its CSV and a PNG picture; a report file its
// results, its trace as CSV and its printed page as PDF; a record database its lists as CSV and
// its BET pages as PDF.

#include <cstdio>
#include <string>
#include <vector>

#include "app/desktop/offscreen_pdf_writer.h"
#include "app/report_tool.h"
#include "platform/printf_text.h"
#include "trace/desktop/offscreen_trace_pictures.h"

int main(int argc, char** argv) {
    vespian::usePointDecimalsInProcess();
    vespian::OffscreenTracePictures pictures;
    vespian::OffscreenPdfWriter pdf;
    return vespian::runReportTool(std::vector<std::string>(argv + 1, argv + argc), stdout, stderr, &pictures, &pdf);
}
