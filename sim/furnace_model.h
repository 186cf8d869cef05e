#pragma once
// The furnace and its programme controller: up to ten loaded segments (ramp at a rate to a
// target, then hold), run in segment-number order from segment 1 after "start" up to the first
// segment not loaded; after the last segment the controller keeps the last target until it is
// stopped. Stopped, the heater is off and the furnace cools towards the room by itself.

#include <array>

namespace vespian::sim {

inline constexpr int kProgramSegments = 10;
inline constexpr double kAmbientC = 25.0;
inline constexpr double kMaxFurnaceC = 1100.0;
// Newton cooling of the unheated furnace: from 300 ℃ it first loses about 18 ℃ per minute.
inline constexpr double kCoolingTimeConstantS = 900.0;

struct ProgramSegment {
    bool loaded = false;
    int targetC = 0;
    int rateCPerMin = 0;
    int holdMinutes = 0;
};

class FurnaceModel {
public:
    // Stores segment `number` (1..10). False, and nothing stored, for a number out of range or a
    // rate of 0, which would never reach its target.
    bool loadSegment(int number, int targetC, int rateCPerMin, int holdMinutes);
    // Runs segments 1, 2, … up to the first one not loaded; with none it holds where it is.
    void start();
    // Heater off and the loaded programme forgotten.
    void stop();
    void advance(double seconds);

    double temperatureC() const { return temperature_; }
    bool running() const { return running_; }

private:
    enum class Phase { Ramp, Hold, Final };

    void beginSegment(int number);
    void nextSegment();
    // Ramps for up to `seconds`; true when the target was reached, with the time left over.
    bool ramp(double& seconds);
    void coolFreely(double seconds);

    std::array<ProgramSegment, kProgramSegments> segments_{};
    double temperature_ = kAmbientC;
    bool running_ = false;
    int segment_ = 0;  // number of the segment being run, 0 for none
    Phase phase_ = Phase::Final;
    double holdLeftS_ = 0.0;
    double finalC_ = kAmbientC;
};

}  // namespace vespian::sim
