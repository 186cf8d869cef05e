#include "analysis/heating_rate.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "analysis/peak_maxima.h"

namespace vespian {

HeatingRate heatingRateFromTrace(std::span<const float> temperatureC, double secondsPerPoint) {
    HeatingRate rate;
    const auto n = static_cast<int32_t>(temperatureC.size());
    if (n < 10 || !(secondsPerPoint > 0.0)) return rate;
    for (float t : temperatureC) {
        if (!std::isfinite(t)) {
            rate.status = HeatingRateStatus::NonFiniteTemperature;
            return rate;
        }
    }
    // The thermocouple's reading jitters by tenths of a degree: crossings are taken smoothed.
    std::vector<float> smooth(temperatureC.size());
    smoothSignal(temperatureC, kDefaultSmoothingHalfWidth, smooth);
    const auto [lo, hi] = std::minmax_element(smooth.begin(), smooth.end());
    const double low = *lo, rise = *hi - *lo;
    if (rise < kMinRampRiseC) {
        rate.status = HeatingRateStatus::NoRamp;
        return rate;
    }
    // From the lowest point on: a programme that starts by cooling is not read backwards.
    int32_t first = static_cast<int32_t>(lo - smooth.begin());
    while (first < n && smooth[first] < low + 0.1 * rise) ++first;
    int32_t last = first;
    while (last < n - 1 && smooth[last] < low + 0.9 * rise) ++last;
    if (last - first + 1 < 10) return rate;  // TooFewPoints

    const double centre = 0.5 * (first + last);
    double sx = 0.0, sy = 0.0, sxx = 0.0, sxy = 0.0, syy = 0.0;
    for (int32_t i = first; i <= last; ++i) {
        const double x = i - centre, y = temperatureC[i];
        sx += x;
        sy += y;
        sxx += x * x;
        sxy += x * y;
        syy += y * y;
    }
    const double m = last - first + 1;
    const double vxx = sxx - sx * sx / m, vxy = sxy - sx * sy / m, vyy = syy - sy * sy / m;
    const double slopePerPoint = vxy / vxx;
    rate.status = HeatingRateStatus::Ok;
    rate.rateCPerMin = slopePerPoint / secondsPerPoint * 60.0;
    rate.firstIndex = first;
    rate.lastIndex = last;
    rate.rSquared = vyy > 0.0 ? vxy * vxy / (vxx * vyy) : 1.0;
    return rate;
}

}  // namespace vespian
