#include "control/gas_table.h"

#include <algorithm>
#include <cstring>

namespace vespian {

std::optional<GasEntry> gasAt(int32_t gasIndex) {
    if (gasIndex < 0 || gasIndex >= kGasCount) return std::nullopt;
    return kGasTable[static_cast<size_t>(gasIndex)];
}

void resetFlowChannels(FlowChannels* channels) { *channels = FlowChannels{}; }

void setGasName(FlowChannel* channel, std::string_view name) {
    size_t length = std::min(name.size(), static_cast<size_t>(kGasNameBytes - 1));
    // Never leave half a UTF-8 character: back up over continuation bytes (10xxxxxx).
    if (length < name.size()) {
        while (length > 0 && (static_cast<unsigned char>(name[length]) & 0xC0) == 0x80) --length;
    }
    std::memset(channel->gasName, 0, sizeof channel->gasName);
    std::memcpy(channel->gasName, name.data(), length);
}

std::string_view gasNameOf(const FlowChannel& channel) {
    const char* end = std::find(std::begin(channel.gasName), std::end(channel.gasName), '\0');
    return {channel.gasName, static_cast<size_t>(end - channel.gasName)};
}

std::string_view readoutGasName(const FlowChannels& channels, int32_t channelNumber) {
    if (channelNumber != 1 && channelNumber != 2) return {};
    return gasNameOf(channels.channel[static_cast<size_t>(channelNumber - 1)]);
}

}  // namespace vespian
