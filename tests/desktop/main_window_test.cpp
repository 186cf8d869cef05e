// The program's window on the offscreen platform, with the simulated analyser and the scripted
// prompts: start-up and shutdown with their settings files, commands, timers and status texts,
// the live trace and the link watchdog.

#include "app/desktop/main_window.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QPushButton>
#include <QScrollBar>
#include <QTimer>
#include <QToolBar>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>

#include "app/command_ids.h"
#include "app/desktop/desktop_program.h"
#include "app/desktop/settings_dialog.h"
#include "app/desktop/view_area.h"
#include "sim/simulator_driver.h"
#include "program_fixture.h"
#include "support/test_files.h"
#include "support/scripted_prompts.h"

namespace vespian {
namespace {

using testing::readBytes;

namespace fs = std::filesystem;
using testing::PromptRecord;
using testing::ScriptedPrompts;

using testing::waitUntil;
using MainWindowTest = testing::ProgramFixture;

TEST_F(MainWindowTest, FirstStartWithoutSettingsFilesWarnsOnceAndRunsOnDefaults) {
    start();
    EXPECT_EQ(prompts.texts(), std::vector<std::string>{"无法正确的设置参数!!!"});
    EXPECT_EQ(prompts.records()[0].caption, "警告");
    EXPECT_EQ(window()->windowTitle().toStdString(), "Vespian2002 v2.9.10.12");
    EXPECT_EQ(window()->objectName().toStdString(), "TRV-6400");
    const float* bet = state().zevid.betCalibration;
    EXPECT_EQ(bet[0], 3.0f);
    EXPECT_EQ(bet[1], 15.0f);
    EXPECT_EQ(bet[2], 101.3f);
    EXPECT_EQ(bet[3], 103.0f);
    EXPECT_EQ(state().zevid.columns[0], 1450);
    EXPECT_FLOAT_EQ(state().report->header().crossSectionNm2, 0.089f);
    EXPECT_EQ(state().measurement.measureMode(), MeasureMode::Idle);
    EXPECT_TRUE(fs::is_directory(folder / "SAVE"));
    EXPECT_EQ(window()->findChild<QWidget*>("simulatorMark") != nullptr, true);

    program->finish();
    EXPECT_EQ(fs::file_size(folder / "InitData.Set"), 277u);
    EXPECT_EQ(fs::file_size(folder / "ZEvid.ini"), 216u);
    EXPECT_EQ(prompts.texts().size(), 1u);  // nothing more to report
}

TEST_F(MainWindowTest, LiveTraceArrivesAndTheStatusBarFollowsIt) {
    start();
    ASSERT_TRUE(waitUntil([&] { return state().chromatogram->shownCount() >= 30; }));
    EXPECT_NE(status(0).find("时间"), std::string::npos);
    EXPECT_NE(status(1).find("电压:"), std::string::npos);
    EXPECT_EQ(status(2), "温度:25.0");
    EXPECT_NE(status(4).find("1#通道[] 流量:"), std::string::npos);
}

// A temperature-programmed desorption on the simulator, drawn live, saved for a look by eye.
TEST_F(MainWindowTest, ScreenshotOfALiveTemperatureProgrammedRun) {
    start(300.0);
    state().view.timeRangeS = 1200;
    state().view.voltRangeUv = 30000;
    window()->viewArea()->redraw();
    state().link->send(ProgramFrame(1, 500, 30, 5));
    state().link->send(ProgramStartFrame());
    state().link->send(InjectorCommand(InjectorOperation::Desorb, InjectorPositions{{true, false, false, false}}));
    ASSERT_TRUE(waitUntil([&] { return state().chromatogram->shownCount() >= 1100 * 5; }, 30000));
    EXPECT_GT(state().readings.temperatureC.load(), 400.0f);
    const QImage shot = window()->grab().toImage();
    EXPECT_TRUE(shot.save(QString(VESPIAN_BUILD_DIR) + "/main_window_live.png"));
    // The plot holds both lines: the trace colour and the temperature's blue.
    const PixelRect plot = plotRect(state().view);
    const QImage canvas = window()->viewArea()->canvas();
    int traceColoured = 0, temperatureColoured = 0;
    for (int y = plot.top; y < plot.bottom; ++y) {
        for (int x = plot.left; x < plot.right; ++x) {
            const QRgb pixel = canvas.pixel(x, y);
            traceColoured += pixel == qRgb(255, 0, 120);
            temperatureColoured += pixel == qRgb(0, 80, 200);
        }
    }
    EXPECT_GT(traceColoured, 500);
    EXPECT_GT(temperatureColoured, 500);
}

TEST_F(MainWindowTest, ElapsedTimeAndVoltageFormats) {
    start(0.0001);  // the instrument stays quiet: the test sets the trace
    showTrace(12 * 3600 * 5, -0.999f, 100.0f);
    EXPECT_EQ(status(0), " 时间: 12:00:00");
    EXPECT_EQ(status(1), "电压:-999 (uV)");
    EXPECT_EQ(status(2), "温度:100.0");
    showTrace(100 * 3600 * 5, -1.0f, 25.0f);
    EXPECT_EQ(status(0), " 时间:100:00:00");
    EXPECT_EQ(status(1), "电压:-1.000(mV)");
}

TEST_F(MainWindowTest, ZoomCommandsAndTheViewButtons) {
    start(0.0001);
    EXPECT_FLOAT_EQ(state().view.xZoom, 1.0f);
    window()->dispatch(kCmdZoomOut);  // stays at 1.0
    EXPECT_FLOAT_EQ(state().view.xZoom, 1.0f);
    window()->dispatch(kCmdZoomIn);
    EXPECT_FLOAT_EQ(state().view.xZoom, 1.2f);
    EXPECT_FLOAT_EQ(state().view.yZoom, 1.2f);
    window()->dispatch(kCmdZoomIn);
    EXPECT_FLOAT_EQ(state().view.xZoom, 1.44f);
    window()->dispatch(kCmdYAxisZoomOut);  // posts view button 3
    EXPECT_FLOAT_EQ(state().view.yZoom, 1.152f);
    EXPECT_FLOAT_EQ(state().view.xZoom, 1.44f);
    window()->dispatch(kCmdRestoreRange);
    EXPECT_FLOAT_EQ(state().view.xZoom, 1.0f);
    EXPECT_FLOAT_EQ(state().view.yZoom, 1.0f);

    // A click on the first drawn view button does what the menu's time-axis zoom does.
    const ButtonRect first = window()->viewArea()->buttons().rect(0);
    ASSERT_FALSE(first.empty());
    window()->viewArea()->clickAt(QPoint(first.left + 5, first.top + 5));
    EXPECT_FLOAT_EQ(state().view.xZoom, 1.2f);
    EXPECT_FLOAT_EQ(state().view.yZoom, 1.0f);
    EXPECT_EQ(prompts.unscripted(), 0);
}

TEST_F(MainWindowTest, ReadoutAndDeleteToolsMapClicksToShownPoints) {
    start(0.0001);
    std::vector<float> signal(100), temperature(100);
    for (int i = 0; i < 100; ++i) {
        signal[i] = static_cast<float>(i);
        temperature[i] = 300.0f;
    }
    state().chromatogram->replace(signal.data(), temperature.data(), 100);
    window()->viewArea()->redraw();
    window()->dispatch(kCmdReadout);
    const PixelRect plot = plotRect(state().view);
    const int y = (plot.top + plot.bottom) / 2;
    window()->viewArea()->moveTo(QPoint(plot.right - 2, y));  // far right of the newest point
    EXPECT_EQ(status(3), "坐标：");
    const int x = plot.left + 10;
    const int32_t index = readoutIndex(state().view, x);
    ASSERT_GT(index, 0);
    ASSERT_LT(index, 100);
    window()->viewArea()->moveTo(QPoint(x, y));
    EXPECT_EQ(status(3), "坐标：电压=" + std::to_string(index) + ".000 [mV] , 温度=300.0 [℃]");
    window()->viewArea()->rightClickAt(QPoint(10, 10));
    EXPECT_EQ(status(3), "坐标：");

    // Delete from a point to a click far right of the trace: the click is clamped to the shown
    // points, so everything from the first click on goes (give or take the clock's truncation).
    window()->dispatch(kCmdDeleteStretch);
    const int32_t from = clickIndex(state().view, plot.left + 10, 100);
    EXPECT_EQ(clickIndex(state().view, plot.right - 2, 100), 100);
    window()->viewArea()->clickAt(QPoint(plot.left + 10, y));
    window()->viewArea()->clickAt(QPoint(plot.right - 2, y));
    EXPECT_LE(state().chromatogram->pointCount(), from);
    EXPECT_GE(state().chromatogram->pointCount(), from - 1);
    EXPECT_EQ(state().chromatogram->signalMv()[from - 1], static_cast<float>(from - 1));
}

TEST_F(MainWindowTest, ConfirmationsActOnlyOnYes) {
    start(0.0001);
    std::vector<float> values(50, 2.0f);
    state().chromatogram->replace(values.data(), values.data(), 50);
    prompts.clear();
    prompts.answerNo();
    window()->dispatch(kCmdClearTrace);
    EXPECT_EQ(state().chromatogram->pointCount(), 50);
    ASSERT_EQ(prompts.records().size(), 1u);
    EXPECT_EQ(prompts.records()[0].text, "您真的要清除谱图吗？");
    EXPECT_EQ(prompts.records()[0].caption, "清除提示");
    EXPECT_EQ(prompts.records()[0].icon, PromptIcon::Question);

    prompts.answerYes();
    window()->dispatch(kCmdInvertPolarity);
    EXPECT_EQ(prompts.records()[1].text, "请先检查极性,确定需要颠倒极性么？");
    EXPECT_EQ(prompts.records()[1].caption, "警告");
    EXPECT_EQ(state().chromatogram->signalMv()[10], -2.0f);

    prompts.answerYes();
    window()->dispatch(kCmdClearTrace);
    EXPECT_EQ(state().chromatogram->pointCount(), 0);
    EXPECT_EQ(prompts.unscripted(), 0);
}

TEST_F(MainWindowTest, MeasurementCommandsDriveTheInstrumentAndTheToolbar) {
    start(50.0);
    sim::SimulatorDriver* simulator = state().sources.simulator;
    ASSERT_NE(simulator, nullptr);
    ASSERT_TRUE(waitUntil([&] { return state().chromatogram->shownCount() > 5; }));
    // The comparison method (a first start's) has no calibration: grayed, and the command does
    // nothing.
    EXPECT_FALSE(window()->menuAction(kCmdCalibration)->isEnabled());
    window()->dispatch(kCmdCalibration);
    EXPECT_EQ(state().measurement.measureMode(), MeasureMode::Idle);
    window()->dispatch(kCmdBetMethod);
    EXPECT_TRUE(window()->menuAction(kCmdCalibration)->isEnabled());
    window()->dispatch(kCmdCalibration);
    EXPECT_EQ(state().measurement.measureMode(), MeasureMode::Calibrating);
    EXPECT_TRUE(waitUntil([&] { return simulator->analyser().calibrationMode(); }));
    window()->dispatch(kCmdComparisonMethod);  // leaves calibration without a word to the analyser
    EXPECT_EQ(state().measurement.measureMode(), MeasureMode::Idle);
    EXPECT_FALSE(window()->menuAction(kCmdCalibration)->isEnabled());

    prompts.clear();
    // Start ends by opening the injector dialog; it is closed at once here.
    QString injectorTitle;
    QTimer closer;
    QObject::connect(&closer, &QTimer::timeout, [&] {
        if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget()); dialog && dialog->isVisible()) {
            injectorTitle = dialog->windowTitle();
            dialog->reject();
        }
    });
    closer.start(5);
    window()->dispatch(kCmdStartMeasurement);
    closer.stop();
    EXPECT_EQ(state().measurement.measureMode(), MeasureMode::Measuring);
    EXPECT_FALSE(window()->toolbarAction(kCmdStartMeasurement)->isVisible());
    EXPECT_TRUE(window()->toolbarAction(kCmdStopMeasurement)->isVisible());
    EXPECT_TRUE(window()->menuAction(kCmdInjector)->isEnabled());
    EXPECT_EQ(injectorTitle.toStdString(), "进样器控制");
    EXPECT_TRUE(prompts.records().empty());
    window()->dispatch(kCmdStopMeasurement);
    EXPECT_EQ(state().measurement.measureMode(), MeasureMode::Idle);
    EXPECT_FALSE(window()->menuAction(kCmdInjector)->isEnabled());
}

