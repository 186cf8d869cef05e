#include "control/gas_table.h"

#include <gtest/gtest.h>

#include <string>

namespace vespian {
namespace {

TEST(GasTable, PinyinOrderWithMaximumFlowsAndCodes) {
    const char* names[kGasCount] = {"氨气", "丙炔", "丙烷", "氮气", "二氧化氮", "二氧化硫", "二氧化碳",
                                    "氦气", "甲烷", "氪气", "空气", "氯化氢", "氖气", "氢气",
                                    "氙气", "溴化氢", "氩气", "氧气", "一氧化氮", "一氧化碳", "乙烷"};
    const int32_t maxFlows[kGasCount] = {70, 41, 33, 99, 73, 67, 72, 99, 70, 99, 99,
                                         99, 99, 99, 99, 99, 99, 98, 96, 99, 47};
    const uint8_t codes[kGasCount] = {3, 10, 12, 1, 6, 9, 5, 2, 3, 2, 1, 1, 2, 4, 2, 1, 2, 8, 6, 1, 11};
    for (int32_t i = 0; i < kGasCount; ++i) {
        EXPECT_EQ(kGasTable[i].name, names[i]) << i;
        EXPECT_EQ(kGasTable[i].maxFlow, maxFlows[i]) << i;
        EXPECT_EQ(kGasTable[i].gasCode, codes[i]) << i;
        EXPECT_LE(kGasTable[i].gasCode, 0x0F);  // shares its frame byte with the channel
    }
    EXPECT_EQ(kGasTable[kArgonGasIndex].name, "氩气");
}

TEST(GasTable, LookUpChecksTheIndex) {
    ASSERT_TRUE(gasAt(20).has_value());
    EXPECT_EQ(gasAt(20)->name, "乙烷");
    EXPECT_EQ(gasAt(0)->maxFlow, 70);
    EXPECT_FALSE(gasAt(21).has_value());
    EXPECT_FALSE(gasAt(-1).has_value());
}

TEST(FlowChannels, ResetGivesArgonThirtyAndNoName) {
    FlowChannels channels;
    channels.channel[0].gasIndex = 13;
    channels.channel[3].setpoint = 99;
    setGasName(&channels.channel[1], "氢气");
    resetFlowChannels(&channels);
    for (const FlowChannel& c : channels.channel) {
        EXPECT_EQ(c.gasIndex, 16);
        EXPECT_EQ(c.setpoint, 30);
        EXPECT_TRUE(gasNameOf(c).empty());
    }
}

TEST(FlowChannels, ReadoutNamesOfChannelsOneAndTwo) {
    FlowChannels channels;
    setGasName(&channels.channel[0], "氮气");
    setGasName(&channels.channel[1], "一氧化碳");
    setGasName(&channels.channel[2], "氧气");
    EXPECT_EQ(readoutGasName(channels, 1), "氮气");
    EXPECT_EQ(readoutGasName(channels, 2), "一氧化碳");
    EXPECT_TRUE(readoutGasName(channels, 3).empty());
    EXPECT_TRUE(readoutGasName(channels, 0).empty());
    setGasName(&channels.channel[1], "氦气");  // a shorter name replaces a longer one whole
    EXPECT_EQ(readoutGasName(channels, 2), "氦气");
}

TEST(FlowChannels, OverlongNameIsCutAtACharacterBoundary) {
    FlowChannel c;
    std::string ascii(120, 'x');
    setGasName(&c, ascii);
    EXPECT_EQ(gasNameOf(c), std::string(99, 'x'));
    // 34 three-byte characters are 102 bytes; 33 whole ones (99 bytes) fit.
    std::string chinese;
    for (int i = 0; i < 34; ++i) chinese += "氩";
    setGasName(&c, chinese);
    EXPECT_EQ(gasNameOf(c).size(), 99u);
    // 1 + 33 × 3 = 100 bytes: the last character would straddle the limit and is left out.
    setGasName(&c, "x" + chinese.substr(0, 99));
    EXPECT_EQ(gasNameOf(c), "x" + chinese.substr(0, 96));
}

}  // namespace
}  // namespace vespian
