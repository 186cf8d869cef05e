#pragma once
// What the analyser is sent to leave it safe, built with the same rules the control dialogs
// use, so the frames are the ones an operator would have sent by hand:
//
// - a sensor alarm (the furnace heats blind) and leaving a run: the forced stop of a running
//   furnace programme, then every channel the method uses on the method's inert gas at its safe
//   flow, a channel that carried a flammable gas shut off first;
// - a combustible-gas alarm: every channel that carries a flammable gas shut off, then purged
//   with the inert gas; the furnace goes on (the alarm never stops it);
// - after a crash the program no longer knows whether the programme runs: the forced-stop frame
//   goes out in any case.

#include <cstdint>
#include <vector>

#include "control/control_state.h"
#include "control/gas_table.h"
#include "link/command_set.h"
#include "method/method_file.h"

namespace vespian {

enum class SafeStateCause { SensorAlarm, GasLeak, LeaveRun, AfterCrash };

struct SafeState {
    std::vector<Command> frames;
    bool furnaceStopped = false;       // the forced-stop frame is among the frames
    std::vector<int32_t> channelsShut;   // channels whose flammable gas was shut off
    std::vector<int32_t> channelsInert;  // channels now on the inert gas
};

// `channels` are the channel numbers 1 .. 4 to make safe (those the method uses). The flow
// channels' records and the furnace programme are updated as the dialogs update them;
// `programmeDialogOpen` lets the forced stop clear the open dialog's marks.
SafeState safeStateFor(SafeStateCause cause, ControlState& control, FlowChannels& flows,
                       const MethodSafety& safety, const std::vector<int32_t>& channels,
                       bool programmeDialogOpen = false);

// Whether a channel's recorded gas burns.
bool carriesFlammableGas(const FlowChannel& channel);

}  // namespace vespian
