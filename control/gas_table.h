#pragma once
// The gases the flow channels can carry, with each gas's largest flow and the code the analyser
// knows it by, and the four flow channels with the gas and setpoint last sent to each. The table
// order is the order of the flow dialog's gas lists (sorted by pinyin); indices depend on it.
// Flammable gases are marked: a combustible-gas alarm shuts them off.

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

namespace vespian {

inline constexpr int32_t kGasCount = 21;

struct GasEntry {
    std::string_view name;  // UTF-8
    int32_t maxFlow = 0;    // ml/min
    uint8_t gasCode = 0;
    bool flammable = false;  // burns in air: shut off on a combustible-gas alarm
};

inline constexpr std::array<GasEntry, kGasCount> kGasTable = {{
    {"氨气", 70, 3, true},  {"丙炔", 41, 10, true}, {"丙烷", 33, 12, true}, {"氮气", 99, 1},
    {"二氧化氮", 73, 6},    {"二氧化硫", 67, 9},    {"二氧化碳", 72, 5},    {"氦气", 99, 2},
    {"甲烷", 70, 3, true},  {"氪气", 99, 2},        {"空气", 99, 1},        {"氯化氢", 99, 1},
    {"氖气", 99, 2},        {"氢气", 99, 4, true},  {"氙气", 99, 2},        {"溴化氢", 99, 1},
    {"氩气", 99, 2},        {"氧气", 98, 8},        {"一氧化氮", 96, 6},    {"一氧化碳", 99, 1, true},
    {"乙烷", 47, 11, true},
}};

inline constexpr int32_t kArgonGasIndex = 16;

// The entry of a gas index; nullopt outside 0 .. 20.
std::optional<GasEntry> gasAt(int32_t gasIndex);

inline constexpr int32_t kFlowChannelCount = 4;
inline constexpr int32_t kGasNameBytes = 100;  // 99 bytes and the terminating zero

struct FlowChannel {
    int32_t gasIndex = kArgonGasIndex;  // preselected in the flow dialog
    int32_t setpoint = 30;              // ml/min
    char gasName[kGasNameBytes] = {};   // UTF-8 name of the gas last sent; empty until then
};

struct FlowChannels {
    std::array<FlowChannel, kFlowChannelCount> channel{};  // channels 1 .. 4 at 0 .. 3
};

// Back to the start values: argon, 30 ml/min, no gas sent. The main window does this when it
// is created.
void resetFlowChannels(FlowChannels* channels);

// Records the gas last sent on a channel; a name longer than 99 bytes is cut at a character
// boundary.
void setGasName(FlowChannel* channel, std::string_view name);
std::string_view gasNameOf(const FlowChannel& channel);

// The gas name the flow readout shows for channel 1 or 2; empty for any other channel.
std::string_view readoutGasName(const FlowChannels& channels, int32_t channelNumber);

}  // namespace vespian
