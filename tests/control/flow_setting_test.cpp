#include "control/flow_setting.h"

#include <gtest/gtest.h>

#include <vector>

namespace vespian {
namespace {

std::vector<uint8_t> bytesOf(const Command& command) { return {command.bytes.begin(), command.bytes.begin() + command.length}; }

constexpr int32_t kNitrogen = 3;
constexpr int32_t kHydrogen = 13;
constexpr int32_t kOxygen = 17;
constexpr int32_t kEthane = 20;

TEST(FlowSetting, FrameCarriesChannelGasCodeAndSetpoint) {
    FlowChannels channels;
    FlowSetResult r = setChannelFlow(channels, 1, "50", kNitrogen);
    EXPECT_EQ(bytesOf(r.frame), (std::vector<uint8_t>{0x3B, 0x11, 0x00, 0x32}));
    EXPECT_FALSE(r.message.has_value());
    EXPECT_FALSE(r.fieldText.has_value()) << "the field keeps what was typed";
    EXPECT_EQ(channels.channel[0].setpoint, 50);
    EXPECT_EQ(channels.channel[0].gasIndex, kNitrogen);
    EXPECT_EQ(gasNameOf(channels.channel[0]), "氮气");
    r = setChannelFlow(channels, 2, "30", kOxygen);
    EXPECT_EQ(r.frame.bytes[1], 0x28) << "oxygen on channel 2";
}

TEST(FlowSetting, AboveTheGasMaximumIsClampedWithTheMessage) {
    FlowChannels channels;
    FlowSetResult r = setChannelFlow(channels, 2, "120", kHydrogen);
    EXPECT_EQ(bytesOf(r.frame), (std::vector<uint8_t>{0x3B, 0x24, 0x00, 0x63}));
    ASSERT_TRUE(r.message.has_value());
    EXPECT_EQ(r.message->text, "您输入的流量已经超过量程!!程序已经流量自动设置为最大流量[99]毫升!!");
    EXPECT_EQ(r.message->caption, "");
    EXPECT_EQ(r.fieldText, std::optional<std::string>("99"));
    EXPECT_EQ(channels.channel[1].setpoint, 99) << "reopening shows the clamped value";
    EXPECT_EQ(setpointText(channels.channel[1]), "99");

    r = setChannelFlow(channels, 1, "47", kEthane);
    EXPECT_FALSE(r.message.has_value()) << "the maximum itself is accepted";
    EXPECT_EQ(r.setpoint, 47);
    r = setChannelFlow(channels, 1, "48", kEthane);
    ASSERT_TRUE(r.message.has_value());
    EXPECT_NE(r.message->text.find("[47]"), std::string::npos);
    EXPECT_EQ(r.setpoint, 47);
    // Just above the maximum by a fraction is above it.
    r = setChannelFlow(channels, 1, "47.01", kEthane);
    EXPECT_TRUE(r.message.has_value());
}

TEST(FlowSetting, SetpointTextIsReadForgivingly) {
    FlowChannels channels;
    EXPECT_EQ(setChannelFlow(channels, 1, "12.9", kNitrogen).setpoint, 12);
    EXPECT_EQ(setChannelFlow(channels, 1, "-5", kNitrogen).setpoint, 0);
    EXPECT_EQ(setChannelFlow(channels, 1, "abc", kNitrogen).setpoint, 0);
    EXPECT_EQ(setChannelFlow(channels, 1, "", kNitrogen).setpoint, 0);
    EXPECT_EQ(setChannelFlow(channels, 1, "25 ml", kNitrogen).setpoint, 25);
    const FlowSetResult huge = setChannelFlow(channels, 1, std::string(300, '9'), kNitrogen);
    EXPECT_EQ(huge.setpoint, 99);
}

TEST(FlowSetting, ListWithoutSelectionKeepsTheChannelsGas) {
    FlowChannels channels;
    setChannelFlow(channels, 2, "20", kHydrogen);
    const FlowSetResult r = setChannelFlow(channels, 2, "40", -1);
    EXPECT_EQ(r.gasIndex, kHydrogen);
    EXPECT_EQ(r.frame.bytes[1], 0x24);
    EXPECT_EQ(setChannelFlow(channels, 3, "40", 99).gasIndex, kArgonGasIndex) << "a fresh channel keeps argon";
    EXPECT_EQ(setChannelFlow(channels, 5, "40", 3).frame.length, 0u) << "no channel 5";
}

TEST(AccessCode, ExactWordOnly) {
    ControlNotice refusal;
    EXPECT_TRUE(accessCodeAccepted("quorbe", &refusal));
    EXPECT_FALSE(accessCodeAccepted("QUORBE", &refusal));
    EXPECT_EQ(refusal.text, "口令错误!!!");
    EXPECT_EQ(refusal.caption, "错误");
    EXPECT_EQ(refusal.icon, PromptIcon::Warning);
    EXPECT_FALSE(accessCodeAccepted("quorbe ", nullptr));
    EXPECT_FALSE(accessCodeAccepted("", nullptr));
    EXPECT_FALSE(accessCodeAccepted("quorb", nullptr));
}

}  // namespace
}  // namespace vespian
