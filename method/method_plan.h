#pragma once
// What a method has set up when each of its steps begins, worked out from the steps alone:
// each channel's gas and flow, each valve, whether a recording and a furnace programme run, and
// roughly where the furnace stands. The checks before the run judge the flows over the sample
// from it, and a run that goes on after a crash sets the gases and valves of its next step
// from it.
//
// The gas path: channel 1 carries the carrier over the sample; channel 2's gas joins it before
// the sample when a treatment port (valve 0 or 1) is open and neither the loop's fill position
// (valve 2) nor the bypass (valve 4) takes it elsewhere. Valves the method never set count as
// off, as the program starts with them.

#include <array>
#include <cstdint>
#include <vector>

#include "control/gas_table.h"
#include "control/valve_panel.h"
#include "method/method_file.h"

namespace vespian {

// Room temperature, where an unheated furnace ends up.
inline constexpr double kRoomTemperatureC = 25.0;

struct ChannelPlan {
    int32_t gasIndex = -1;  // -1: the method has not set this channel
    double flowMlMin = 0.0;
};

struct PlannedState {
    std::array<ChannelPlan, kFlowChannelCount> channels{};
    std::array<int8_t, kValveCount> valves{-1, -1, -1, -1, -1, -1, -1, -1};  // -1 not set, 0 off, 1 on
    bool recording = false;
    bool programmeRunning = false;
    double programmeTopC = kRoomTemperatureC;  // the highest target of the running programme
    double programmeRateCPerMin = 0.0;          // its first segment's rate
    double furnaceC = kRoomTemperatureC;       // where the furnace should stand
};

// The state as each step begins; one entry more than steps, the last after the last step.
std::vector<PlannedState> planStates(const MethodFile& method);

bool valveOn(const PlannedState& state, int32_t valve);
// Channel 2's gas flows over the sample.
bool treatmentOverSample(const PlannedState& state);
// The flow over the sample (ml/min) and the part of it that is the given gas.
double flowOverSample(const PlannedState& state);
double gasFlowOverSample(const PlannedState& state, int32_t gasIndex);

// A rough duration of each step in seconds, for the time a run has left: a wait for a
// temperature at the rate of the programme then running, a cooling by Newton's law, a pulse
// series at its maximum count; 0 for the steps that take no time.
std::vector<double> stepDurationEstimates(const MethodFile& method);

// The channels (1 .. 4) the method sets a gas on at some step, in order.
std::vector<int32_t> channelsUsed(const MethodFile& method);

}  // namespace vespian
