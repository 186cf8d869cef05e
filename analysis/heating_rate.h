#pragma once
// A run's heating rate read from its own temperature trace: the least-squares slope of the
// (lightly smoothed) temperature against time over the ramp, from where the furnace has covered
// a tenth of its rise to where it first reaches nine tenths of it. Holds before and after the
// ramp, and a cooling afterwards, lie outside that stretch.

#include <cstdint>
#include <span>

namespace vespian {

inline constexpr double kSecondsPerPoint = 0.2;  // 5 points a second
inline constexpr double kMinRampRiseC = 5.0;     // less is a hold, not a ramp

enum class HeatingRateStatus : uint8_t {
    Ok,
    TooFewPoints,     // fewer than ten points on the ramp
    NonFiniteTemperature,
    NoRamp            // the temperature rises by less than kMinRampRiseC
};

struct HeatingRate {
    HeatingRateStatus status = HeatingRateStatus::TooFewPoints;
    double rateCPerMin = 0.0;
    int32_t firstIndex = 0;  // the stretch the slope was taken over
    int32_t lastIndex = 0;
    double rSquared = 0.0;   // how straight the ramp is

    bool ok() const { return status == HeatingRateStatus::Ok; }
};

HeatingRate heatingRateFromTrace(std::span<const float> temperatureC, double secondsPerPoint = kSecondsPerPoint);

}  // namespace vespian
