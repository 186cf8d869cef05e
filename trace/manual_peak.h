#pragma once
// The stretch the operator last picked by hand ("人工识峰"): two clicks on the trace, sorted.
// The pick also goes into the recogniser's stretch, which the data export reads; the
// quantitative-peak window reads the pick itself, which no automatic peak overwrites.

#include <cstdint>

namespace vespian {

class PeakDetector;

struct ManualPeakPick {
    int32_t start = 0;
    int32_t end = 0;
    bool picked = false;  // a pick was completed in this run
};

// The second click of a pick: sorts the two indices, clamps them to the shown points (a click
// maps to at most shownCount), and writes them to the pick and to the recogniser's stretch.
void completeManualPick(int32_t firstIndex, int32_t secondIndex, int32_t shownCount, ManualPeakPick& pick,
                        PeakDetector& detector);

}  // namespace vespian
