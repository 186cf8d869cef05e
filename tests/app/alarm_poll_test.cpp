#include "app/alarm_poll.h"

#include <gtest/gtest.h>

#include <vector>

#include "link/instrument_link.h"
#include "support/fake_link_driver.h"
#include "trace/chromatogram.h"

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

// The poll timer as the window runs it: the box, OK, the next poll 100 ms later.
TEST(AlarmPollTimer, AlarmCode2ShowsItsTextAndArmsTheForcedStop) {
    AlarmPoll poll;
    const auto shown = poll.tick(2, true);
    ASSERT_TRUE(shown.has_value());
    EXPECT_EQ(shown->text, "温度传感器未置于炉中!!!!程序升温已停止!!请检查!!");
    EXPECT_TRUE(poll.showing());
    const AlarmPoll::AfterTick after = poll.acknowledged();
    EXPECT_TRUE(after.startForcedStopTimer);
    EXPECT_EQ(after.nextPollMs, 100);
}

TEST(AlarmPollTimer, AlarmCode1WithNoProgrammeRunningSaysCheckAndStopsNothing) {
    AlarmPoll poll;
    const auto shown = poll.tick(1, false);
    ASSERT_TRUE(shown.has_value());
    EXPECT_EQ(shown->text, "温度传感器故障!!!!请检查!!");
    EXPECT_TRUE(poll.acknowledged().startForcedStopTimer);
    // The armed stop finds no programme: nothing is sent, nothing changes.
    bool running = false;
    EXPECT_FALSE(performForcedStop(running, nullptr));
    EXPECT_FALSE(running);
}

TEST(AlarmPollTimer, NoFurtherAlarmWhileTheBoxIsShownAndAgainAfterOkWhileItPersists) {
    AlarmPoll poll;
    ASSERT_TRUE(poll.tick(3, false).has_value());
    EXPECT_FALSE(poll.tick(3, false).has_value());  // the box is still up
    EXPECT_FALSE(poll.tick(1, false).has_value());
    const AlarmPoll::AfterTick after = poll.acknowledged();
    EXPECT_FALSE(after.startForcedStopTimer);  // a leak never stops the programme
    EXPECT_EQ(after.nextPollMs, AlarmPoll::kPollMs);
    const auto again = poll.tick(3, false);  // the code persists: shown again at once
    ASSERT_TRUE(again.has_value());
    EXPECT_EQ(again->text, "检测到可燃气体泄漏!!请立即关闭仪器电源!!检查气路!!");
    poll.acknowledged();
    EXPECT_FALSE(poll.tick(0, false).has_value());  // gone
    EXPECT_FALSE(poll.acknowledged().startForcedStopTimer);
}

// The forced stop goes out on the link: a recording device sees the stop frame written.
TEST(AlarmPollTimer, TheForcedStopFrameReachesTheLink) {
    testing::FakeLinkDriver driver;
    driver.setDevices({{"TRV-8800", 7}});
    auto trace = std::make_unique<Chromatogram>();
    InstrumentReadings readings;
    InstrumentLink link(driver, *trace, readings);
    ASSERT_TRUE(link.open());
    driver.clearEvents();
    bool running = true;
    EXPECT_TRUE(performForcedStop(running, &link));
    EXPECT_FALSE(running);
    EXPECT_EQ(driver.eventTexts(), std::vector<std::string>{"write 3E 00 00 00 00 00 00 31"});
    driver.clearEvents();
    EXPECT_FALSE(performForcedStop(running, &link));  // stopped already: nothing more is sent
    EXPECT_TRUE(driver.eventTexts().empty());
    link.close();
}

}  // namespace
}  // namespace vespian
