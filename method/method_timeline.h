#pragma once
// The planned course of a method for the editor's preview: where the furnace should stand over
// the run's time and which gas flows on each channel when, from the steps' estimated durations.
// Waits are taken at their estimates, so the course is as rough as those.

#include <cstdint>
#include <string>
#include <vector>

#include "method/method_file.h"

namespace vespian {

struct TimelinePoint {
    double atS = 0.0;
    double temperatureC = 0.0;
};

// One channel carrying one gas at one flow over a stretch of the run.
struct GasBand {
    int32_t channel = 1;  // 1 .. 4
    double beginS = 0.0;
    double endS = 0.0;
    std::string gas;
    double flowMlMin = 0.0;
};

struct MethodTimeline {
    std::vector<TimelinePoint> temperature;  // at every step's beginning and at the end
    std::vector<GasBand> gases;              // by channel, then time
    std::vector<double> stepBeginS;          // one per step
    double totalS = 0.0;
    double highestC = 0.0;
};

MethodTimeline methodTimeline(const MethodFile& method);

}  // namespace vespian
