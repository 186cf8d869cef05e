// The live run in the window: the view follows an hour of simulated acquisition, the tools'
// cursor line and the zoom box, the hover help inside the window, the window's size, Qt's
// Chinese dialogs, the recovery journal (offered at start, kept through a SIGKILL of the real
// program, settled at exit), the full trace and the settings page's ZEvid.ini.

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTabWidget>
#include <QTimer>
#include <QToolBar>
#include <QTranslator>
#include <filesystem>

#include "app/command_ids.h"
#include "app/desktop/settings_dialog.h"
#include "app/desktop/view_area.h"
#include "platform/desktop/canvas.h"
#include "platform/desktop/screen.h"
#include "platform/desktop/translations.h"
#include "program_fixture.h"
#include "support/child_process.h"
#include "trace/trace_file.h"

namespace vespian {
namespace {

namespace fs = std::filesystem;
using testing::waitUntil;
using LiveRunTest = testing::ProgramFixture;

// Pixels of exactly this colour in the given columns of the plot.
int colouredPixels(const QImage& image, const PixelRect& plot, int fromX, int toX, QRgb colour) {
    int n = 0;
    for (int y = plot.top; y < plot.bottom; ++y) {
        for (int x = std::max(fromX, plot.left); x < std::min(toX, plot.right); ++x) n += image.pixel(x, y) == colour;
    }
    return n;
}

// An hour of the simulated analyser at 300 × real time over a 10-minute time range: the view
// keeps scrolling so the newest point stays inside the plot, and the scroll bar reaches it.
TEST_F(LiveRunTest, AnHourOfAcquisitionStaysInView) {
    start(300.0);
    state().view.timeRangeS = 600;
    state().view.voltRangeUv = 5000;
    window()->viewArea()->dropTraceScrollBars();
    window()->viewArea()->redraw();
    // The operator's first step: zero the signal, so the run starts in the middle of the plot.
    ASSERT_TRUE(waitUntil([&] { return state().chromatogram->shownCount() >= 5; }));
    window()->dispatch(kCmdZeroSignal);
    // A little programme so the hour has something to show: up to 300 ℃ and a desorption peak.
    state().link->send(ProgramFrame(1, 300, 10, 5));
    state().link->send(ProgramStartFrame());
    state().link->send(InjectorCommand(InjectorOperation::Desorb, InjectorPositions{{true, false, false, false}}));
    ASSERT_TRUE(waitUntil([&] { return state().chromatogram->shownCount() >= 3600 * 5 - 200; }, 60000));
    window()->displayTick();
    const TraceView& v = state().view;
    const int32_t newest = state().chromatogram->shownCount() - 1;
    const PixelRect plot = plotRect(v);
    const int32_t x = pointTransform(v).screenX(newest);
    EXPECT_GE(x, plot.left);
    EXPECT_LT(x, plot.right);
    EXPECT_GT(v.hScroll, 5 * 600 - v.visibleWidth);  // six ranges recorded, the view at the last
    QScrollBar* bar = window()->viewArea()->horizontalTraceBar();
    ASSERT_NE(bar, nullptr);
    EXPECT_TRUE(bar->isEnabled());
    EXPECT_EQ(bar->maximum(), v.hMax);
    EXPECT_GE(bar->value(), bar->maximum() - v.visibleWidth / 4);
    // The newest stretch of the trace is drawn right up to the newest point.
    const QImage canvas = window()->viewArea()->canvas();
    const QRgb line = qColour(v.traceColour).rgb();
    EXPECT_GT(colouredPixels(canvas, plot, x - 40, x + 1, line), 20);
    EXPECT_EQ(colouredPixels(canvas, plot, x + 3, plot.right, line), 0);
    const QImage shot = window()->grab().toImage();
    EXPECT_TRUE(shot.save(QString(VESPIAN_BUILD_DIR) + "/main_window_hour.png"));

    // The operator scrolls back to the start with the bar: the view stays there while the run goes on.
    bar->triggerAction(QAbstractSlider::SliderToMinimum);
    EXPECT_EQ(v.hScroll, 0);
    EXPECT_EQ(v.autoScroll, 0);
    EXPECT_TRUE(window()->timerActive(kTimerAutoScrollResume));
    const int32_t before = state().chromatogram->shownCount();
    ASSERT_TRUE(waitUntil([&] { return state().chromatogram->shownCount() > before + 50; }));
    EXPECT_EQ(v.hScroll, 0);
}

TEST_F(LiveRunTest, TheCursorLineFollowsTheMouseForEveryToolAndSurvivesNewPoints) {
    start(50.0);
    ASSERT_TRUE(waitUntil([&] { return state().chromatogram->shownCount() > 20; }));
    ViewArea* area = window()->viewArea();
    const PixelRect plot = plotRect(state().view);
    const QRgb cursor = qColour(cursorColour(state().view.backgroundColour)).rgb();
    const int y = (plot.top + plot.bottom) / 2;
    for (int command : {kCmdReadout, kCmdManualPeak, kCmdDeleteStretch, kCmdZoomBox}) {
        window()->dispatch(command);
        const int x = plot.left + 100 + command % 97;
        area->moveTo(QPoint(x, y));
        EXPECT_EQ(area->cursorLineX(), x) << command;
        // New points arrive and are drawn: the line stays on the screen.
        const int32_t shown = state().chromatogram->shownCount();
        ASSERT_TRUE(waitUntil([&] { return state().chromatogram->shownCount() > shown + 3; }));
        const QImage screen = area->screenImage();
        EXPECT_EQ(colouredPixels(screen, plot, x, x + 1, cursor), plot.bottom - plot.top) << command;
        area->moveTo(QPoint(x, plot.bottom + 5));  // below the plot: no line
        EXPECT_EQ(area->cursorLineX(), -1);
        area->rightClickAt(QPoint(x, y));
    }
}

// The box goes away with its zoom, and a press outside the plot (on an axis button, say) starts
// no new one.
TEST_F(LiveRunTest, TheZoomBoxLeavesNoRectangleBehind) {
    start(0.0001);
    showTrace(3000, 0.5f, 100.0f);
    ViewArea* area = window()->viewArea();
    window()->dispatch(kCmdZoomBox);
    const PixelRect plot = plotRect(state().view);
    const QRgb band = qColour(inverseColour(state().view.backgroundColour)).rgb();
    area->clickAt(QPoint(plot.left + 100, plot.top + 40));
    area->moveTo(QPoint(plot.left + 300, plot.top + 200));
    EXPECT_GT(colouredPixels(area->canvas(), plot, plot.left + 100, plot.left + 101, band), 100);  // drawn
    area->clickAt(QPoint(plot.left + 300, plot.top + 200));
    EXPECT_GT(state().view.xZoom, 1.5f);
    const PixelRect after = plotRect(state().view);
    EXPECT_EQ(colouredPixels(area->canvas(), after, after.left, after.right, band), 0);

    const ButtonRect button = area->buttons().rect(0);
    area->clickAt(QPoint(button.left + 3, button.top + 3));  // the time-axis zoom button
    EXPECT_EQ(state().view.rubberBandStarted, 0);
    area->moveTo(QPoint(plot.left + 200, plot.top + 100));
    EXPECT_EQ(colouredPixels(area->canvas(), after, after.left, after.right, band), 0);
}

// The help of the buttons under the plot opens above the mouse: whole, inside the view area
// and so never under the status bar.
TEST_F(LiveRunTest, HoverHelpShowsWholeInsideTheWindow) {
    start(0.0001);
    ViewArea* area = window()->viewArea();
    for (int index = 0; index <= 4; ++index) {
        const ButtonRect b = area->buttons().rect(index);
        const QPoint mouse(b.left + 5, b.bottom - 2);
        area->moveTo(mouse);
        area->hoverTick();
        area->hoverTick();
        ASSERT_TRUE(area->hoverShown()) << index;
        const QRect box = area->hoverRect();
        EXPECT_TRUE(area->rect().contains(box)) << index;  // not cut off by the status bar
        EXPECT_LT(box.bottom(), mouse.y()) << index;       // above the mouse, which it does not hide
        // Over the scroll bar it lies on top: it is the topmost child of the view area.
        auto* label = area->findChild<QLabel*>("hoverHelp");
        ASSERT_NE(label, nullptr);
        EXPECT_TRUE(label->isVisible());
        EXPECT_EQ(label->geometry(), box);
        EXPECT_EQ(area->children().last(), label);
        area->moveTo(QPoint(300, 300));
        EXPECT_FALSE(area->hoverShown());
    }
}

TEST_F(LiveRunTest, TheWindowHasASensibleSizeAndTheBannerKeepsItsCorner) {
    start(0.0001);
    // The least size, unless the screen itself is smaller (the offscreen screen is 800 × 800).
    const QSize screen = screenSize();
    const int leastWidth = std::min(kMinimumWindowWidth, screen.width());
    const int leastHeight = std::min(kMinimumWindowHeight, screen.height());
    EXPECT_EQ(window()->minimumWidth(), leastWidth);
    EXPECT_EQ(window()->minimumHeight(), leastHeight);
    window()->resize(200, 150);
    QApplication::processEvents();
    EXPECT_GE(window()->width(), leastWidth);
    EXPECT_GE(window()->height(), leastHeight);
    EXPECT_TRUE(state().view.roomToDraw);
    QToolBar* toolbar = window()->toolbar(0);
    EXPECT_LE(toolbar->geometry().right(), window()->viewArea()->width() - 110);
    // A fresh window, before it is shown maximised, opens at the default size.
    MainWindow fresh(state(), prompts, false);
    EXPECT_GE(fresh.width(), leastWidth);
    EXPECT_GE(fresh.height(), leastHeight);
    EXPECT_LE(fresh.width(), std::max(kDefaultWindowWidth, leastWidth));
}

TEST(QtTranslations, StandardDialogsSpeakChinese) {
    ASSERT_TRUE(installChineseTranslations(*QCoreApplication::instance())) << qtTranslationsFolder().toStdString();
    EXPECT_EQ(QCoreApplication::translate("QPlatformTheme", "Cancel").toStdString(), "取消");
    EXPECT_EQ(QCoreApplication::translate("QFileDialog", "Look in:").toStdString(), "查找范围：");
    // Back to Qt's own texts for the other tests.
    for (QTranslator* t : QCoreApplication::instance()->findChildren<QTranslator*>()) {
        QCoreApplication::removeTranslator(t);
        delete t;
    }
}

TEST_F(LiveRunTest, TheFullTraceIsSaidOnceAndTheLinkIsLeftAlone) {
    start(0.0001);
    prompts.clear();
    std::vector<float> values(static_cast<size_t>(kLastPointIndex) - 1, 0.2f);
    state().chromatogram->replace(values.data(), values.data(), kLastPointIndex - 1);
    while (state().chromatogram->pointCount() < kLastPointIndex) state().chromatogram->appendReading(0.3f, 30.0f);
    window()->displayTick();
    window()->displayTick();
    ASSERT_EQ(prompts.texts().size(), 1u);
    EXPECT_EQ(prompts.texts()[0], kTraceFullText);
    // Half a minute of silence: the watchdog does not reconnect.
    for (int k = 0; k < 300; ++k) window()->watchdogTick();
    EXPECT_EQ(state().watchdog.silentTicks(), 0);
    // The far end is in view.
    EXPECT_LT(pointTransform(state().view).screenX(kLastPointIndex - 1), plotRect(state().view).right);
}

TEST_F(LiveRunTest, ManualPicksGoToTheirHandler) {
    start(0.0001);
    showTrace(3000, 0.5f, 100.0f);
    std::vector<std::pair<int32_t, int32_t>> picks;
    window()->setManualPickHandler([&](int32_t a, int32_t b) { picks.emplace_back(a, b); });
    window()->dispatch(kCmdManualPeak);
    const PixelRect plot = plotRect(state().view);
    const int y = (plot.top + plot.bottom) / 2;
    window()->viewArea()->clickAt(QPoint(plot.left + 300, y));
    window()->viewArea()->clickAt(QPoint(plot.left + 100, y));
    ASSERT_EQ(picks.size(), 1u);
    EXPECT_LT(picks[0].first, picks[0].second);
    EXPECT_EQ(picks[0].first, clickIndex(state().view, plot.left + 100, 3000));
}

// A command handler of a subsystem replaces the notice; what nobody handles yet says so.
TEST_F(LiveRunTest, SubsystemsPlugTheirHandlersIn) {
    start(0.0001);
    // A window that no subsystem has been wired into yet: the program's own has them all.
    MainWindow bare(state(), prompts, true);
    prompts.clear();
    bare.dispatch(kCmdFlowSetting);
    ASSERT_EQ(prompts.texts().size(), 1u);
    EXPECT_NE(prompts.texts()[0].find("功能尚未提供"), std::string::npos);
    int flows = 0;
    bare.handleCommand(kCmdFlowSetting, [&](const CommandEntry& e) { flows += e.id == kCmdFlowSetting; });
    bare.dispatch(kCmdFlowSetting);
    EXPECT_EQ(flows, 1);
    int prints = 0;
    bare.handleRoute(CommandRoute::Print, [&](const CommandEntry&) { ++prints; });
    bare.dispatch(kCmdPrint);
    EXPECT_EQ(prints, 1);
    int pore = 0;
    bare.handleViewButton(kViewButtonPoreReport, [&] { ++pore; });
    bare.viewButtonPressed(kViewButtonPoreReport);
    EXPECT_EQ(pore, 1);
    EXPECT_EQ(prompts.texts().size(), 1u);
}

// OK on the window page writes the first 200 bytes of ZEvid.ini at once.
TEST_F(LiveRunTest, SettingsOkWritesThe200BytesOfZEvid) {
    start(0.0001);
    SettingsDialog::forgetRememberedTab();
    QTimer::singleShot(100, [] {
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            auto* dialog = qobject_cast<SettingsDialog*>(widget);
            if (dialog == nullptr || !dialog->isVisible()) continue;
            dialog->findChild<QTabWidget*>("settingsTabs")->setCurrentIndex(SettingsDialog::kWindowTab);
            dialog->findChild<QLineEdit*>("timeRangeEdit")->setText("1200");
            dialog->findChild<QPushButton*>("okButton")->click();
        }
    });
    window()->dispatch(kCmdSettings);
    EXPECT_EQ(state().view.timeRangeS, 1200);
    ASSERT_TRUE(fs::exists(folder / "ZEvid.ini"));
    EXPECT_EQ(fs::file_size(folder / "ZEvid.ini"), 200u);
}

// ---- The recovery journal ------------------------------------------------------------------

TEST_F(LiveRunTest, AnUnsavedTraceIsOfferedAtTheNextStart) {
    start(50.0);
    ASSERT_TRUE(waitUntil([&] { return state().chromatogram->shownCount() > 200; }));
    window()->journalTick();
    const int32_t kept = window()->journal().journaledPoints();
    ASSERT_GT(kept, 200);
    // The program ends without being asked (as by a crash): the journal stays.
    program.reset();
    ASSERT_TRUE(inspectJournal((folder / "SAVE" / kRecoveryJournalFileName).string()).worthRestoring());

    prompts.clear();
    prompts.answerYes();
    start(0.0001);
    ASSERT_GE(prompts.records().size(), 1u);
    EXPECT_EQ(prompts.records()[0].text, restoreQuestion(kept));
    EXPECT_EQ(prompts.records()[0].caption, "提示");
    EXPECT_EQ(state().chromatogram->pointCount(), kept);
    EXPECT_TRUE(window()->toolbarAction(kCmdManualPeak)->isVisible());
    EXPECT_TRUE(window()->journal().unsaved(*state().chromatogram));
}

TEST_F(LiveRunTest, ARestoreTurnedDownStartsEmpty) {
    start(50.0);
    ASSERT_TRUE(waitUntil([&] { return state().chromatogram->shownCount() > 50; }));
    window()->journalTick();
    program.reset();
    prompts.clear();
    prompts.answerNo();
    start(0.0001);
    EXPECT_EQ(state().chromatogram->pointCount(), 0);
    EXPECT_FALSE(fs::exists(folder / "SAVE" / kRecoveryJournalFileName));
}

// At exit an unsaved trace is asked about: Yes saves it (a cancelled save keeps the window
// open), No lets it go with its journal; a saved trace is not asked about.
TEST_F(LiveRunTest, ExitAsksToSaveAnUnsavedTrace) {
    start(0.0001);
    showTrace(500, 0.5f, 100.0f);
    window()->journalTick();
    const fs::path journal = folder / "SAVE" / kRecoveryJournalFileName;
    ASSERT_TRUE(fs::exists(journal));
    prompts.clear();
    prompts.answerYes();
    prompts.cancelFile();
    window()->dispatch(kCmdExit);
    EXPECT_TRUE(window()->isVisible());
    ASSERT_EQ(prompts.records().size(), 2u);
    EXPECT_EQ(prompts.records()[0].text, "谱图尚未保存，退出前是否保存谱图？");
    EXPECT_EQ(prompts.records()[1].kind, testing::PromptRecord::Kind::SaveFile);

    prompts.answerYes();
    prompts.chooseFile((folder / "SAVE" / "run.lne").string());
    window()->dispatch(kCmdExit);
    EXPECT_FALSE(window()->isVisible());
    EXPECT_EQ(fs::file_size(folder / "SAVE" / "run.lne"), 4u + 8u * 500u);
    EXPECT_FALSE(fs::exists(journal));  // saved: nothing to restore
}

TEST_F(LiveRunTest, ExitWithoutSavingLetsTheTraceGo) {
    start(0.0001);
    showTrace(500, 0.5f, 100.0f);
    window()->journalTick();
    prompts.clear();
    prompts.answerNo();
    window()->close();
    EXPECT_FALSE(window()->isVisible());
    EXPECT_FALSE(fs::exists(folder / "SAVE" / kRecoveryJournalFileName));
    // Saving and clearing: nothing unsaved, no question.
}

TEST_F(LiveRunTest, SavingAndClearingRetireTheJournal) {
    start(0.0001);
    showTrace(500, 0.5f, 100.0f);
    window()->journalTick();
    const fs::path journal = folder / "SAVE" / kRecoveryJournalFileName;
    ASSERT_TRUE(fs::exists(journal));
    prompts.chooseFile((folder / "SAVE" / "a.lne").string());
    window()->dispatch(kCmdSave);
    EXPECT_FALSE(fs::exists(journal));
    showTrace(600, 0.5f, 100.0f);  // more points: unsaved again
    window()->journalTick();
    EXPECT_TRUE(fs::exists(journal));
    prompts.answerYes();
    window()->dispatch(kCmdClearTrace);
    EXPECT_FALSE(fs::exists(journal));
    prompts.clear();
    window()->close();
    EXPECT_TRUE(prompts.records().empty());  // nothing to ask about
}

// The real program, killed in the middle of a simulated run: the next start restores every
// point that was in its journal one update before the kill.
TEST_F(LiveRunTest, TheProgramKilledMidRunIsRestoredAtTheNextStart) {
    // A first start writes the settings files, so the child starts without a question.
    start(0.0001);
    program->finish();
    program.reset();
    testing::ChildProcess child(VESPIAN_PROGRAM, {"--simulator", "--speed", "20"}, folder.string(),
                                {"QT_QPA_PLATFORM=offscreen"});
    ASSERT_TRUE(child.started());
    const std::string journal = (folder / "SAVE" / kRecoveryJournalFileName).string();
    ASSERT_TRUE(waitUntil([&] { return inspectJournal(journal).points >= 100; }, 30000));
    // The journal keeps up with the run: it grows update by update.
    const int32_t older = inspectJournal(journal).points;
    ASSERT_TRUE(waitUntil([&] { return inspectJournal(journal).points > older; }, 4 * kJournalFlushMs + 5000));
    const int32_t atKill = inspectJournal(journal).points;
    child.kill();

    prompts.clear();
    prompts.answerYes();
    start(0.0001);
    EXPECT_GE(state().chromatogram->pointCount(), atKill);
    EXPECT_NEAR(state().chromatogram->temperatureC()[older - 1], 25.0f, 1.0f);
}

}  // namespace
}  // namespace vespian
