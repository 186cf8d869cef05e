#include "files/trace_summary.h"

#include <cmath>

#include "trace/chromatogram.h"

namespace vespian {

namespace {

std::optional<ValueRange> rangeOf(const float* values, int32_t n) {
    std::optional<ValueRange> range;
    for (int32_t i = 0; i < n; ++i) {
        const float v = values[i];
        // A damaged file may hold NaN or infinities; they have no place in a range.
        if (!std::isfinite(v)) continue;
        if (!range) {
            range = ValueRange{v, v};
        } else if (v < range->min) {
            range->min = v;
        } else if (v > range->max) {
            range->max = v;
        }
    }
    return range;
}

}  // namespace

TraceSummary summarizeTrace(const float* signalMv, const float* temperatureC, int32_t n) {
    TraceSummary summary;
    summary.points = n > 0 ? n : 0;
    summary.durationS = static_cast<double>(summary.points) / kPointsPerSecond;
    summary.signalMv = rangeOf(signalMv, summary.points);
    summary.temperatureC = rangeOf(temperatureC, summary.points);
    return summary;
}

}  // namespace vespian