TEST_F(MainWindowTest, EveryCommandOfTheTableIsAnswered) {
    start(0.0001);
    // Modal dialogs opened by a command are closed again at once.
    QTimer closer;
    QObject::connect(&closer, &QTimer::timeout, [] {
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            if (auto* dialog = qobject_cast<QDialog*>(widget); dialog != nullptr && dialog->isVisible()) dialog->reject();
        }
    });
    closer.start(20);
    for (const CommandEntry& entry : commandTable()) {
        if (entry.id == kCmdExit || entry.id == kCmdOpen || entry.id == kCmdSave) continue;
        const size_t before = prompts.records().size();
        window()->dispatch(entry.id);
        if (!entry.question.empty()) {
            ASSERT_GT(prompts.records().size(), before) << entry.id;  // asked, answered No
        }
    }
    EXPECT_TRUE(window()->isVisible());
}

// "退出" follows the close box's rule: leaving would leave the furnace heating with nothing
// watching its alarms.
TEST_F(MainWindowTest, CloseAndExitAreRefusedWhileTheProgrammeRuns) {
    start(0.0001);
    prompts.clear();
    state().control.programme.running = 1;
    window()->close();
    EXPECT_TRUE(window()->isVisible());
    window()->dispatch(kCmdExit);
    EXPECT_TRUE(window()->isVisible());
    const std::string refused = "程序升温正在运行中，请将程序升温停止后，再关闭软件!!";
    EXPECT_EQ(prompts.texts(), (std::vector<std::string>{refused, refused}));
    EXPECT_EQ(prompts.records().back().caption, "警告");
    state().control.programme.running = 0;
    window()->dispatch(kCmdExit);
    EXPECT_FALSE(window()->isVisible());
}

