#include "app/alarm_poll.h"

#include <gtest/gtest.h>

#include <vector>

namespace vespian {
namespace {

std::vector<uint8_t> bytes(const Command& c) { return {c.view().begin(), c.view().end()}; }

TEST(AlarmPoll, SensorFaultTextDependsOnTheProgramme) {
    auto idle = alarmMessageFor(1, false);
    ASSERT_TRUE(idle.has_value());
    EXPECT_EQ(idle->caption, "警告");
    EXPECT_EQ(idle->text, "温度传感器故障!!!!请检查!!");
    EXPECT_TRUE(idle->startsForcedStop);  // armed anyway; the stop then finds nothing running

    auto running = alarmMessageFor(1, true);
    ASSERT_TRUE(running.has_value());
    EXPECT_EQ(running->text, "温度传感器故障!!!!程序升温已停止!!请检查!!");
    EXPECT_TRUE(running->startsForcedStop);
}

TEST(AlarmPoll, SensorOutsideTheFurnaceStopsTheProgramme) {
    for (bool runningNow : {false, true}) {
        auto m = alarmMessageFor(2, runningNow);
        ASSERT_TRUE(m.has_value());
        EXPECT_EQ(m->caption, "警告");
        EXPECT_EQ(m->text, "温度传感器未置于炉中!!!!程序升温已停止!!请检查!!");
        EXPECT_TRUE(m->startsForcedStop);
    }
}

TEST(AlarmPoll, GasLeakWarnsButNeverStopsTheProgramme) {
    for (bool runningNow : {false, true}) {
        auto m = alarmMessageFor(3, runningNow);
        ASSERT_TRUE(m.has_value());
        EXPECT_EQ(m->caption, "警告");
        EXPECT_EQ(m->text, "检测到可燃气体泄漏!!请立即关闭仪器电源!!检查气路!!");
        EXPECT_FALSE(m->startsForcedStop);
    }
}

TEST(AlarmPoll, NoAlarmAndUnknownCodesShowNothing) {
    for (int32_t code : {0, 4, 5, 255, -1}) {
        EXPECT_FALSE(alarmMessageFor(code, true).has_value()) << code;
        EXPECT_FALSE(alarmMessageFor(code, false).has_value()) << code;
    }
}

TEST(ForcedStop, OnlyARunningProgrammeIsStoppedWithTheZeroStopFrame) {
    ForcedStop stop = forcedStopFor(true);
    EXPECT_TRUE(stop.stopsProgram);
    EXPECT_EQ(bytes(stop.frame), (std::vector<uint8_t>{0x3E, 0, 0, 0, 0, 0, 0, 0x31}));

    ForcedStop idle = forcedStopFor(false);
    EXPECT_FALSE(idle.stopsProgram);
    EXPECT_EQ(idle.frame.length, 0u);
}

}  // namespace
}  // namespace vespian
