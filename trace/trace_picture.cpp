#include "trace/trace_picture.h"

#include <algorithm>
#include <cmath>

#include "trace/chromatogram.h"

namespace vespian {

namespace {

constexpr int64_t kLargestVoltRangeUv = 1'000'000'000;
constexpr double kHeadroom = 1.05;

}  // namespace

int32_t pictureVoltRangeUv(float maxAbsMv) {
    const double needed = std::isfinite(maxAbsMv) ? std::fabs(static_cast<double>(maxAbsMv)) * 1000.0 * kHeadroom : 0.0;
    if (needed <= 500.0) return 500;
    for (int64_t decade = 1000; decade < kLargestVoltRangeUv; decade *= 10) {
        for (int64_t step : {1, 2, 5}) {
            if (static_cast<double>(decade * step) >= needed) return static_cast<int32_t>(decade * step);
        }
    }
    return static_cast<int32_t>(kLargestVoltRangeUv);
}

TraceView wholeTraceView(const Chromatogram& trace, int32_t width, int32_t height) {
    const int32_t n = trace.pointCount();
    float largest = 0.0f;
    for (int32_t i = 0; i < n; ++i) {
        const float v = std::fabs(trace.signalMv()[i]);
        if (std::isfinite(v) && v > largest) largest = v;
    }
    TraceView view;
    view.timeRangeS = std::max(1, (n + kPointsPerSecond - 1) / kPointsPerSecond);
    view.voltRangeUv = pictureVoltRangeUv(largest);
    view.autoScroll = 0;
    setViewArea(view, width, kViewTop + height);
    layoutTraceView(view);
    return view;
}

}  // namespace vespian
