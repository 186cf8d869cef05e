#include "sim/flow_channels.h"

#include <cmath>

namespace vespian::sim {

FlowChannels::FlowChannels() {
    setpoint_.fill(kInitialSetpointMlMin);
    measured_.fill(kInitialSetpointMlMin);
}

bool FlowChannels::set(int channel, int gasCode, int setpointMlMin) {
    if (!valid(channel)) return false;
    setpoint_[channel - 1] = setpointMlMin;
    gasCode_[channel - 1] = gasCode;
    return true;
}

void FlowChannels::setFlushing(int channel, bool flushing) {
    if (valid(channel)) flushing_[channel - 1] = flushing;
}

void FlowChannels::advance(double seconds) {
    const double approach = 1.0 - std::exp(-seconds / kFlowTimeConstantS);
    for (int i = 0; i < kFlowChannels; ++i) {
        const double target = flushing_[i] ? kFlushFlowMlMin : setpoint_[i];
        measured_[i] += (target - measured_[i]) * approach;
    }
}

double FlowChannels::measured(int channel) const { return valid(channel) ? measured_[channel - 1] : 0.0; }
int FlowChannels::setpoint(int channel) const { return valid(channel) ? setpoint_[channel - 1] : 0; }
int FlowChannels::gasCode(int channel) const { return valid(channel) ? gasCode_[channel - 1] : 0; }

}  // namespace vespian::sim
