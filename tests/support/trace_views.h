#pragma once
// Trace views for tests: laid out so that the plot is exactly the given size.

#include <cstdint>

#include "trace/trace_view.h"

namespace vespian::testing {

// A laid-out view (white background, line colour 0x7800FF) whose visible plot is width × height
// pixels.
TraceView viewWithPlot(int32_t width, int32_t height, int32_t timeRangeS = 600, int32_t voltRangeUv = 5000);

}  // namespace vespian::testing
