// The safe states: which gases the gas table marks as flammable, and the frames each cause sends.

#include "method/safe_state.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "control/flow_setting.h"
#include "method/method_validation.h"

namespace vespian {
namespace {

using Bytes = std::vector<uint8_t>;

std::vector<Bytes> bytesOf(const std::vector<Command>& frames) {
    std::vector<Bytes> out;
    for (const Command& c : frames) out.emplace_back(c.bytes.begin(), c.bytes.begin() + c.length);
    return out;
}

TEST(SafeState, TheGasTableMarksTheGasesThatBurn) {
    std::vector<std::string> flammable;
    for (const GasEntry& gas : kGasTable) {
        if (gas.flammable) flammable.emplace_back(gas.name);
    }
    EXPECT_EQ(flammable, (std::vector<std::string>{"氨气", "丙炔", "丙烷", "甲烷", "氢气", "一氧化碳", "乙烷"}));
}

TEST(SafeState, EachCauseSendsItsFramesAndAfterACrashTheFurnaceIsStoppedInAnyCase) {
    const MethodSafety safety{"氮气", 40};
    auto prepared = [](ControlState& control, FlowChannels& flows) {
        control.programme.running = 1;
        setChannelFlow(flows, 1, "30", 16);  // argon
        setChannelFlow(flows, 2, "10", 19);  // carbon monoxide
    };
    const Bytes forcedStop = {0x3E, 0, 0, 0, 0, 0, 0, 0x31};
    const Bytes coOff = {0x3B, 0x21, 0x00, 0x00};
    const Bytes nitrogen1 = {0x3B, 0x11, 0x00, 0x28}, nitrogen2 = {0x3B, 0x21, 0x00, 0x28};

    ControlState control{};
    FlowChannels flows{};
    prepared(control, flows);
    SafeState s = safeStateFor(SafeStateCause::SensorAlarm, control, flows, safety, {1, 2});
    EXPECT_EQ(bytesOf(s.frames), (std::vector<Bytes>{forcedStop, nitrogen1, coOff, nitrogen2}));
    EXPECT_EQ(s.channelsShut, std::vector<int32_t>{2});
    EXPECT_EQ(control.programme.running, 0);
    EXPECT_EQ(flows.channel[1].gasIndex, 3) << "the flow dialog now shows nitrogen";
    // Leaving a run whose furnace no longer runs: nothing to stop, the channels stay inert.
    s = safeStateFor(SafeStateCause::LeaveRun, control, flows, safety, {1, 2});
    EXPECT_EQ(bytesOf(s.frames), (std::vector<Bytes>{nitrogen1, nitrogen2}));

    ControlState leak{};
    FlowChannels leakFlows{};
    prepared(leak, leakFlows);
    s = safeStateFor(SafeStateCause::GasLeak, leak, leakFlows, safety, {1, 2});
    EXPECT_EQ(bytesOf(s.frames), (std::vector<Bytes>{coOff, nitrogen2}));
    EXPECT_EQ(leak.programme.running, 1);

    ControlState fresh{};
    FlowChannels freshFlows{};
    s = safeStateFor(SafeStateCause::AfterCrash, fresh, freshFlows, safety, {1});
    EXPECT_EQ(bytesOf(s.frames), (std::vector<Bytes>{forcedStop, nitrogen1}))
        << "after a crash nobody knows whether the programme runs";
}

// A leak with several combustible gases flowing: every one is shut, whatever channel carries it,
// and only their channels are purged; a channel whose flammable gas is set to 0 is left alone.
TEST(SafeState, AGasLeakShutsEveryFlammableGasAndPurgesOnlyTheirChannels) {
    ControlState control{};
    control.programme.running = 1;
    FlowChannels flows{};
    setChannelFlow(flows, 1, "20", gasIndexOf("氢气"));
    setChannelFlow(flows, 2, "30", gasIndexOf("氩气"));
    setChannelFlow(flows, 3, "15", gasIndexOf("甲烷"));
    setChannelFlow(flows, 4, "0", gasIndexOf("一氧化碳"));
    const SafeState s = safeStateFor(SafeStateCause::GasLeak, control, flows, {"氮气", 40}, {1, 2, 3, 4});
    EXPECT_EQ(s.channelsShut, (std::vector<int32_t>{1, 3}));
    EXPECT_EQ(s.channelsInert, (std::vector<int32_t>{1, 3}));
    EXPECT_FALSE(s.furnaceStopped);
    ASSERT_EQ(s.frames.size(), 4u);
    for (int32_t n : {1, 3}) {
        const FlowChannel& channel = flows.channel[static_cast<size_t>(n - 1)];
        EXPECT_EQ(channel.gasIndex, gasIndexOf("氮气")) << n;
        EXPECT_FALSE(carriesFlammableGas(channel)) << n;
    }
    EXPECT_EQ(flows.channel[1].gasIndex, gasIndexOf("氩气")) << "the argon channel is left as it is";
}

}  // namespace
}  // namespace vespian
