#pragma once
// The printed page of the pulse titration ("氢氧滴定分析报告"): the report frame, the chart of
// the signal alone, and the titration's data block in two columns. A value without a number
// prints "—". The atomic-mass line reads "[g/ml]" on paper, as it always has.

#include <cstdint>

#include "files/report_letterhead.h"
#include "platform/draw_list.h"

namespace vespian {

class TestReport;

DrawList titrationReportPage(const TestReport& report, const ReportLetterhead& letterhead, int32_t width,
                             int32_t height);

}  // namespace vespian
