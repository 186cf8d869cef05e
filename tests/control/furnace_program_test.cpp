#include "control/furnace_program.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/gbk_text.h"

namespace vespian {
namespace {

std::vector<uint8_t> bytesOf(const Command& command) { return {command.bytes.begin(), command.bytes.begin() + command.length}; }

class ProgrammeEditorTest : public ::testing::Test {
protected:
    void SetUp() override { editor.open(); }

    ProgrammeStep add(const std::string& target, const std::string& rate, const std::string& hold) {
        editor.editField(0, target);
        editor.editField(1, rate);
        editor.editField(2, hold);
        return editor.addSegment();
    }

    std::vector<std::string> messageTexts(const ProgrammeStep& step) {
        std::vector<std::string> texts;
        for (const ControlNotice& n : step.messages) texts.push_back(n.text);
        return texts;
    }

    FurnaceProgram program{};
    ProgrammeEditor editor{program};
};

TEST_F(ProgrammeEditorTest, OpeningAnEmptyProgrammeOffersSegmentOneWithStartDisabled) {
    const ProgrammeScreen& s = editor.screen();
    EXPECT_EQ(s.selected, 0);
    EXPECT_EQ(s.fields, (std::array<std::string, 3>{"0", "0", "0"}));
    EXPECT_TRUE(s.fieldsEnabled);
    EXPECT_FALSE(s.startEnabled);
    EXPECT_EQ(s.startCaption, "开始程序升温");
    EXPECT_TRUE(s.list.empty()) << "segment 1 holds nothing, so the list is not filled";
}

TEST_F(ProgrammeEditorTest, AddingSegmentOneSendsItsLoadFrame) {
    const ProgrammeStep step = add("1000", "10", "120");
    EXPECT_TRUE(step.messages.empty());
    ASSERT_EQ(step.frames.size(), 1u);
    EXPECT_EQ(bytesOf(step.frames[0]), (std::vector<uint8_t>{0x3E, 0x01, 0x03, 0xE8, 0x0A, 0x00, 0x78, 0x00}));
    EXPECT_TRUE(program.defined[0]);
    EXPECT_TRUE(program.definedThisOpening);
    EXPECT_TRUE(program.addedSinceLaunch);
    EXPECT_EQ(editor.screen().selected, 1) << "the selection moves on to segment 2";
    EXPECT_EQ(editor.screen().fields[0], "1000") << "the fields keep what was typed";
    EXPECT_TRUE(editor.screen().startEnabled);
    ASSERT_EQ(editor.screen().list.size(), 2u);
    EXPECT_EQ(editor.screen().list[1], programmeListLine(0, {1000, 10, 120, true}));
}

TEST_F(ProgrammeEditorTest, RangeLimitsAreTheCheckedOnesNotTheLabel) {
    EXPECT_TRUE(add("1100", "30", "300").messages.empty());
    editor.selectSegment(0);
    ProgrammeStep refused = add("1101", "1", "1");
    ASSERT_EQ(refused.messages.size(), 1u);
    EXPECT_EQ(refused.messages[0].text, "输入的温度已经超过范围(1-1100℃)!!请重新输入!!");
    EXPECT_EQ(refused.messages[0].caption, "") << "the range messages have no title";
    EXPECT_TRUE(refused.frames.empty());
    EXPECT_EQ(program.targetC[0], 0);
    EXPECT_EQ(editor.screen().fields[0], "0");
    EXPECT_FALSE(editor.screen().startEnabled);
    EXPECT_TRUE(program.defined[0]) << "the segment keeps the mark it had";
    EXPECT_EQ(program.rateCPerMin[0], 1) << "the two good values are stored all the same";
    EXPECT_EQ(program.holdMin[0], 1);
}

TEST_F(ProgrammeEditorTest, ZeroIsRefusedInEveryFieldWithThreeMessagesInOrder) {
    const ProgrammeStep step = add("0", "0", "0");
    EXPECT_EQ(messageTexts(step), (std::vector<std::string>{"输入的温度已经超过范围(1-1100℃)!!请重新输入!!",
                                                            "输入的升温速率已经超过范围(1-30℃/Min)!!请重新输入!!",
                                                            "输入的恒温时间已经超过范围(1-300Min)!!请重新输入!!"}));
    EXPECT_TRUE(step.frames.empty());
    EXPECT_FALSE(program.defined[0]);
    EXPECT_FALSE(program.definedThisOpening);
    EXPECT_TRUE(program.addedSinceLaunch) << "set by every press, successful or not";
    // 31 ℃/min and 301 min are refused; 30.9 reads 30 and is accepted.
    EXPECT_EQ(add("500", "31", "301").messages.size(), 2u);
    const ProgrammeStep truncated = add("500.7", "30.9", "12abc");
    EXPECT_TRUE(truncated.messages.empty());
    EXPECT_EQ(bytesOf(truncated.frames[0]), (std::vector<uint8_t>{0x3E, 0x01, 0x01, 0xF4, 30, 0x00, 12, 0x00}));
}

TEST_F(ProgrammeEditorTest, TheListStopsAtTheFirstGap) {
    add("300", "10", "5");             // segment 1
    editor.selectSegment(2);
    add("600", "10", "5");             // segment 3; segment 2 never defined
    ASSERT_EQ(editor.screen().list.size(), 2u);
    EXPECT_NE(editor.screen().list[1].find("300"), std::string::npos);
    EXPECT_EQ(programmeList(program).size(), 2u);
}

TEST_F(ProgrammeEditorTest, ListColumnsCountGbkBytes) {
    const std::string header = programmeListHeader();
    EXPECT_EQ(gbkLength(header), 70u) << "10 + 20 + 20 + 20 bytes";
    EXPECT_EQ(header.rfind("段号", 0), 0u);
    const std::string column = gbkFromUtf8("升温设定(℃)");
    EXPECT_EQ(gbkFromUtf8(header).substr(10, column.size()), column) << "the second column starts at byte 10";
    const std::string line = programmeListLine(9, {1100, 30, 300, true});
    EXPECT_EQ(line, "10        1100                30                  300                 ");
}

TEST_F(ProgrammeEditorTest, TheTenthAddKeepsTheSelectionOnSegmentTen) {
    for (int i = 0; i < 10; ++i) {
        const ProgrammeStep step = add(std::to_string(100 + i), "10", "1");
        ASSERT_EQ(step.frames.size(), 1u);
        EXPECT_EQ(step.frames[0].bytes[1], i + 1);
    }
    EXPECT_EQ(editor.screen().selected, 9);
    // Another add goes to segment 10 again rather than past the table.
    const ProgrammeStep again = add("999", "10", "1");
    ASSERT_EQ(again.frames.size(), 1u);
    EXPECT_EQ(again.frames[0].bytes[1], 10);
    EXPECT_EQ(program.targetC[9], 999);
    EXPECT_EQ(program.targetC[10], 0);
    EXPECT_EQ(editor.screen().list.size(), 11u);
}

TEST_F(ProgrammeEditorTest, StartSendsTheStartFrameAndLocksTheFields) {
    add("500", "10", "30");
    const ProgrammeStep start = editor.pressStartStop({1000, 25.0f, 42});
    ASSERT_EQ(start.frames.size(), 1u);
    EXPECT_EQ(bytesOf(start.frames[0]), (std::vector<uint8_t>{0x3E, 0, 0, 0, 0, 0, 0, 0x30}));
    EXPECT_FALSE(start.question.has_value());
    EXPECT_TRUE(program.running);
    EXPECT_TRUE(program.startedSinceLaunch);
    EXPECT_EQ(editor.screen().startCaption, "停止程序升温");
    EXPECT_FALSE(editor.screen().fieldsEnabled);
    EXPECT_TRUE(program.run.known);
    EXPECT_EQ(program.run.startPoint, 42);
    EXPECT_FLOAT_EQ(program.run.startC, 25.0f);
    EXPECT_TRUE(program.run.segments[0].defined);
}

TEST_F(ProgrammeEditorTest, CancelAtTheStopQuestionKeepsItRunning) {
    add("500", "10", "30");
    editor.pressStartStop({});
    const ProgrammeStep ask = editor.pressStartStop({});
    ASSERT_TRUE(ask.question.has_value());
    EXPECT_EQ(ask.question->text, "确定要停止程序升温吗？");
    EXPECT_EQ(ask.question->caption, "提示");
    EXPECT_EQ(ask.question->icon, PromptIcon::Warning);
    EXPECT_TRUE(ask.frames.empty());
    const ProgrammeStep cancelled = editor.answerStop(false);
    EXPECT_TRUE(cancelled.frames.empty());
    EXPECT_TRUE(program.running);
    EXPECT_EQ(editor.screen().startCaption, "停止程序升温");
    EXPECT_TRUE(program.defined[0]);
}

TEST_F(ProgrammeEditorTest, StopSendsTheSelectedSegmentsFieldValuesThenEmptiesTheTable) {
    add("500", "10", "30");
    add("700", "5", "60");  // segment 2
    editor.pressStartStop({});
    editor.selectSegment(1);  // the combo stays usable while running
    EXPECT_EQ(editor.screen().fields, (std::array<std::string, 3>{"700", "5", "60"}));
    editor.pressStartStop({});
    const ProgrammeStep stop = editor.answerStop(true);
    ASSERT_EQ(stop.frames.size(), 1u);
    EXPECT_EQ(bytesOf(stop.frames[0]), (std::vector<uint8_t>{0x3E, 0x02, 0x02, 0xBC, 0x05, 0x00, 0x3C, 0x31}));
    EXPECT_FALSE(program.running);
    for (int i = 0; i < kSegmentSlots; ++i) {
        ASSERT_EQ(program.targetC[i], 0);
        ASSERT_EQ(program.defined[i], 0);
    }
    EXPECT_EQ(editor.screen().list, std::vector<std::string>{programmeListHeader()});
    EXPECT_EQ(editor.screen().fields, (std::array<std::string, 3>{"0", "0", "0"}));
    EXPECT_EQ(editor.screen().selected, 0);
    EXPECT_FALSE(editor.screen().startEnabled);
    EXPECT_TRUE(editor.screen().fieldsEnabled);
    EXPECT_EQ(editor.screen().startCaption, "开始程序升温");
    EXPECT_FALSE(program.run.known);
}

TEST_F(ProgrammeEditorTest, StopSendsUncheckedValuesWithoutOverflow) {
    add("500", "10", "30");
    editor.pressStartStop({});
    editor.editField(0, "99999999999999999999");  // far beyond an int32
    editor.editField(1, "-3");
    editor.editField(2, "70000");
    editor.pressStartStop({});
    const ProgrammeStep stop = editor.answerStop(true);
    ASSERT_EQ(stop.frames.size(), 1u);
    // The low bits as the analyser reads them: 2147483647 → FF FF, −3 → FD, 70000 → 11 70.
    EXPECT_EQ(bytesOf(stop.frames[0]), (std::vector<uint8_t>{0x3E, 0x02, 0xFF, 0xFF, 0xFD, 0x11, 0x70, 0x31}));
}

TEST_F(ProgrammeEditorTest, ExitRules) {
    // Nothing added in this opening, nothing running: the table goes, without a frame.
    program.targetC[3] = 77;
    ProgrammeStep step = editor.exit();
    EXPECT_TRUE(step.close);
    EXPECT_TRUE(step.frames.empty());
    EXPECT_EQ(program.targetC[3], 0);

    // Added but never started: ask; Cancel stays, OK discards with the discard frame.
    editor.open();
    add("500", "10", "30");
    step = editor.exit();
    ASSERT_TRUE(step.question.has_value());
    EXPECT_EQ(step.question->text, "程序升温未启动,如果退出当前已设定数据将被全部清零,确定要退出吗？");
    EXPECT_FALSE(step.close);
    step = editor.answerExit(false);
    EXPECT_FALSE(step.close);
    EXPECT_TRUE(program.defined[0]);
    editor.exit();
    step = editor.answerExit(true);
    EXPECT_TRUE(step.close);
    ASSERT_EQ(step.frames.size(), 1u);
    EXPECT_EQ(bytesOf(step.frames[0]), (std::vector<uint8_t>{0x3E, 0, 0, 0, 0, 0, 0, 0x31}));
    EXPECT_FALSE(program.defined[0]);
}

TEST_F(ProgrammeEditorTest, ExitWhileRunningOrAfterAnEarlierStartKeepsTheTable) {
    add("500", "10", "30");
    editor.pressStartStop({});
    ProgrammeStep step = editor.exit();
    EXPECT_TRUE(step.close);
    EXPECT_TRUE(step.frames.empty());
    EXPECT_TRUE(program.defined[0]);

    // Reopened while running: nothing added in this opening, running: close, table untouched.
    editor.open();
    EXPECT_EQ(editor.screen().startCaption, "停止程序升温");
    EXPECT_FALSE(editor.screen().fieldsEnabled);
    EXPECT_TRUE(editor.screen().startEnabled);
    EXPECT_EQ(editor.screen().list.size(), 2u);
    step = editor.exit();
    EXPECT_TRUE(step.close);
    EXPECT_TRUE(program.defined[0]);

    // Stopped, reopened, a segment added: started-since-launch is set, so no question.
    editor.open();
    editor.pressStartStop({});
    editor.answerStop(true);
    add("200", "5", "5");
    step = editor.exit();
    EXPECT_FALSE(step.question.has_value());
    EXPECT_TRUE(step.close);
    EXPECT_TRUE(program.defined[0]);
}

TEST_F(ProgrammeEditorTest, LinkWatchDropsTheShownSegmentsWhenTheLinkIsDownAfterAnAdd) {
    EXPECT_TRUE(editor.linkWatchTick(false)) << "nothing added yet: keep watching";
    EXPECT_TRUE(editor.linkWatchTick(true));
    add("500", "10", "30");
    add("600", "10", "30");
    EXPECT_FALSE(editor.linkWatchTick(true)) << "after an add the watch stops once the link is up";
    editor.open();
    add("700", "10", "30");  // segment 1 again
    EXPECT_FALSE(editor.linkWatchTick(false));
    EXPECT_EQ(editor.screen().list, std::vector<std::string>{programmeListHeader()});
    EXPECT_EQ(editor.screen().selected, 0);
    EXPECT_FALSE(program.defined[0]);
    EXPECT_FALSE(program.defined[1]);
    EXPECT_EQ(program.targetC[0], 700) << "the values stay";
    EXPECT_EQ(program.targetC[1], 600);
}

TEST(ForcedStop, StopsOnlyARunningProgrammeAndResetsAnOpenDialog) {
    FurnaceProgram program{};
    EXPECT_FALSE(forceProgrammeStop(program, false).has_value()) << "alarm 1 without a programme: nothing sent";

    ProgrammeEditor editor(program);
    editor.open();
    editor.editField(0, "500");
    editor.editField(1, "10");
    editor.editField(2, "30");
    editor.addSegment();
    editor.pressStartStop({});
    editor.showForcedStop();
    const std::optional<Command> frame = forceProgrammeStop(program, true);
    ASSERT_TRUE(frame.has_value());
    EXPECT_EQ(bytesOf(*frame), (std::vector<uint8_t>{0x3E, 0, 0, 0, 0, 0, 0, 0x31}));
    EXPECT_FALSE(program.running);
    EXPECT_FALSE(program.defined[0]);
    EXPECT_EQ(program.targetC[0], 500) << "values kept";
    EXPECT_EQ(editor.screen().startCaption, "开始程序升温");
    EXPECT_FALSE(editor.screen().startEnabled);
    EXPECT_TRUE(editor.screen().fieldsEnabled);
    EXPECT_EQ(editor.screen().fields, (std::array<std::string, 3>{"0", "0", "0"}));
    EXPECT_FALSE(forceProgrammeStop(program, true).has_value()) << "a second stop sends nothing";

    // With the dialog closed the marks stay; only running is cleared.
    program.running = 1;
    program.defined[0] = 1;
    EXPECT_TRUE(forceProgrammeStop(program, false).has_value());
    EXPECT_TRUE(program.defined[0]);
}

// A sensor alarm acknowledged while the stop question is still shown: the furnace must stop, and
// answering Cancel afterwards must not count it as running again.
TEST(ForcedStop, StopsAProgrammeWhoseStopQuestionIsOpen) {
    for (bool answer : {false, true}) {
        FurnaceProgram program{};
        ProgrammeEditor editor(program);
        editor.open();
        editor.editField(0, "500");
        editor.editField(1, "10");
        editor.editField(2, "30");
        editor.addSegment();
        editor.pressStartStop({});
        const ProgrammeStep ask = editor.pressStartStop({});
        ASSERT_TRUE(ask.question.has_value());
        ASSERT_FALSE(program.running) << "cleared while asking";

        const std::optional<Command> frame = forceProgrammeStop(program, true);
        ASSERT_TRUE(frame.has_value()) << answer;
        EXPECT_EQ(bytesOf(*frame), (std::vector<uint8_t>{0x3E, 0, 0, 0, 0, 0, 0, 0x31}));
        editor.showForcedStop();

        editor.answerStop(answer);
        EXPECT_FALSE(program.running) << answer;
        EXPECT_EQ(editor.screen().startCaption, "开始程序升温") << answer;
        EXPECT_FALSE(forceProgrammeStop(program, true).has_value()) << "nothing left to stop";
    }
    // Without a forced stop in between, Cancel still keeps the programme running.
    FurnaceProgram program{};
    ProgrammeEditor editor(program);
    editor.open();
    editor.editField(0, "500");
    editor.editField(1, "10");
    editor.editField(2, "30");
    editor.addSegment();
    editor.pressStartStop({});
    editor.pressStartStop({});
    editor.answerStop(false);
    EXPECT_TRUE(program.running);
    EXPECT_EQ(program.stopAsked, 0);
    EXPECT_TRUE(forceProgrammeStop(program, true).has_value());
}

TEST(ProgrammeFields, ReadingAndPlacement) {
    EXPECT_EQ(programmeFieldValue("99.9"), 99);
    EXPECT_EQ(programmeFieldValue("-3.7"), -3);
    EXPECT_EQ(programmeFieldValue("7a9"), 7);
    EXPECT_EQ(programmeFieldValue(""), 0);
    EXPECT_EQ(programmeFieldValue("1e5"), 1);
    EXPECT_EQ(programmeFieldValue(std::string(150, '9')), 2147483647);
    EXPECT_EQ(programmeFieldValue("-" + std::string(150, '9')), -2147483647 - 1);
    const DialogPlacement p = programmeDialogPlacement(1920, 1080);
    EXPECT_EQ(p.x, (1920 - 325) / 2 - 163);
    EXPECT_EQ(p.y, (1080 - 550) / 2 + 100);
    EXPECT_EQ(p.width, 650);
    EXPECT_EQ(p.height, 550);
}

}  // namespace
}  // namespace vespian
