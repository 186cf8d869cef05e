// Window placement on the offscreen platform, whose one screen is 800 × 800 pixels and whose
// windows have a 2-pixel frame: windows larger than the screen scroll or shrink, windows placed off it move
// on it, and the two evaluation panels that were too tall for a laptop keep their results and
// buttons within reach.

#include "platform/desktop/window_placement.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QTableWidget>
#include <QVBoxLayout>
#include <memory>

#include "analysis/desktop/titration_uptake_panel.h"
#include "analysis/desktop/tp_evaluation_panel.h"
#include "files/test_report.h"
#include "support/scripted_prompts.h"
#include "support/test_files.h"

namespace vespian {
namespace {

QRect available() { return QGuiApplication::primaryScreen()->availableGeometry(); }

// The widget is inside the window's visible part once its scroll area has brought it there.
bool reachable(QWidget* window, QWidget* widget) {
    if (auto* area = window->findChild<QScrollArea*>("windowPlacementScroll")) area->ensureWidgetVisible(widget);
    QApplication::processEvents();
    const QRect shown(widget->mapTo(window, QPoint(0, 0)), widget->size());
    return window->rect().contains(shown) && widget->isVisibleTo(window);
}

class WindowPlacementTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { WindowPlacement::install(); }
};

TEST_F(WindowPlacementTest, ALaidOutWindowTallerThanTheScreenScrollsWithEveryWidgetReachable) {
    QDialog dialog;
    auto* layout = new QVBoxLayout(&dialog);
    auto* tall = new QWidget;
    tall->setFixedSize(500, 1200);
    layout->addWidget(tall);
    auto* close = new QPushButton("关闭");
    close->setObjectName("closeButton");
    layout->addWidget(close);
    dialog.show();
    QApplication::processEvents();
    EXPECT_TRUE(available().contains(dialog.frameGeometry())) << "nothing off the screen";
    EXPECT_EQ(dialog.frameGeometry().height(), available().height());
    auto* area = dialog.findChild<QScrollArea*>("windowPlacementScroll");
    ASSERT_NE(area, nullptr);
    EXPECT_EQ(dialog.findChild<QPushButton*>("closeButton"), close) << "the widgets stay the dialog's";
    EXPECT_TRUE(reachable(&dialog, close));
    EXPECT_GE(area->verticalScrollBar()->maximum(), 1200 - dialog.height()) << "down to the bottom of the tall part";

    // Shown again after it was hidden: fitted as before, not wrapped twice.
    dialog.hide();
    dialog.move(300, 300);
    dialog.show();
    QApplication::processEvents();
    EXPECT_TRUE(available().contains(dialog.frameGeometry()));
    EXPECT_EQ(dialog.findChildren<QScrollArea*>("windowPlacementScroll").size(), 1);
}

TEST_F(WindowPlacementTest, AWindowThatFitsIsLeftAsItIsAndOneOffTheScreenMovesOnIt) {
    QDialog small;
    small.setFixedSize(300, 200);
    small.move(100, 120);
    small.show();
    QApplication::processEvents();
    EXPECT_EQ(small.frameGeometry().topLeft(), QPoint(100, 120));
    EXPECT_EQ(small.size(), QSize(300, 200));
    EXPECT_EQ(small.findChild<QScrollArea*>("windowPlacementScroll"), nullptr);

    // Drawn at a fixed size without a layout, centred on a larger screen than this one.
    QDialog fixed;
    fixed.setFixedSize(650, 550);
    fixed.move(700, 500);
    fixed.show();
    QApplication::processEvents();
    EXPECT_TRUE(available().contains(fixed.frameGeometry()));
    EXPECT_EQ(fixed.size(), QSize(650, 550));

    // Too large and drawn at a fixed size: its top left corner (and title bar) stays on the screen.
    QDialog huge;
    huge.setFixedSize(1000, 580);
    huge.move(-50, 40);
    huge.show();
    QApplication::processEvents();
    EXPECT_EQ(huge.frameGeometry().left(), available().left());
    EXPECT_EQ(huge.geometry().top(), 40);
}

class EvaluationPanelPlacementTest : public WindowPlacementTest {
protected:
    void SetUp() override {
        TestReportHeader& h = report->header();
        h.reportPointCount = 400;
        h.sampleWeightG = 0.25f;
        for (int i = 0; i <= 400; ++i) {
            report->signalMv()[i] = static_cast<float>(0.5 + 8.0 * std::exp(-0.5 * ((i - 200) / 20.0) * ((i - 200) / 20.0)));
            report->temperatureC()[i] = 50.0f + i;
        }
    }

    testing::TestFolder folder{"window_placement"};
    testing::ScriptedPrompts prompts;
    std::unique_ptr<TestReport> report = std::make_unique<TestReport>();
};

TEST_F(EvaluationPanelPlacementTest, PeakEvaluationAndPulseUptakeFitTheScreenWithTheirResultsAndButtons) {
    TpEvaluationPanel peaks(nullptr, *report, prompts, folder.path().string());
    // Laid out for a laptop: 1366 × 768 less a title bar and borders, with nothing to scroll.
    EXPECT_LE(peaks.sizeHint().width(), 1366 - 8);
    EXPECT_LE(peaks.sizeHint().height(), 768 - 34);
    peaks.show();
    QApplication::processEvents();
    EXPECT_TRUE(available().contains(peaks.frameGeometry()));
    EXPECT_TRUE(reachable(&peaks, peaks.findChild<QTableWidget*>("resultTable")));
    EXPECT_TRUE(reachable(&peaks, peaks.findChild<QPushButton*>("closeButton")));
    EXPECT_TRUE(peaks.grab().save(VESPIAN_BUILD_DIR "/peak_evaluation_fitted.png"));

    TitrationUptakePanel uptake(nullptr, *report, prompts, folder.path().string());
    uptake.show();
    QApplication::processEvents();
    EXPECT_TRUE(available().contains(uptake.frameGeometry()));
    for (QPushButton* button : uptake.findChildren<QPushButton*>()) {
        EXPECT_TRUE(reachable(&uptake, button)) << button->text().toStdString();
    }
    EXPECT_TRUE(uptake.grab().save(VESPIAN_BUILD_DIR "/pulse_uptake_fitted.png"));
}

}  // namespace
}  // namespace vespian
