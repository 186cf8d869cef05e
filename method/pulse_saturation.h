#pragma once
// When a pulse series has saturated the sample: the last k pulses all came through as peaks and
// their areas agree within p % of their mean. A pulse taken up whole shows no peak (area 0), so
// it never counts as agreeing.

#include <cstdint>
#include <span>

namespace vespian {

bool areasAgree(std::span<const double> areas, int32_t count, double percent);

// The spread of the last `count` areas as a percentage of their mean; negative when there are
// fewer than `count` areas or one of them is not a peak.
double areaSpreadPercent(std::span<const double> areas, int32_t count);

}  // namespace vespian
