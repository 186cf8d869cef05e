#include "app/alarm_poll.h"

#include <gtest/gtest.h>

#include "app/event_log.h"

namespace vespian {
namespace {

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
        EXPECT_TRUE(alarmName(code).empty()) << code;
    }
}

// The poll timer as the window runs it, one tick per 100 ms.
class AlarmPollTimer : public ::testing::Test {
protected:
    AlarmPoll::Step tick(int32_t code, bool running) { return poll.tick(code, running, now++, log); }
    AlarmPoll poll;
    EventLog log;
    int64_t now = 1000;
};

TEST_F(AlarmPollTimer, APersistingAlarmIsShownOnceAndNamedUntilItClears) {
    const AlarmPoll::Step first = tick(2, true);
    ASSERT_TRUE(first.box.has_value());
    EXPECT_EQ(first.box->text, "温度传感器未置于炉中!!!!程序升温已停止!!请检查!!");
    EXPECT_TRUE(first.startForcedStopTimer) << "the furnace stops while the box waits, not after OK";
    EXPECT_TRUE(poll.showing());
    const AlarmPoll::Step underTheBox = tick(2, true);
    EXPECT_FALSE(underTheBox.box.has_value()) << "nothing while the box is up";
    EXPECT_FALSE(underTheBox.startForcedStopTimer);
    EXPECT_EQ(poll.acknowledged().nextPollMs, 100);
    // A minute of polls with the code still there: no second box, the status part names it.
    for (int i = 0; i < 600; ++i) {
        const AlarmPoll::Step step = tick(2, i < 1);  // the forced stop ends the programme
        ASSERT_FALSE(step.box.has_value()) << i;
        ASSERT_FALSE(step.startForcedStopTimer) << "armed once when it appeared, not again at " << i;
    }
    EXPECT_EQ(poll.statusText(), "报警：温度传感器未置于炉中");
    EXPECT_FALSE(tick(0, false).box.has_value());
    EXPECT_TRUE(poll.statusText().empty());
    ASSERT_EQ(log.size(), 2u);
    EXPECT_EQ(log.at(0).kind, EventKind::Alarm);
    EXPECT_EQ(log.at(0).text, "温度传感器未置于炉中!!!!程序升温已停止!!请检查!!");
    EXPECT_EQ(log.at(0).wallSeconds, 1000);
    EXPECT_EQ(log.at(1).kind, EventKind::AlarmCleared);
    EXPECT_EQ(log.at(1).text, "报警解除：温度传感器未置于炉中");
}

TEST_F(AlarmPollTimer, AnAlarmThatClearedAndCameBackOrChangedCodeIsShownAgain) {
    const AlarmPoll::Step leak = tick(3, true);
    ASSERT_TRUE(leak.box.has_value());
    EXPECT_FALSE(leak.startForcedStopTimer) << "a leak never stops the programme";
    poll.acknowledged();
    EXPECT_FALSE(tick(3, false).box.has_value());
    EXPECT_FALSE(tick(0, false).box.has_value());
    const AlarmPoll::Step back = tick(3, false);
    ASSERT_TRUE(back.box.has_value());
    EXPECT_EQ(back.box->text, "检测到可燃气体泄漏!!请立即关闭仪器电源!!检查气路!!");
    poll.acknowledged();
    const AlarmPoll::Step other = tick(1, false);
    ASSERT_TRUE(other.box.has_value()) << "another code is another alarm";
    EXPECT_EQ(other.box->text, "温度传感器故障!!!!请检查!!");
    poll.acknowledged();
    // Undefined codes count as no alarm.
    EXPECT_FALSE(tick(7, false).box.has_value());
    EXPECT_TRUE(poll.statusText().empty());
    EXPECT_EQ(log.size(), 6u);  // leak, cleared, leak, cleared by the change, sensor, cleared
}

TEST_F(AlarmPollTimer, AProgrammeStartedUnderAPersistingSensorAlarmIsStoppedOnceWithoutABox) {
    const AlarmPoll::Step appeared = tick(1, false);
    ASSERT_TRUE(appeared.box.has_value());
    EXPECT_TRUE(appeared.startForcedStopTimer) << "armed at once; the stop finds nothing running";
    poll.acknowledged();
    EXPECT_FALSE(tick(1, false).startForcedStopTimer);
    // The operator starts the programme while the sensor is still faulty.
    const AlarmPoll::Step started = tick(1, true);
    EXPECT_FALSE(started.box.has_value());
    EXPECT_TRUE(started.startForcedStopTimer);
    EXPECT_FALSE(tick(1, true).startForcedStopTimer) << "the armed stop is not put off by the next poll";
    EXPECT_FALSE(tick(1, false).startForcedStopTimer);
    EXPECT_TRUE(tick(1, true).startForcedStopTimer) << "started once more: stopped once more";
    // A gas leak leaves a running programme alone.
    AlarmPoll leak;
    ASSERT_TRUE(leak.tick(3, true, 0, log).box.has_value());
    leak.acknowledged();
    EXPECT_FALSE(leak.tick(3, true, 1, log).startForcedStopTimer);
}

}  // namespace
}  // namespace vespian
