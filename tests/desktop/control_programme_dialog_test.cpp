// The programme dialog on the offscreen platform: its flows through the prompt double, the one
// open copy, the forced stop reaching it, the link watch, and a screenshot of the preview while
// a programme runs.

#include "control/desktop/programme_dialog.h"

#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTimer>

#include "control_fixture.h"
#include "control/desktop/instrument_control.h"
#include "control/desktop/programme_preview_view.h"

namespace vespian {
namespace {

using testing::ControlFixture;
using Bytes = std::vector<uint8_t>;

class ProgrammeDialogTest : public ControlFixture {
protected:
    void type(ProgrammeDialog& d, const char* target, const char* rate, const char* hold) {
        d.field(0)->setText(target);
        d.field(1)->setText(rate);
        d.field(2)->setText(hold);
    }
    QStringList listLines(ProgrammeDialog& d) {
        QStringList lines;
        for (int i = 0; i < d.programmeList()->count(); ++i) lines << d.programmeList()->item(i)->text();
        return lines;
    }
};

TEST_F(ProgrammeDialogTest, AddingAndStartingSendsTheFrames) {
    ProgrammeDialog d(context);
    EXPECT_EQ(d.windowTitle(), "程序升温设定");
    EXPECT_EQ(d.size(), QSize(650, 550));
    ASSERT_EQ(d.segmentCombo()->count(), 10);
    EXPECT_EQ(d.segmentCombo()->itemText(9), "第十段");
    EXPECT_FALSE(d.startStopButton()->isEnabled());
    type(d, "1000", "10", "120");
    d.addButton()->click();
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0], (Bytes{0x3E, 0x01, 0x03, 0xE8, 0x0A, 0x00, 0x78, 0x00}));
    EXPECT_EQ(d.segmentCombo()->currentIndex(), 1);
    EXPECT_EQ(listLines(d).size(), 2);
    EXPECT_TRUE(d.startStopButton()->isEnabled());
    EXPECT_NE(d.preview()->summaryText().indexOf("共1段"), -1);

    d.startStopButton()->click();
    EXPECT_EQ(sent.back(), (Bytes{0x3E, 0, 0, 0, 0, 0, 0, 0x30}));
    EXPECT_EQ(d.startStopButton()->text(), "停止程序升温");
    EXPECT_FALSE(d.field(0)->isEnabled());
    EXPECT_FALSE(d.addButton()->isEnabled());
    EXPECT_TRUE(d.segmentCombo()->isEnabled());
    EXPECT_TRUE(prompts.records().empty());
}

TEST_F(ProgrammeDialogTest, OutOfRangeValuesGiveTheirMessagesAndNoFrame) {
    ProgrammeDialog d(context);
    type(d, "1101", "0", "301");
    d.addButton()->click();
    EXPECT_TRUE(sent.empty());
    ASSERT_EQ(prompts.texts().size(), 3u);
    EXPECT_EQ(prompts.texts()[0], "输入的温度已经超过范围(1-1100℃)!!请重新输入!!");
    EXPECT_EQ(d.field(0)->text(), "0");
    EXPECT_EQ(d.field(2)->text(), "0");
    EXPECT_FALSE(d.startStopButton()->isEnabled());
}

TEST_F(ProgrammeDialogTest, CancelAtTheStopQuestionKeepsItRunning) {
    ProgrammeDialog d(context);
    type(d, "500", "10", "30");
    d.addButton()->click();
    d.startStopButton()->click();
    sent.clear();
    prompts.answerNo();
    d.startStopButton()->click();
    ASSERT_EQ(prompts.records().size(), 1u);
    EXPECT_EQ(prompts.records()[0].text, "确定要停止程序升温吗？");
    EXPECT_EQ(prompts.records()[0].caption, "提示");
    EXPECT_TRUE(sent.empty());
    EXPECT_TRUE(control.programme.running);
    EXPECT_EQ(d.startStopButton()->text(), "停止程序升温");

    prompts.answerYes();
    d.segmentCombo()->setCurrentIndex(0);
    emit d.segmentCombo()->activated(0);
    d.startStopButton()->click();
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0], (Bytes{0x3E, 0x01, 0x01, 0xF4, 0x0A, 0x00, 0x1E, 0x31})) << "the selected segment's values";
    EXPECT_FALSE(control.programme.running);
    EXPECT_EQ(listLines(d).size(), 1) << "only the header";
    EXPECT_EQ(d.startStopButton()->text(), "开始程序升温");
    EXPECT_EQ(prompts.unscripted(), 0);
}

