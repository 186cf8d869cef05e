#pragma once
// The figures of a trace that a script wants without reading every point: how many points, how
// long the recording ran, and the range of the signal and of the temperature.

#include <cstdint>
#include <optional>

namespace vespian {

struct ValueRange {
    float min = 0.0f;
    float max = 0.0f;
};

struct TraceSummary {
    int32_t points = 0;
    // points / 5: the recording time, as the status bar counts it (the last point lies at
    // (points − 1) / 5 s).
    double durationS = 0.0;
    // Over the finite values only; empty when there are none.
    std::optional<ValueRange> signalMv;
    std::optional<ValueRange> temperatureC;
};

TraceSummary summarizeTrace(const float* signalMv, const float* temperatureC, int32_t n);

}  // namespace vespian
