#include "app/desktop/settings_dialog.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>

#include <memory>

#include "app/colour_palette.h"
#include "platform/desktop/progress_window.h"
#include "paint_count.h"
#include "support/scripted_prompts.h"

namespace vespian {
namespace {

struct Applied {
    int colourCalls = 0;
    StoredColour background = 0;
    StoredColour line = 0;
    int rangeCalls = 0;
    int32_t timeRangeS = 0;
    int32_t voltRangeUv = 0;
};

constexpr DisplaySettings kCurrent{0x123456, 0x00FF00, 600, 5000};

class SettingsDialogTest : public ::testing::Test {
protected:
    void SetUp() override { SettingsDialog::forgetRememberedTab(); }

    std::unique_ptr<SettingsDialog> open() {
        auto dialog = std::make_unique<SettingsDialog>(
            nullptr, kCurrent, prompts_,
            [this](StoredColour background, StoredColour line) {
                ++applied_.colourCalls;
                applied_.background = background;
                applied_.line = line;
            },
            [this](int32_t timeRangeS, int32_t voltRangeUv) {
                ++applied_.rangeCalls;
                applied_.timeRangeS = timeRangeS;
                applied_.voltRangeUv = voltRangeUv;
            });
        dialog->show();
        QApplication::processEvents();
        return dialog;
    }

    template <typename T>
    static T* child(const QWidget& parent, const char* name) {
        T* found = parent.findChild<T*>(name);
        EXPECT_NE(found, nullptr) << name;
        return found;
    }

    static void press(const QWidget& parent, const char* button) { child<QPushButton>(parent, button)->click(); }

    static void showTab(const QWidget& dialog, int tab) { child<QTabWidget>(dialog, "settingsTabs")->setCurrentIndex(tab); }

