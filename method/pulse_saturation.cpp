#include "method/pulse_saturation.h"

#include <algorithm>

namespace vespian {

double areaSpreadPercent(std::span<const double> areas, int32_t count) {
    if (count < 1 || areas.size() < static_cast<size_t>(count)) return -1.0;
    const std::span<const double> last = areas.last(static_cast<size_t>(count));
    double low = last[0], high = last[0], sum = 0.0;
    for (double area : last) {
        if (!(area > 0.0)) return -1.0;
        low = std::min(low, area);
        high = std::max(high, area);
        sum += area;
    }
    return (high - low) / (sum / count) * 100.0;
}

bool areasAgree(std::span<const double> areas, int32_t count, double percent) {
    const double spread = areaSpreadPercent(areas, count);
    return spread >= 0.0 && spread <= percent;
}

}  // namespace vespian
