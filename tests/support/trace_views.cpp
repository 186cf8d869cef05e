#include "support/trace_views.h"

namespace vespian::testing {

TraceView viewWithPlot(int32_t width, int32_t height, int32_t timeRangeS, int32_t voltRangeUv) {
    TraceView v;
    v.timeRangeS = timeRangeS;
    v.voltRangeUv = voltRangeUv;
    v.backgroundColour = 0x00FFFFFFu;
    v.traceColour = 0x007800FFu;
    // The frame adds 30 + 115 + 50 pixels across and 105 + 60 + 15 down to the plot.
    setViewArea(v, 30 + 115 + width + 50, 105 + 60 + height + 15);
    layoutTraceView(v);
    return v;
}

}  // namespace vespian::testing
