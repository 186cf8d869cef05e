#pragma once
// The four mass-flow controllers: each follows its setpoint with a first-order lag, as the
// controller's valve and the gas volume behind it settle. Cleaning a channel opens its controller
// fully to flush the line.

#include <array>

namespace vespian::sim {

inline constexpr int kFlowChannels = 4;
inline constexpr double kFlowTimeConstantS = 3.0;
// The controllers start at the operator program's default setpoint, already settled.
inline constexpr int kInitialSetpointMlMin = 30;
// A controller opened fully for cleaning passes its full scale.
inline constexpr double kFlushFlowMlMin = 100.0;

class FlowChannels {
public:
    FlowChannels();
    // Channel 1..4; false for another channel.
    bool set(int channel, int gasCode, int setpointMlMin);
    // Cleaning channel 1..4 on or off.
    void setFlushing(int channel, bool flushing);
    void advance(double seconds);
    // 0 for a channel out of range.
    double measured(int channel) const;
    int setpoint(int channel) const;
    int gasCode(int channel) const;

private:
    static bool valid(int channel) { return channel >= 1 && channel <= kFlowChannels; }

    std::array<int, kFlowChannels> setpoint_;
    std::array<int, kFlowChannels> gasCode_{};
    std::array<double, kFlowChannels> measured_;
    std::array<bool, kFlowChannels> flushing_{};
};

}  // namespace vespian::sim