TEST_F(MainWindowTest, AlarmsAreShownAndSensorFaultsStopTheProgramme) {
    start(0.0001);
    prompts.clear();
    state().readings.alarmCode.store(3);
    state().control.programme.running = 1;
    window()->alarmTick();
    EXPECT_EQ(prompts.texts(), std::vector<std::string>{"检测到可燃气体泄漏!!请立即关闭仪器电源!!检查气路!!"});
    EXPECT_FALSE(window()->timerActive(kTimerProgramAbort));  // a leak never stops the programme

    state().readings.alarmCode.store(1);
    window()->alarmTick();
    EXPECT_EQ(prompts.texts().back(), "温度传感器故障!!!!程序升温已停止!!请检查!!");
    EXPECT_TRUE(window()->timerActive(kTimerProgramAbort));
    window()->programmeAbortTick();
    EXPECT_FALSE(state().programmeRunning());
    EXPECT_TRUE(window()->timerActive(kTimerAlarmPoll));  // polls again at 100 ms
    ASSERT_EQ(state().events.size(), 4u);  // the leak, its end at the change, the sensor, the stop
    EXPECT_EQ(state().events.newest().kind, EventKind::ProgrammeStopped);
}

TEST_F(MainWindowTest, UnpluggedAnalyserIsPickedUpAgainByTheWatchdog) {
    start(5.0);
    sim::SimulatorDriver* simulator = state().sources.simulator;
    ASSERT_TRUE(waitUntil([&] { return state().chromatogram->shownCount() > 5; }));
    simulator->unplug(3.0);
    QElapsedTimer quiet;
    quiet.start();
    waitUntil([] { return false; }, 2500);
    const int32_t during = state().chromatogram->shownCount();
    ASSERT_TRUE(waitUntil([&] { return state().chromatogram->shownCount() > during + 20; }, 20000));
    EXPECT_TRUE(state().link->threadRunning());
}

