#include "trace/manual_peak.h"

#include <algorithm>

#include "trace/chromatogram.h"
#include "trace/peak_detector.h"

namespace vespian {

void completeManualPick(int32_t firstIndex, int32_t secondIndex, int32_t shownCount, ManualPeakPick& pick,
                        PeakDetector& detector) {
    const int32_t top = std::clamp(shownCount, 0, kLastPointIndex);
    int32_t a = std::clamp(firstIndex, 0, top);
    int32_t b = std::clamp(secondIndex, 0, top);
    if (b < a) std::swap(a, b);
    pick.start = a;
    pick.end = b;
    pick.picked = true;
    detector.setStretch(a, b);
}

}  // namespace vespian
