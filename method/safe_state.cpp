#include "method/safe_state.h"

#include <string>

#include "control/flow_setting.h"
#include "method/method_validation.h"

namespace vespian {

bool carriesFlammableGas(const FlowChannel& channel) {
    const std::optional<GasEntry> gas = gasAt(channel.gasIndex);
    return gas && gas->flammable && channel.setpoint > 0;
}

SafeState safeStateFor(SafeStateCause cause, ControlState& control, FlowChannels& flows,
                       const MethodSafety& safety, const std::vector<int32_t>& channels, bool programmeDialogOpen) {
    SafeState state;
    if (cause == SafeStateCause::AfterCrash) {
        control.programme.running = 0;
        state.frames.push_back(ProgramStopFrame());
        state.furnaceStopped = true;
    } else if (cause != SafeStateCause::GasLeak) {
        if (const std::optional<Command> stop = forceProgrammeStop(control.programme, programmeDialogOpen)) {
            state.frames.push_back(*stop);
            state.furnaceStopped = true;
        }
    }
    const int32_t inert = gasIndexOf(safety.inertGas);
    const std::string safeFlow = std::to_string(static_cast<int32_t>(safety.safeFlowMlMin));
    for (int32_t number : channels) {
        if (number < 1 || number > kFlowChannelCount) continue;
        FlowChannel& channel = flows.channel[static_cast<size_t>(number - 1)];
        const bool flammable = carriesFlammableGas(channel);
        if (cause == SafeStateCause::GasLeak && !flammable) continue;
        if (flammable) {
            // The flow dialog's "设定" with 0 for the gas the channel carries: shut off.
            state.frames.push_back(setChannelFlow(flows, number, "0", channel.gasIndex).frame);
            state.channelsShut.push_back(number);
        }
        if (inert < 0) continue;
        state.frames.push_back(setChannelFlow(flows, number, safeFlow, inert).frame);
        state.channelsInert.push_back(number);
    }
    return state;
}

}  // namespace vespian
