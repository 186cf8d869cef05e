// The alarm provoked at a chosen step of a method run: what the option and the menu accept, and
// that it fires once, at the start of its step and of no other.

#include <gtest/gtest.h>

#include <string>

#include "sim/simulated_analyser.h"
#include "sim/step_alarm.h"
#include "stream_reader.h"

namespace vespian::sim {
namespace {

using namespace testing;

TEST(StepAlarm, TheTextIsStepColonCodeWithAWholeStepAndAnAlarmCode) {
    std::string error;
    const std::optional<StepAlarm> alarm = parseStepAlarm("12:3", &error);
    ASSERT_TRUE(alarm) << error;
    EXPECT_EQ(alarm->step, 12);
    EXPECT_EQ(alarm->code, 3);
    EXPECT_EQ(stepAlarmText(*alarm), "第12步开始时报警3");

    for (const char* bad : {"3", "3:", ":1", "3:1x", "x:1", "3;1", "3:1:2", "", "3.5:1"}) {
        error.clear();
        EXPECT_FALSE(parseStepAlarm(bad, &error)) << bad;
        EXPECT_NE(error.find("步骤:报警代码"), std::string::npos) << bad << ": " << error;
    }
    EXPECT_FALSE(parseStepAlarm("0:1", &error));
    EXPECT_EQ(error, "报警的步骤 0 必须从 1 开始");
    EXPECT_FALSE(parseStepAlarm("2:0", &error)) << "0 is no alarm: it would clear one";
    EXPECT_EQ(error, "报警代码 0 必须是 1、2 或 3");
    EXPECT_FALSE(parseStepAlarm("2:4", &error));
}

TEST(StepAlarm, TheTriggerFiresOnceWhenItsStepStarts) {
    StepAlarmTrigger trigger;
    EXPECT_FALSE(trigger.stepStarted(1)) << "nothing armed";
    trigger.arm({3, 2});
    EXPECT_FALSE(trigger.stepStarted(1));
    EXPECT_FALSE(trigger.stepStarted(2));
    EXPECT_FALSE(trigger.stepStarted(4)) << "a skipped-to later step is not the armed one";
    EXPECT_EQ(trigger.stepStarted(3), 2);
    EXPECT_FALSE(trigger.armed());
    EXPECT_FALSE(trigger.stepStarted(3)) << "a run taken up again at the step does not raise it twice";

    trigger.arm({2, 1});
    trigger.arm({5, 3});  // the later choice replaces the earlier
    EXPECT_FALSE(trigger.stepStarted(2));
    trigger.disarm();
    EXPECT_FALSE(trigger.stepStarted(5));

    // On the analyser: its temperature frames carry the code from the armed step on.
    SimulatedAnalyser analyser(4);
    send(analyser, StartStream());
    auto alarmNow = [&] {
        StreamReader reader;
        reader.feed(emit(analyser));
        return reader.readings.alarmCode.load();
    };
    trigger.arm({2, 3});
    EXPECT_FALSE(raiseAtStep(trigger, analyser, 1));
    EXPECT_EQ(alarmNow(), 0);
    EXPECT_TRUE(raiseAtStep(trigger, analyser, 2));
    EXPECT_EQ(alarmNow(), 3);
    EXPECT_EQ(alarmNow(), 3) << "it stays, as a leak does";
}

}  // namespace
}  // namespace vespian::sim
