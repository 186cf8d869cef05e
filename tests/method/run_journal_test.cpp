// The run journal: what the next start learns from it, and where a run interrupted at each kind
// of step can be taken up again.

#include "method/run_journal.h"

#include <gtest/gtest.h>

#include "method/method_templates.h"
#include "support/test_files.h"

namespace vespian {
namespace {

MethodFile tpr() {
    for (const MethodTemplate& t : shippedTemplates()) {
        if (t.fileName == "tpr.json") return t.method;
    }
    return {};
}

TEST(RunJournal, TheNextStartLearnsTheMethodAndTheStepAndAnUnreadableJournalIsSaidSo) {
    testing::TestFolder folder("run_journal");
    const std::string path = folder.file(kRunJournalFileName);
    EXPECT_FALSE(inspectRunJournal(path).found);

    RunJournal journal(path);
    const MethodFile method = tpr();
    ASSERT_TRUE(journal.record(method, "/data/tpr.json", 3, 1000, 1010));
    ASSERT_TRUE(journal.record(method, "/data/tpr.json", 14, 1000, 2000));
    const InterruptedRun run = inspectRunJournal(path);
    ASSERT_TRUE(run.readable) << run.message;
    EXPECT_EQ(run.method, method);
    EXPECT_EQ(run.methodPath, "/data/tpr.json");
    EXPECT_EQ(run.step, 14);
    EXPECT_EQ(run.startedWallS, 1000);
    EXPECT_EQ(run.updatedWallS, 2000);
    // Step 15 waits for 800 ℃ inside the recording: the run goes on after it, past the
    // evaluation and the saving of what was cut short, at step 17 ... the furnace's stop.
    EXPECT_EQ(run.nextSafeStep, 17);
    EXPECT_EQ(interruptedRunText(run),
              "上次运行的方法“TPR 程序升温还原”在第 15 步（等待）中断。可以让仪器进入安全状态并结束，或从第 18 步（炉子）继续。");
    // The window's question offers 是 only while a step is left to go on from.
    EXPECT_TRUE(canGoOn(run));
    EXPECT_NE(interruptedRunQuestion(run).find("“是”：从第 18 步继续运行"), std::string::npos);
    InterruptedRun atEnd = run;
    atEnd.nextSafeStep = static_cast<int32_t>(run.method.steps.size());
    EXPECT_FALSE(canGoOn(atEnd));
    EXPECT_EQ(interruptedRunQuestion(atEnd).find("“是”"), std::string::npos);
    EXPECT_NE(interruptedRunQuestion(atEnd).find("“否”：让仪器进入安全状态"), std::string::npos);
    // Ended safely: the hydrogen the run had on channel 2 is shut off before argon follows.
    ControlState control{};
    FlowChannels flows{};
    const SafeState safe = endInterruptedRunSafely(run, control, flows);
    std::vector<std::vector<uint8_t>> frames;
    for (const Command& c : safe.frames) frames.emplace_back(c.bytes.begin(), c.bytes.begin() + c.length);
    EXPECT_EQ(frames, (std::vector<std::vector<uint8_t>>{{0x3E, 0, 0, 0, 0, 0, 0, 0x31},
                                                         {0x3B, 0x12, 0x00, 0x1E},
                                                         {0x3B, 0x24, 0x00, 0x00},
                                                         {0x3B, 0x22, 0x00, 0x1E}}));
    ASSERT_TRUE(journal.finish());
    EXPECT_FALSE(inspectRunJournal(path).found);

    testing::writeBytes(path, "{\"journal\": 1, \"step\": 2, \"method\": {\"format\": 7}}");
    const InterruptedRun broken = inspectRunJournal(path);
    EXPECT_TRUE(broken.found);
    EXPECT_FALSE(broken.readable);
    EXPECT_NE(broken.message.find("无法读取"), std::string::npos);
    testing::writeBytes(path, std::string("\x00\xff garbage", 10));
    EXPECT_FALSE(inspectRunJournal(path).readable);
}

TEST(RunJournal, WhereARunGoesOnAfterEachKindOfStep) {
    const MethodFile method = tpr();  // steps as 0-based indices
    EXPECT_EQ(nextSafeStep(method, 3), 3) << "a wait is waited for again";
    EXPECT_EQ(nextSafeStep(method, 6), 6);
    EXPECT_EQ(nextSafeStep(method, 2), 3) << "a furnace step is not sent twice";
    EXPECT_EQ(nextSafeStep(method, 11), 17) << "the recording's start: its whole stretch is lost";
    EXPECT_EQ(nextSafeStep(method, 13), 17);
    EXPECT_EQ(nextSafeStep(method, 16), 17) << "the recording's stop";
    EXPECT_EQ(nextSafeStep(method, 24), 24);
    EXPECT_EQ(nextSafeStep(method, 25), 25) << "nothing is left";

    MethodFile pulses;
    for (const MethodTemplate& t : shippedTemplates()) {
        if (t.fileName == "pulse_chemisorption.json") pulses = t.method;
    }
    pulses.steps.erase(pulses.steps.begin() + 17);  // no recording around the pulses
    pulses.steps.erase(pulses.steps.begin() + 19);
    ASSERT_TRUE(std::holds_alternative<PulsesStep>(pulses.steps[18]));
    // After the pulses come valves and gas first; the evaluation later says it has no pulses.
    EXPECT_EQ(nextSafeStep(pulses, 18), 19);
}

}  // namespace
}  // namespace vespian