TEST_F(ProgrammeDialogTest, ExitWithUnstartedSegmentsAsksAndDiscards) {
    ProgrammeDialog d(context);
    d.show();
    type(d, "500", "10", "30");
    d.addButton()->click();
    sent.clear();
    prompts.answerNo();
    d.exitButton()->click();
    EXPECT_TRUE(d.isVisible()) << "Cancel stays";
    EXPECT_TRUE(sent.empty());
    EXPECT_EQ(prompts.texts().back(), "程序升温未启动,如果退出当前已设定数据将被全部清零,确定要退出吗？");
    prompts.answerYes();
    d.exitButton()->click();
    EXPECT_FALSE(d.isVisible());
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0], (Bytes{0x3E, 0, 0, 0, 0, 0, 0, 0x31}));
    EXPECT_FALSE(control.programme.defined[0]);
    EXPECT_EQ(prompts.unscripted(), 0);
}

TEST_F(ProgrammeDialogTest, EscapeWhileRunningClosesAndLeavesTheProgrammeRunning) {
    ProgrammeDialog d(context);
    d.show();
    type(d, "500", "10", "30");
    d.addButton()->click();
    d.startStopButton()->click();
    d.reject();
    EXPECT_FALSE(d.isVisible());
    EXPECT_TRUE(control.programme.running) << "closing the dialog never stops a running programme";
    EXPECT_TRUE(prompts.records().empty());
}

TEST_F(ProgrammeDialogTest, OnlyOneCopyIsOpenAndTheForcedStopReachesIt) {
    auto first = std::make_unique<ProgrammeDialog>(context);
    first->show();
    EXPECT_EQ(ProgrammeDialog::openDialog(), first.get());
    ProgrammeDialog second(context);
    second.show();
    EXPECT_FALSE(first->isVisible()) << "the copy still open was closed";
    EXPECT_EQ(ProgrammeDialog::openDialog(), &second);
    first.reset();
    EXPECT_EQ(ProgrammeDialog::openDialog(), &second);

    type(second, "600", "10", "30");
    second.addButton()->click();
    second.startStopButton()->click();
    sent.clear();
    InstrumentControl windows(context);
    EXPECT_TRUE(windows.forcedStop());
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0], (Bytes{0x3E, 0, 0, 0, 0, 0, 0, 0x31}));
    EXPECT_FALSE(control.programme.running);
    EXPECT_EQ(second.startStopButton()->text(), "开始程序升温");
    EXPECT_FALSE(second.startStopButton()->isEnabled());
    EXPECT_EQ(second.field(0)->text(), "0");
    EXPECT_TRUE(second.field(0)->isEnabled());
    EXPECT_EQ(second.programmeList()->count(), 1);
    EXPECT_EQ(control.programme.targetC[0], 600) << "values kept";
    EXPECT_FALSE(windows.forcedStop()) << "nothing running: nothing sent";
    EXPECT_EQ(sent.size(), 1u);
}

TEST_F(ProgrammeDialogTest, LinkWatchDropsTheListWhenTheLinkIsDown) {
    ProgrammeDialog d(context);
    EXPECT_EQ(d.linkWatchTimer()->interval(), 1000);
    EXPECT_TRUE(d.linkWatchTimer()->isActive());
    type(d, "500", "10", "30");
    d.addButton()->click();
    linkUp = false;
    d.linkWatchTick();
    EXPECT_EQ(d.programmeList()->count(), 1);
    EXPECT_EQ(d.segmentCombo()->currentIndex(), 0);
    EXPECT_FALSE(d.linkWatchTimer()->isActive());
}

// A programme started ten minutes ago, with the furnace following it in the trace.
TEST_F(ProgrammeDialogTest, ScreenshotOfThePreviewWhileRunning) {
    ProgrammeDialog d(context);
    d.show();
    type(d, "300", "10", "20");
    d.addButton()->click();
    type(d, "600", "5", "30");
    d.addButton()->click();
    fillTrace(5, 25.0f, 0.0f);
    d.startStopButton()->click();
    // 15 minutes at 10 ℃/min (5 points a second), a little behind the plan.
    fillTrace(15 * 60 * 5, 25.0f, 10.0f / 300.0f * 0.98f);
    secondOfDay += 15 * 60;
    wallSeconds += 15 * 60;
    d.preview()->refresh();
    QApplication::processEvents();
    EXPECT_NE(d.preview()->positionText().indexOf("第一段升温"), -1) << d.preview()->positionText().toStdString();
    EXPECT_NE(d.preview()->positionText().indexOf("结束"), -1);
    // 27.5 + 20 + 60 + 30 = 137.5 min from 09:00: 11:17:30, the 122.5 min left after 09:15.
    EXPECT_NE(d.preview()->positionText().indexOf("11:17"), -1) << d.preview()->positionText().toStdString();
    EXPECT_NE(d.preview()->summaryText().indexOf("2小时18分"), -1) << d.preview()->summaryText().toStdString();
    savePicture(d.grab().toImage(), "control_programme_dialog.png");
}

}  // namespace
}  // namespace vespian
