#pragma once
// What the instrument-control windows work on: the control state, the flow channels, the link's
// readings and the trace, the prompts, and a way to send a command. The main window fills it in
// once; every control window takes it by reference.

#include <cstdint>
#include <functional>

#include "control/control_state.h"
#include "control/gas_table.h"
#include "link/command_set.h"
#include "link/instrument_readings.h"

namespace vespian {

class Chromatogram;
class Prompts;

struct ControlContext {
    ControlState& control;
    FlowChannels& flows;
    const InstrumentReadings& readings;
    const Chromatogram& trace;
    Prompts& prompts;
    std::function<void(const Command&)> send;
    // The main window's link flag (timer 9999): the last read of the acquisition thread worked.
    std::function<bool()> linkUp = [] { return true; };
    // The local wall clock: seconds since the epoch and the second of the day (for the preview's
    // expected end). Tests replace it.
    std::function<int64_t()> wallSeconds;
    std::function<int32_t()> secondOfDay;

    // The furnace temperature of the newest trace point, as the panel's readout shows it.
    float newestTemperature() const;
    int32_t pointCount() const;
};

// The local clock's values, for ControlContext.
int64_t localWallSeconds();
int32_t localSecondOfDay();

}  // namespace vespian