    // A left click on the palette, in colour-page coordinates.
    static void clickPalette(const QWidget& dialog, int pageX, int pageY) {
        QWidget* palette = child<QWidget>(dialog, "palette");
        const QPointF local(pageX - kPaletteRect.left, pageY - kPaletteRect.top);
        QMouseEvent pressEvent(QEvent::MouseButtonPress, local, palette->mapToGlobal(local), Qt::LeftButton,
                               Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(palette, &pressEvent);
    }

    static QPoint centreOf(int column, int row) {
        const PixelRect r = swatchRect(column, row);
        return {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
    }

    testing::ScriptedPrompts prompts_;
    Applied applied_;
};

TEST_F(SettingsDialogTest, OpensWithTheColourTabOnlyAndItsFrame) {
    auto dialog = open();
    EXPECT_EQ(dialog->windowTitle(), QString("设置"));
    EXPECT_EQ(dialog->size(), QSize(475, 500));
    auto* tabs = child<QTabWidget>(*dialog, "settingsTabs");
    EXPECT_EQ(tabs->geometry(), QRect(5, 0, 460, 430));
    EXPECT_EQ(tabs->tabText(0), QString("颜色选择"));
    EXPECT_EQ(tabs->tabText(1), QString("窗口参数"));
    EXPECT_EQ(child<QPushButton>(*dialog, "okButton")->text(), QString("确定"));
    EXPECT_EQ(child<QPushButton>(*dialog, "cancelButton")->text(), QString("取消"));
    EXPECT_EQ(dialog->currentTab(), SettingsDialog::kColourTab);
    EXPECT_TRUE(dialog->pageCreated(SettingsDialog::kColourTab));
    EXPECT_FALSE(dialog->pageCreated(SettingsDialog::kWindowTab));
    EXPECT_EQ(dialog->findChild<QWidget*>("windowPage"), nullptr);
    EXPECT_TRUE(child<QRadioButton>(*dialog, "backgroundRadio")->isChecked());
    EXPECT_EQ(child<QWidget>(*dialog, "palette")->cursor().shape(), Qt::CrossCursor);
}

TEST_F(SettingsDialogTest, DefaultsThenOkApplyWhiteAndMagentaButNotTheRanges) {
    auto dialog = open();
    press(*dialog, "defaultButton");
    press(*dialog, "okButton");
    EXPECT_EQ(dialog->result(), QDialog::Accepted);
    EXPECT_EQ(applied_.colourCalls, 1);
    EXPECT_EQ(applied_.background, 0xFFFFFFu);
    EXPECT_EQ(applied_.line, 0x7800FFu);
    // The window tab was never shown: its settings are not touched.
    EXPECT_EQ(applied_.rangeCalls, 0);
    EXPECT_TRUE(prompts_.records().empty());
}

TEST_F(SettingsDialogTest, OkWithoutChangesAppliesTheCurrentValues) {
    auto dialog = open();
    showTab(*dialog, SettingsDialog::kWindowTab);
    EXPECT_EQ(child<QLineEdit>(*dialog, "timeRangeEdit")->text(), QString("600"));
    EXPECT_EQ(child<QLineEdit>(*dialog, "voltRangeEdit")->text(), QString("5000"));
    press(*dialog, "okButton");
    EXPECT_EQ(applied_.colourCalls, 1);
    EXPECT_EQ(applied_.background, kCurrent.background);
    EXPECT_EQ(applied_.line, kCurrent.line);
    EXPECT_EQ(applied_.rangeCalls, 1);
    EXPECT_EQ(applied_.timeRangeS, 600);
    EXPECT_EQ(applied_.voltRangeUv, 5000);
}

TEST_F(SettingsDialogTest, CancelAfterPickingAppliesNothing) {
    auto dialog = open();
    clickPalette(*dialog, centreOf(4, 4).x(), centreOf(4, 4).y());
    child<QRadioButton>(*dialog, "lineRadio")->setChecked(true);
    clickPalette(*dialog, centreOf(0, 10).x(), centreOf(0, 10).y());
    showTab(*dialog, SettingsDialog::kWindowTab);
    child<QLineEdit>(*dialog, "timeRangeEdit")->setText("1200");
    press(*dialog, "cancelButton");
    EXPECT_EQ(dialog->result(), QDialog::Rejected);
    EXPECT_EQ(applied_.colourCalls, 0);
    EXPECT_EQ(applied_.rangeCalls, 0);
    // Nor is the tab remembered.
    EXPECT_EQ(SettingsDialog::rememberedTab(), SettingsDialog::kColourTab);
}

TEST_F(SettingsDialogTest, ReopeningShowsTheTabOfTheLastOk) {
    {
        auto dialog = open();
        showTab(*dialog, SettingsDialog::kWindowTab);
        press(*dialog, "okButton");
    }
    applied_ = {};
    {
        auto dialog = open();
        EXPECT_EQ(dialog->currentTab(), SettingsDialog::kWindowTab);
        EXPECT_TRUE(dialog->pageCreated(SettingsDialog::kWindowTab));
        EXPECT_FALSE(dialog->pageCreated(SettingsDialog::kColourTab));
        press(*dialog, "okButton");
        // Only the page of this opening is applied.
        EXPECT_EQ(applied_.rangeCalls, 1);
        EXPECT_EQ(applied_.colourCalls, 0);
    }
    {
        // A cancelled opening on another tab does not move the remembered tab.
        auto dialog = open();
        showTab(*dialog, SettingsDialog::kColourTab);
        press(*dialog, "cancelButton");
    }
    auto dialog = open();
    EXPECT_EQ(dialog->currentTab(), SettingsDialog::kWindowTab);
}

TEST_F(SettingsDialogTest, PaletteClickAssignsTheSwatchColourToTheSelectedItem) {
    auto dialog = open();
    const QPoint background = centreOf(5, 7);
    clickPalette(*dialog, background.x(), background.y());
    child<QRadioButton>(*dialog, "lineRadio")->setChecked(true);
    const QPoint line = centreOf(0, 19);
    clickPalette(*dialog, line.x(), line.y());
    // A click in the gap between swatches picks nothing.
    clickPalette(*dialog, swatchRect(3, 3).right + 1, swatchRect(3, 3).top);

    // The preview swatches show the picks: background at (150, 20), line at (150, 50).
    const QImage page = child<QWidget>(*dialog, "colourPage")->grab().toImage();
    EXPECT_EQ(page.pixel(152, 22), pixelFromStored(paletteColour(5, 7)));
    EXPECT_EQ(page.pixel(159, 28), pixelFromStored(paletteColour(5, 7)));
    EXPECT_EQ(page.pixel(152, 52), pixelFromStored(paletteColour(0, 19)));
    // The palette itself is painted from the palette colours.
    const PixelRect swatch = swatchRect(12, 6);
    EXPECT_EQ(page.pixel(swatch.left, swatch.top), pixelFromStored(paletteColour(12, 6)));
    EXPECT_EQ(page.pixel(swatch.right - 1, swatch.bottom - 1), pixelFromStored(paletteColour(12, 6)));

    press(*dialog, "okButton");
    EXPECT_EQ(applied_.background, paletteColour(5, 7));
    EXPECT_EQ(applied_.line, paletteColour(0, 19));
}

TEST_F(SettingsDialogTest, UnusableRangesAreRefusedWithAMessageAndTheDialogStaysOpen) {
    auto dialog = open();
    press(*dialog, "defaultButton");  // a colour change that must not be applied either
    showTab(*dialog, SettingsDialog::kWindowTab);
    auto* time = child<QLineEdit>(*dialog, "timeRangeEdit");
    auto* volt = child<QLineEdit>(*dialog, "voltRangeEdit");

    for (const char* entry : {"0", "-5", "abc", "99999999999", "2000001"}) {
        prompts_.clear();
        time->setText(entry);
        press(*dialog, "okButton");
        ASSERT_EQ(prompts_.records().size(), 1u) << entry;
        EXPECT_EQ(prompts_.records()[0].caption, "警告");
        EXPECT_EQ(prompts_.records()[0].icon, PromptIcon::Warning);
        EXPECT_EQ(prompts_.records()[0].text, "输入的时间量程已经超过范围(1-2000000秒)!!请重新输入!!");
        EXPECT_TRUE(dialog->isVisible()) << entry;
    }
    time->setText("1");
    for (const char* entry : {"499", "", "10000001"}) {
        prompts_.clear();
        volt->setText(entry);
        press(*dialog, "okButton");
        ASSERT_EQ(prompts_.records().size(), 1u) << entry;
        EXPECT_EQ(prompts_.records()[0].text, "输入的电压量程已经超过范围(500-10000000uV)!!请重新输入!!");
        EXPECT_TRUE(dialog->isVisible()) << entry;
    }
    // Refused entries applied nothing at all, the colours included.
    EXPECT_EQ(applied_.colourCalls, 0);
    EXPECT_EQ(applied_.rangeCalls, 0);

    // The limits themselves are usable.
    prompts_.clear();
    volt->setText(" 500 ");
    press(*dialog, "okButton");
    EXPECT_TRUE(prompts_.records().empty());
    EXPECT_EQ(dialog->result(), QDialog::Accepted);
    EXPECT_EQ(applied_.rangeCalls, 1);
    EXPECT_EQ(applied_.timeRangeS, 1);
    EXPECT_EQ(applied_.voltRangeUv, 500);
    EXPECT_EQ(applied_.colourCalls, 1);
    EXPECT_EQ(applied_.background, kDefaultBackgroundColour);
}

TEST_F(SettingsDialogTest, RefusedRangeOnAHiddenTabBringsThatTabBack) {
    auto dialog = open();
    showTab(*dialog, SettingsDialog::kWindowTab);
    child<QLineEdit>(*dialog, "voltRangeEdit")->setText("100");
    showTab(*dialog, SettingsDialog::kColourTab);
    press(*dialog, "okButton");
    EXPECT_EQ(prompts_.records().size(), 1u);
    EXPECT_EQ(dialog->currentTab(), SettingsDialog::kWindowTab);
}

TEST_F(SettingsDialogTest, Screenshots) {
    auto dialog = open();
    press(*dialog, "defaultButton");
    child<QRadioButton>(*dialog, "lineRadio")->setChecked(true);
    QApplication::processEvents();
    EXPECT_TRUE(dialog->grab().save(VESPIAN_BUILD_DIR "/settings_dialog_colours.png"));
    showTab(*dialog, SettingsDialog::kWindowTab);
    QApplication::processEvents();
    EXPECT_TRUE(dialog->grab().save(VESPIAN_BUILD_DIR "/settings_dialog_window.png"));
}

// ---- progress window ----------------------------------------------------------------------

TEST(ProgressWindow, CountsEveryStepAndShowsTheFullBarAtTheEnd) {
    ProgressWindow window(nullptr, "保存设置", "正在保存设置参数,请稍候...", 500);
    EXPECT_EQ(window.windowTitle(), QString("保存设置"));
    EXPECT_EQ(window.findChild<QLabel*>("progressText")->text(), QString("正在保存设置参数,请稍候..."));
    EXPECT_TRUE(window.isVisible());
    EXPECT_FALSE(window.isModal());
    for (int i = 0; i < 499; ++i) window.step();
    EXPECT_EQ(window.done(), 499);
    EXPECT_LE(window.shown(), 499);
    // Steps beyond the total are harmless.
    for (int i = 0; i < 10; ++i) window.step();
    EXPECT_EQ(window.done(), 500);
    window.finish();
    EXPECT_EQ(window.shown(), 500);
    EXPECT_FALSE(window.isVisible());
    EXPECT_TRUE(window.grab().save(VESPIAN_BUILD_DIR "/progress_window.png"));
}

// Repainting on every step would take many seconds; the bar repaints at most once every 30 ms
// (counted, so a busy machine cannot make it pass or fail).
TEST(ProgressWindow, ALongLoopIsNotSlowedByRepainting) {
    ProgressWindow window(nullptr, "保存设置", "正在保存设置参数,请稍候...", 200000);
    testing::PaintCount count(window.findChild<QProgressBar*>("progressBar"));
    QElapsedTimer clock;
    clock.start();
    for (int i = 0; i < 200000; ++i) window.step();
    const qint64 elapsed = clock.elapsed();
    EXPECT_LE(count.paints(), elapsed / 30 + 1) << elapsed << " ms";
    window.finish();
    EXPECT_EQ(window.shown(), 200000);
}

}  // namespace
}  // namespace vespian
