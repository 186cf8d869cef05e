// The flow dialog, the access-code box and the cleaning dialog on the offscreen platform.

#include "control/desktop/flow_dialog.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

#include "control/desktop/access_code_dialog.h"
#include "control/desktop/cleaning_dialog.h"
#include "control_fixture.h"

namespace vespian {
namespace {

using testing::ControlFixture;
using Bytes = std::vector<uint8_t>;

class FlowDialogTest : public ControlFixture {};

TEST_F(FlowDialogTest, ListsPresentTheTableOrderAndOnlyChannelsOneAndTwoCanBeSet) {
    FlowDialog d(context);
    EXPECT_EQ(d.windowTitle(), "流量设定");
    for (int c = 1; c <= 4; ++c) {
        ASSERT_EQ(d.gasList(c)->count(), 21);
        EXPECT_EQ(d.gasList(c)->itemText(0), "氨气");
        EXPECT_EQ(d.gasList(c)->itemText(20), "乙烷");
        EXPECT_EQ(d.gasList(c)->currentText(), "氩气") << "argon until set";
        EXPECT_EQ(d.setpointField(c)->text(), "30");
        EXPECT_EQ(d.setButton(c)->isEnabled(), c <= 2);
        EXPECT_EQ(d.gasList(c)->isEnabled(), c <= 2);
        EXPECT_EQ(d.setpointField(c)->isEnabled(), c <= 2);
    }
}

TEST_F(FlowDialogTest, ClampedSetpointIsSentShownAndRemembered) {
    {
        FlowDialog d(context);
        d.gasList(2)->setCurrentIndex(13);  // hydrogen
        d.setpointField(2)->setText("120");
        d.setButton(2)->click();
        ASSERT_EQ(sent.size(), 1u);
        EXPECT_EQ(sent[0], (Bytes{0x3B, 0x24, 0x00, 0x63}));
        ASSERT_EQ(prompts.texts().size(), 1u);
        EXPECT_EQ(prompts.texts()[0], "您输入的流量已经超过量程!!程序已经流量自动设置为最大流量[99]毫升!!");
        EXPECT_EQ(d.setpointField(2)->text(), "99");

        d.gasList(1)->setCurrentIndex(3);  // nitrogen
        d.setpointField(1)->setText("50");
        d.setButton(1)->click();
        EXPECT_EQ(sent[1], (Bytes{0x3B, 0x11, 0x00, 0x32}));
        EXPECT_EQ(d.setpointField(1)->text(), "50");
        EXPECT_EQ(prompts.texts().size(), 1u);
    }
    EXPECT_EQ(gasNameOf(flows.channel[1]), "氢气");
    FlowDialog again(context);
    EXPECT_EQ(again.setpointField(2)->text(), "99");
    EXPECT_EQ(again.gasList(2)->currentText(), "氢气");
    EXPECT_EQ(again.gasList(1)->currentText(), "氮气");
}

TEST_F(FlowDialogTest, WrongAccessCodeIsRefusedAndTheBoxStays) {
    AccessCodeDialog box(prompts);
    box.show();
    EXPECT_EQ(box.windowTitle(), "输入口令");
    EXPECT_EQ(box.codeField()->echoMode(), QLineEdit::Password);
    box.codeField()->setText("QUORBE");
    box.okButton()->click();
    ASSERT_EQ(prompts.records().size(), 1u);
    EXPECT_EQ(prompts.records()[0].text, "口令错误!!!");
    EXPECT_EQ(prompts.records()[0].caption, "错误");
    EXPECT_TRUE(box.isVisible());
    EXPECT_EQ(box.result(), 0);
    box.codeField()->setText("quorbe");
    box.okButton()->click();
    EXPECT_FALSE(box.isVisible());
    EXPECT_EQ(box.result(), QDialog::Accepted);
    EXPECT_EQ(prompts.records().size(), 1u);
}

TEST_F(FlowDialogTest, CleaningCountsDownAndStopsTheChannelSelectedThen) {
    CleaningDialog d(context);
    d.show();
    EXPECT_EQ(d.windowTitle(), "气路清洗设定");
    EXPECT_EQ(d.digits()->text(), "00");
    EXPECT_EQ(d.channelList()->currentIndex(), 0);
    d.startButton()->click();
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0], (Bytes{0x3C, 0x10}));
    EXPECT_TRUE(d.timer()->isActive());
    EXPECT_EQ(d.timer()->interval(), 100);
    // Before the first tick already the dialog cannot be left with the channel flushing.
    EXPECT_FALSE(d.exitButton()->isEnabled());
    EXPECT_FALSE(d.startButton()->isEnabled());
    d.tick();
    EXPECT_EQ(d.digits()->text(), "60");
    EXPECT_FALSE(d.startButton()->isEnabled());
    EXPECT_FALSE(d.exitButton()->isEnabled());
    EXPECT_EQ(d.timer()->interval(), 1000);
    for (int i = 0; i < 55; ++i) d.tick();
    EXPECT_EQ(d.digits()->text(), "05");
    // Escape and the close box stop the cleaning; the dialog stays.
    d.reject();
    EXPECT_TRUE(d.isVisible());
    d.channelList()->setCurrentIndex(1);
    d.tick();
    EXPECT_EQ(d.digits()->text(), "00");
    ASSERT_EQ(sent.size(), 2u);
    EXPECT_EQ(sent[1], (Bytes{0x3C, 0x21})) << "the stop names the channel selected now";
    EXPECT_FALSE(d.timer()->isActive());
    EXPECT_TRUE(d.startButton()->isEnabled());
    EXPECT_TRUE(d.exitButton()->isEnabled());
    d.stopButton()->click();  // nothing runs: nothing happens
    EXPECT_FALSE(d.timer()->isActive());
    EXPECT_EQ(sent.size(), 2u);
    d.exitButton()->click();
    EXPECT_FALSE(d.isVisible());
}

}  // namespace
}  // namespace vespian
