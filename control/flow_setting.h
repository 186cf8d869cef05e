#pragma once
// The flow dialog "流量设定": a channel's "设定" button checks the setpoint against the chosen
// gas's largest flow, clamps it with a message, records the gas for the status bar and sends the
// channel, gas code and setpoint in one frame. Behind an access code the dialog leads to the
// gas-path cleaning.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "control/control_notice.h"
#include "control/gas_table.h"
#include "link/command_set.h"

namespace vespian {

inline constexpr std::string_view kFlowDialogTitle = "流量设定";
inline constexpr std::array<std::string_view, kFlowChannelCount> kFlowGroupCaptions = {
    "1#通道流量设定", "2#通道流量设定", "3#通道流量设定", "4#通道流量设定"};
inline constexpr std::array<int32_t, kFlowChannelCount> kGasListIds = {1031, 1032, 1107, 1108};
inline constexpr std::array<int32_t, kFlowChannelCount> kSetpointFieldIds = {1006, 1007, 1008, 1009};
inline constexpr std::array<int32_t, kFlowChannelCount> kSetButtonIds = {1022, 1023, 1024, 1025};
inline constexpr int32_t kFlowDoneId = 1;
inline constexpr int32_t kFlowCancelId = 2;
inline constexpr int32_t kFlowCleaningId = 3;
// Only channels 1 and 2 can be set in the dialog; the frame still carries 3 and 4.
inline constexpr int32_t kSettableFlowChannels = 2;

struct FlowSetResult {
    Command frame;                          // empty when nothing can be sent
    std::optional<ControlNotice> message;   // the clamp message
    std::optional<std::string> fieldText;   // what the field shows afterwards, when it changes
    int32_t gasIndex = 0;
    int32_t setpoint = 0;
};

// The "设定" button of channel 1 .. 4 with the field's text and the list's selected index (-1
// when the list has no selection: the channel keeps the gas it had).
FlowSetResult setChannelFlow(FlowChannels& channels, int32_t channelNumber, std::string_view fieldText,
                             int32_t selectedGas);

// What the dialog shows on opening for a channel: its setpoint ("%d") and gas index.
std::string setpointText(const FlowChannel& channel);

// The access code that guards the cleaning; case-sensitive.
inline constexpr std::string_view kAccessCodeTitle = "输入口令";
inline constexpr std::string_view kAccessCodeLabel = "请输入口令：";
// True when the typed text is the code. Otherwise `refusal` holds the message to show.
bool accessCodeAccepted(std::string_view typed, ControlNotice* refusal);

}  // namespace vespian
