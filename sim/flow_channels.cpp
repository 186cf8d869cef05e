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

void FlowChannels::advance(double seconds) {
    const double approach = 1.0 - std::exp(-seconds / kFlowTimeConstantS);
    for (int i = 0; i < kFlowChannels; ++i) {
        measured_[i] += (setpoint_[i] - measured_[i]) * approach;
    }
}

double FlowChannels::measured(int channel) const { return valid(channel) ? measured_[channel - 1] : 0.0; }
int FlowChannels::setpoint(int channel) const { return valid(channel) ? setpoint_[channel - 1] : 0; }
int FlowChannels::gasCode(int channel) const { return valid(channel) ? gasCode_[channel - 1] : 0; }

}  // namespace vespian::sim
