#pragma once
// The printed page of the desorption amount test ("脱附量测试"): the report frame, the chart of
// the signal alone, and the test's data block. The line "脱附量：" of the first block carries
// the desorbed amount per gram, the figure the test is about (the titration's adsorbed volume,
// which this test does not maintain, would print a stale number under that name).

#include <cstdint>

#include "files/report_letterhead.h"
#include "platform/draw_list.h"

namespace vespian {

class TestReport;

DrawList desorptionReportPage(const TestReport& report, const ReportLetterhead& letterhead, int32_t width,
                              int32_t height);

}  // namespace vespian
