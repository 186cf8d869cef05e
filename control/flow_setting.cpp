#include "control/flow_setting.h"

#include <cmath>
#include <cstdio>

#include "platform/decimal_text.h"

namespace vespian {

namespace {

constexpr std::string_view kAccessCode = "quorbe";

std::string clampMessage(int32_t maximum) {
    char text[160];
    std::snprintf(text, sizeof text, "您输入的流量已经超过量程!!程序已经流量自动设置为最大流量[%d]毫升!!", maximum);
    return text;
}

}  // namespace

FlowSetResult setChannelFlow(FlowChannels& channels, int32_t channelNumber, std::string_view fieldText,
                             int32_t selectedGas) {
    FlowSetResult result;
    if (channelNumber < 1 || channelNumber > kFlowChannelCount) return result;
    FlowChannel& channel = channels.channel[static_cast<size_t>(channelNumber - 1)];
    // A list without a selection (its text edited by hand) leaves the channel's gas as it was.
    const int32_t gasIndex = gasAt(selectedGas) ? selectedGas : channel.gasIndex;
    const std::optional<GasEntry> gas = gasAt(gasIndex);
    if (!gas) return result;

    const double value = ParseDecimalText(fieldText);
    int32_t setpoint = 0;
    if (value > gas->maxFlow) {
        setpoint = gas->maxFlow;
        result.message = ControlNotice{"", clampMessage(gas->maxFlow), PromptIcon::None};
        result.fieldText = std::to_string(gas->maxFlow);
    } else {
        setpoint = static_cast<int32_t>(std::trunc(value));  // 0 .. 99: no overflow
    }
    channel.setpoint = setpoint;
    channel.gasIndex = gasIndex;
    setGasName(&channel, gas->name);
    result.gasIndex = gasIndex;
    result.setpoint = setpoint;
    result.frame = FlowFrame(channelNumber, gas->gasCode, static_cast<uint16_t>(setpoint));
    return result;
}

std::string setpointText(const FlowChannel& channel) { return std::to_string(channel.setpoint); }

bool accessCodeAccepted(std::string_view typed, ControlNotice* refusal) {
    if (typed.substr(0, kDecimalFieldMaxChars) == kAccessCode) return true;
    if (refusal != nullptr) *refusal = ControlNotice{"错误", "口令错误!!!", PromptIcon::Warning};
    return false;
}

}  // namespace vespian
