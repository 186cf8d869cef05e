// Pictures of the control windows as the running program shows them, saved into the build folder
// for a look: the gas-path panel over the main window, the programme dialog with its preview
// while a programme runs, a guide page.

#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QImage>
#include <QLineEdit>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QScrollBar>
#include <QTimer>
#include <algorithm>
#include <functional>

#include "app/command_ids.h"
#include "app/desktop/control_wiring.h"
#include "app/desktop/main_window.h"
#include "control/desktop/gas_path_panel.h"
#include "control/desktop/guide_window.h"
#include "control/desktop/programme_dialog.h"
#include "control/desktop/programme_preview_view.h"
#include "program_fixture.h"

namespace vespian {
namespace {

// Runs `act` once on the next modal dialog, inside its event loop.
void onNextDialog(std::function<void(QDialog&)> act, bool* acted) {
    auto* timer = new QTimer;
    timer->setInterval(5);
    QObject::connect(timer, &QTimer::timeout, [timer, act = std::move(act), acted] {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (dialog == nullptr || !dialog->isVisible()) return;
        timer->stop();
        timer->deleteLater();
        *acted = true;
        act(*dialog);
    });
    timer->start();
}

bool save(const QImage& image, const char* name) {
    return image.save(QString(VESPIAN_BUILD_DIR) + "/" + name);
}

// How many pixels differ from the most common colour: a blank grab has next to none.
int pixelsOffBackground(const QImage& image) {
    const QRgb corner = image.pixel(image.width() / 2, image.height() - 2);
    int n = 0;
    for (int y = 0; y < image.height(); y += 3) {
        for (int x = 0; x < image.width(); x += 3) n += image.pixel(x, y) != corner;
    }
    return n;
}

class ControlWiringPicturesTest : public testing::ProgramFixture {};

TEST_F(ControlWiringPicturesTest, GasPathPanelOverTheMainWindow) {
    start(0.0001);
    showTrace(600, 0.4f, 35.0f);
    bool acted = false;
    QImage composed;
    onNextDialog(
        [&](QDialog& dialog) {
            ASSERT_NE(qobject_cast<GasPathPanel*>(&dialog), nullptr);
            qobject_cast<GasPathPanel*>(&dialog)->valveButton(2)->click();
            QApplication::processEvents();
            QPixmap under = window()->grab();
            const QPixmap panel = dialog.grab();
            // Centred over the window, as it opens over it.
            QPainter painter(&under);
            painter.drawPixmap((under.width() - panel.width()) / 2, (under.height() - panel.height()) / 2, panel);
            painter.end();
            composed = under.toImage();
            dialog.reject();
        },
        &acted);
    window()->dispatch(kCmdGasPath);
    ASSERT_TRUE(acted);
    ASSERT_FALSE(composed.isNull());
    EXPECT_GT(pixelsOffBackground(composed), 1000);
    EXPECT_TRUE(save(composed, "control_gas_path_over_window.png"));
}

TEST_F(ControlWiringPicturesTest, ProgrammeDialogWithItsPreviewWhileRunning) {
    start(0.0001);
    showTrace(50, 0.1f, 30.0f);
    // A clock the test moves: the programme has run for 30 minutes when the picture is taken.
    int64_t now = 1'700'000'000;
    ControlContext& context = program->control()->context();
    context.wallSeconds = [&now] { return now; };
    context.secondOfDay = [&now] { return static_cast<int32_t>(now % 86400); };
    bool acted = false;
    QImage picture;
    QString position;
    onNextDialog(
        [&](QDialog& shown) {
            auto& dialog = dynamic_cast<ProgrammeDialog&>(shown);
            const char* segments[2][3] = {{"300", "10", "20"}, {"500", "5", "30"}};
            for (const auto& s : segments) {
                for (int i = 0; i < 3; ++i) dialog.field(i)->setText(s[i]);
                dialog.addButton()->click();
            }
            dialog.startStopButton()->click();
            // Thirty minutes of furnace readings, five points a second: the furnace follows the
            // 10 ℃/min ramp from 30 ℃ and holds at 300 ℃.
            Chromatogram& trace = *state().chromatogram;
            for (int s = 10; s <= 1800; s += 10) {
                const float celsius = std::min(300.0f, 30.0f + 10.0f * static_cast<float>(s) / 60.0f);
                for (int k = 0; k < 50; ++k) trace.appendReading(0.1f, celsius);
                now += 10;
            }
            dialog.preview()->refresh();
            QApplication::processEvents();
            position = dialog.preview()->positionText();
            picture = dialog.grab().toImage();
            // Stopped again, so the window may close after the test.
            prompts.answerYes();
            dialog.startStopButton()->click();
            dialog.exitButton()->click();
        },
        &acted);
    window()->dispatch(kCmdTemperatureProgram);
    ASSERT_TRUE(acted);
    EXPECT_FALSE(state().programmeRunning());
    EXPECT_FALSE(position.isEmpty()) << "the preview says where the programme should be";
    ASSERT_FALSE(picture.isNull());
    EXPECT_GT(pixelsOffBackground(picture), 1000);
    EXPECT_TRUE(save(picture, "control_programme_running.png"));
}

TEST_F(ControlWiringPicturesTest, AGuidePage) {
    start(0.0001);
    bool acted = false;
    QImage picture;
    onNextDialog(
        [&](QDialog& dialog) {
            ASSERT_NE(qobject_cast<GuideWindow*>(&dialog), nullptr);
            picture = dialog.grab().toImage();
            dialog.reject();
        },
        &acted);
    window()->menuAction(kCmdGuideTpr)->trigger();
    ASSERT_TRUE(acted);
    ASSERT_FALSE(picture.isNull());
    EXPECT_GT(pixelsOffBackground(picture), 1000);
    EXPECT_TRUE(save(picture, "control_guide_tpr.png"));
}

}  // namespace
}  // namespace vespian