TEST_F(MainWindowTest, UnwritableZEvidIsReportedAtExit) {
    start(0.0001);
    // A read-only ZEvid.ini, as an operator's write-protected copy would be.
    testing::writeBytes(folder / "ZEvid.ini", std::string(216, '\0'));
    fs::permissions(folder / "ZEvid.ini", fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    prompts.clear();
    program->finish();
    ASSERT_EQ(prompts.records().size(), 1u);
    EXPECT_EQ(prompts.records()[0].text, "无法保存参数到ZEvid.ini文件");
    EXPECT_EQ(prompts.records()[0].caption, "错误");
    EXPECT_EQ(fs::file_size(folder / "InitData.Set"), 277u);  // the other file is still written
    EXPECT_EQ(readBytes(folder / "ZEvid.ini"), std::string(216, '\0'));  // and this one untouched
}

}  // namespace
}  // namespace vespian

namespace vespian {
namespace {

// Presses the named button of the settings dialog once it is open.
void pressInSettingsDialog(const char* buttonName) {
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (auto* dialog = qobject_cast<SettingsDialog*>(widget); dialog != nullptr && dialog->isVisible()) {
            if (auto* button = dialog->findChild<QPushButton*>(buttonName)) button->click();
        }
    }
}

TEST_F(MainWindowTest, DefaultColoursChosenInTheSettingsDialogAreSavedAtExit) {
    start(0.0001);
    SettingsDialog::forgetRememberedTab();
    state().view.backgroundColour = 0x00123456;
    state().view.traceColour = 0x00654321;
    QTimer::singleShot(100, [] {
        pressInSettingsDialog("defaultButton");
        pressInSettingsDialog("okButton");
    });
    window()->dispatch(kCmdSettings);
    EXPECT_EQ(state().view.backgroundColour, 0x00FFFFFFu);
    EXPECT_EQ(state().view.traceColour, 0x007800FFu);

    program->finish();
    const std::string bytes = readBytes(folder / "InitData.Set");
    ASSERT_EQ(bytes.size(), 277u);
    uint32_t background = 0, line = 0;
    std::memcpy(&background, bytes.data() + 215, 4);
    std::memcpy(&line, bytes.data() + 219, 4);
    EXPECT_EQ(background, 0x00FFFFFFu);
    EXPECT_EQ(line, 0x007800FFu);  // red 255, green 0, blue 120
}

TEST_F(MainWindowTest, CancelledSettingsChangeNothing) {
    start(0.0001);
    SettingsDialog::forgetRememberedTab();
    state().view.backgroundColour = 0x00123456;
    QTimer::singleShot(100, [] {
        pressInSettingsDialog("defaultButton");
        pressInSettingsDialog("cancelButton");
    });
    window()->dispatch(kCmdSettings);
    EXPECT_EQ(state().view.backgroundColour, 0x00123456u);
    EXPECT_FALSE(fs::exists(folder / "ZEvid.ini"));  // nothing applied, nothing written
}

TEST_F(MainWindowTest, StartUpWithTheSplashPaintsTheBackgroundInTheBackgroundColour) {
    start(0.0001, /*splash=*/true);
    const QImage& background = window()->viewArea()->background();
    ASSERT_FALSE(background.isNull());
    EXPECT_EQ(background.pixel(0, 0), qRgb(255, 255, 255));
    EXPECT_EQ(background.pixel(background.width() - 1, background.height() - 1), qRgb(255, 255, 255));
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        EXPECT_FALSE(widget->inherits("vespian::SplashWindow") && widget->isVisible());  // closed again
    }
}

}  // namespace
}  // namespace vespian
