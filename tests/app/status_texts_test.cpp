#include "app/status_texts.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace vespian {
namespace {

constexpr int32_t pointsFor(int32_t hours, int32_t minutes, int32_t seconds) {
    return (hours * 3600 + minutes * 60 + seconds) * 5;
}

TEST(ElapsedTimeText, ClockDigitsFromThePointCount) {
    EXPECT_EQ(elapsedClock(0), "00:00:00");
    EXPECT_EQ(elapsedClock(4), "00:00:00");  // 4 points are not yet a second
    EXPECT_EQ(elapsedClock(325), "00:01:05");
    EXPECT_EQ(elapsedClock(pointsFor(9, 9, 9)), "09:09:09");
    EXPECT_EQ(elapsedClock(pointsFor(10, 10, 10) + 4), "10:10:10");
}

TEST(ElapsedTimeText, BlankAfterTheColonUpToNinetyNineHours) {
    EXPECT_EQ(elapsedTimeText(0), " 时间: 00:00:00");
    EXPECT_EQ(elapsedTimeText(pointsFor(12, 0, 0)), " 时间: 12:00:00");
    EXPECT_EQ(elapsedTimeText(pointsFor(99, 59, 59)), " 时间: 99:59:59");
    EXPECT_EQ(elapsedTimeText(pointsFor(99, 59, 59) + 4), " 时间: 99:59:59");
}

TEST(ElapsedTimeText, NineCharacterClockDropsTheBlankAndLongerKeepsThePart) {
    EXPECT_EQ(elapsedTimeText(pointsFor(100, 0, 0)), " 时间:100:00:00");
    EXPECT_EQ(elapsedTimeText(pointsFor(999, 59, 59)), " 时间:999:59:59");
    EXPECT_EQ(elapsedTimeText(pointsFor(1000, 0, 0)), std::nullopt);
    EXPECT_EQ(elapsedTimeText(-1), std::nullopt);
}

TEST(SignalText, MicrovoltsBelowOneMillivoltMillivoltsFromThere) {
    EXPECT_EQ(signalText(-0.999f), "电压:-999 (uV)");
    EXPECT_EQ(signalText(-1.000f), "电压:-1.000(mV)");
    EXPECT_EQ(signalText(0.999f), "电压:999 (uV)");
    EXPECT_EQ(signalText(1.0f), "电压:1.000(mV)");
    EXPECT_EQ(signalText(0.0f), "电压:0 (uV)");
    EXPECT_EQ(signalText(1234.5678f), "电压:1234.568(mV)");
}

TEST(SignalText, MicrovoltsAreTruncatedNotRounded) {
    // 0.009f is 0.0089999996 mV: 8.9999996 µV truncates to 8.
    EXPECT_EQ(signalText(0.009f), "电压:8 (uV)");
    // −0.5 µV truncates towards zero.
    EXPECT_EQ(signalText(-0.0005f), "电压:0 (uV)");
}

TEST(SignalText, ValuesBeyondTheIntegerRangeStayInMillivolts) {
    EXPECT_EQ(signalText(5.0e6f), "电压:5000000.000(mV)");
    EXPECT_EQ(signalText(-5.0e6f), "电压:-5000000.000(mV)");
    EXPECT_EQ(signalText(std::numeric_limits<float>::quiet_NaN()), "电压:nan(mV)");
}

TEST(StatusTexts, TemperatureAndFlows) {
    EXPECT_EQ(temperatureText(850.06f), "温度:850.1");
    EXPECT_EQ(temperatureText(25.0f), "温度:25.0");
    EXPECT_EQ(temperatureText(-12.34f), "温度:-12.3");
    EXPECT_EQ(flowText(1, "氩气", 30.0f), "1#通道[氩气] 流量:30.0ml");
    EXPECT_EQ(flowText(2, "", 7.5f), "2#通道[] 流量:7.5ml");
    EXPECT_EQ(flowText(2, "一氧化碳", 0.04f), "2#通道[一氧化碳] 流量:0.0ml");
}

TEST(StatusTexts, PartLayoutAndViewTitles) {
    EXPECT_EQ(kStatusPartRightEdges, (std::array<int32_t, 6>{120, 240, 360, 620, 820, 1020}));
    EXPECT_EQ(kTraceViewTitle, "谱图窗口");
    EXPECT_EQ(kReportViewTitle, "报告窗口");
}

}  // namespace
}  // namespace vespian
