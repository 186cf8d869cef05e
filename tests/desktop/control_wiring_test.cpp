// The instrument control in the running program: the menu commands open their windows, the
// programme dialog's start and stop reach the analyser and the close guard, the injector dialog
// arms the automatic desorption, the forced stop after a sensor alarm reaches the open programme
// dialog, the simulator's menu comes only with the simulator, one window of each kind at a time.

#include "app/desktop/control_wiring.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QTimer>
#include <functional>
#include <string>
#include <vector>

#include "app/command_ids.h"
#include "app/desktop/main_window.h"
#include "control/desktop/access_code_dialog.h"
#include "control/desktop/cleaning_dialog.h"
#include "control/desktop/flow_dialog.h"
#include "control/desktop/gas_path_panel.h"
#include "control/desktop/injector_dialog.h"
#include "control/desktop/instrument_control.h"
#include "control/desktop/programme_dialog.h"
#include "platform/prompts.h"
#include "audit_rows.h"
#include "program_fixture.h"
#include "sim/simulator_driver.h"

namespace vespian {
namespace {

// Acts once on the next dialog shown modally (with this title, when one is named), from inside
// its own event loop (the commands run their windows with exec()). Gone out of scope, it acts no
// more.
class WhenShown {
public:
    explicit WhenShown(std::function<void(QDialog&)> act, QString title = {}) : act_(std::move(act)) {
        timer_.setInterval(5);
        QObject::connect(&timer_, &QTimer::timeout, [this, title] {
            auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
            if (dialog == nullptr || !dialog->isVisible()) return;
            if (!title.isEmpty() && dialog->windowTitle() != title) return;
            timer_.stop();
            acted_ = true;
            act_(*dialog);
        });
        timer_.start();
    }
    bool acted() const { return acted_; }

private:
    std::function<void(QDialog&)> act_;
    QTimer timer_;
    bool acted_ = false;
};

template <typename T>
int visibleCount() {
    int n = 0;
    for (QWidget* widget : QApplication::topLevelWidgets()) n += qobject_cast<T*>(widget) != nullptr && widget->isVisible();
    return n;
}

bool anyNotYetAvailable(const testing::ScriptedPrompts& prompts) {
    for (const std::string& text : prompts.texts()) {
        if (text.find("功能尚未提供") != std::string::npos) return true;
    }
    return false;
}

// One tick of a main-window timer, as its timeout would bring it, without waiting for it.
void tick(MainWindow* window, int timerId) {
    QTimer* timer = window->findChild<QTimer*>(QString("timer%1").arg(timerId));
    ASSERT_NE(timer, nullptr) << timerId;
    ASSERT_TRUE(QMetaObject::invokeMethod(timer, "timeout", Qt::DirectConnection)) << timerId;
}

class ControlWiringTest : public testing::ProgramFixture {
protected:
    sim::SimulatedAnalyser& analyser() { return state().sources.simulator->analyser(); }

    // The recogniser sees a steep rise: a peak is open.
    void openAPeak() {
        std::vector<float> signal(200, 0.0f);
        for (size_t i = 150; i < signal.size(); ++i) signal[i] = 0.5f * static_cast<float>(i - 149);
        state().peakDetector.step(signal.data(), 170, state().settings.peak, *state().peaks, false);
        ASSERT_TRUE(state().peakDetector.inPeak());
    }

    // The programme dialog's fields typed, then "加入温控段".
    static void addSegment(ProgrammeDialog& dialog, const char* target, const char* rate, const char* hold) {
        dialog.field(0)->setText(target);
        dialog.field(1)->setText(rate);
        dialog.field(2)->setText(hold);
        dialog.addButton()->click();
    }
};

TEST_F(ControlWiringTest, EveryControlCommandOpensItsWindow) {
    start(0.0001);
    struct Case {
        int id;
        const char* title;
        bool fromMenu;  // 32821 has no menu entry; the injector entry is grayed while idle
    };
    const Case cases[] = {
        {kCmdTemperatureProgram, "程序升温设定", true}, {kCmdTemperatureProgramAlt, "程序升温设定", false},
        {kCmdFlowSetting, "流量设定", true},            {kCmdGasPath, "气路控制", true},
        {kCmdInjector, "进样器控制", false},            {kCmdGuideTpd, "TPD操作说明", true},
        {kCmdGuideTpo, "TPO操作说明", true},            {kCmdGuideTpr, "TPR操作说明", true},
        {kCmdGuideTitration, "氢氧滴定操作说明", true}, {kCmdRearPanelView, "仪器后视接口图", true},
        {kCmdRightPanelView, "仪器右视接口图", true},   {kCmdWizardTpd, "TPD测试准备", true},
        {kCmdWizardTpo, "TPO测试准备", true},           {kCmdWizardTpr, "TPR测试准备", true},
        {kCmdWizardTitration, "氢氧滴定测试准备", true},
    };
    for (const Case& c : cases) {
        prompts.clear();
        QString title;
        bool ownedByWindow = false;
        WhenShown closer([&](QDialog& dialog) {
            title = dialog.windowTitle();
            ownedByWindow = dialog.parentWidget() == window();
            dialog.reject();
        });
        if (c.fromMenu) {
            QAction* entry = window()->menuAction(c.id);
            ASSERT_NE(entry, nullptr) << c.id;
            ASSERT_TRUE(entry->isEnabled()) << c.id;
            entry->trigger();
        } else {
            window()->dispatch(c.id);
        }
        EXPECT_TRUE(closer.acted()) << c.id;
        EXPECT_EQ(title.toStdString(), c.title) << c.id;
        EXPECT_FALSE(anyNotYetAvailable(prompts)) << c.id;
        // The flow dialog, the panel and the injector dialog belong to the main window; the
        // programme dialog and the picture windows stand alone.
        EXPECT_EQ(ownedByWindow, c.id == kCmdFlowSetting || c.id == kCmdGasPath || c.id == kCmdInjector) << c.id;
        EXPECT_EQ(visibleCount<QDialog>(), 0) << c.id;
    }
    // The toolbar's three control buttons open the same windows.
    for (int id : {kCmdTemperatureProgram, kCmdFlowSetting, kCmdGasPath}) {
        WhenShown closer([](QDialog& dialog) { dialog.reject(); });
        window()->toolbarAction(id)->trigger();
        EXPECT_TRUE(closer.acted()) << id;
    }
}

TEST_F(ControlWiringTest, AGasSentFromTheFlowDialogIsOneAuditRowWithTheChannelsBeforeAndAfter) {
    start(0.0001);
    auto flowRows = [&] { return testing::auditRows(*state().archiving.archive(), {"气体流量设定"}); };
    {
        WhenShown untouched([](QDialog& shown) { shown.reject(); }, "流量设定");
        window()->menuAction(kCmdFlowSetting)->trigger();
        ASSERT_TRUE(untouched.acted());
    }
    EXPECT_TRUE(flowRows().empty()) << "a dialog closed without sending is no change";
    {
        WhenShown hydrogen(
            [](QDialog& shown) {
                auto& dialog = dynamic_cast<FlowDialog&>(shown);
                dialog.gasList(2)->setCurrentIndex(13);  // hydrogen
                dialog.setpointField(2)->setText("40");
                dialog.setButton(2)->click();
                dialog.setpointField(2)->setText("45");
                dialog.setButton(2)->click();
                shown.reject();
            },
            "流量设定");
        window()->menuAction(kCmdFlowSetting)->trigger();
        ASSERT_TRUE(hydrogen.acted());
    }
    const std::vector<AuditRow> rows = flowRows();
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].entry.action, audit_action::kSetting);
    EXPECT_EQ(rows[0].entry.oldValue.find("氢气"), std::string::npos) << rows[0].entry.oldValue;
    EXPECT_NE(rows[0].entry.newValue.find("\"gas\":\"氢气\",\"setpoint_ml_min\":45"), std::string::npos)
        << rows[0].entry.newValue;
}

TEST_F(ControlWiringTest, ProgrammeStartAndStopReachTheAnalyserAndKeepTheCloseGuard) {
    start(0.0001);
    ASSERT_FALSE(analyser().programRunning());
    {
        WhenShown script([&](QDialog& shown) {
            auto& dialog = dynamic_cast<ProgrammeDialog&>(shown);
            addSegment(dialog, "300", "10", "5");
            dialog.startStopButton()->click();
            EXPECT_TRUE(analyser().programRunning());
            EXPECT_TRUE(state().programmeRunning()) << "the running flag is the close guard's at once";
            dialog.exitButton()->click();  // leaving the dialog never stops the programme
        });
        window()->menuAction(kCmdTemperatureProgram)->trigger();
        ASSERT_TRUE(script.acted());
    }
    EXPECT_TRUE(analyser().programRunning());
    EXPECT_TRUE(state().programmeRunning());

    prompts.clear();
    window()->close();
    EXPECT_TRUE(window()->isVisible());
    EXPECT_EQ(prompts.texts(), std::vector<std::string>{"程序升温正在运行中，请将程序升温停止后，再关闭软件!!"});

    // Stopping asks; Cancel keeps it running, OK stops it.
    prompts.clear();
    prompts.answerNo();
    prompts.answerYes();
    {
        WhenShown script([&](QDialog& shown) {
            auto& dialog = dynamic_cast<ProgrammeDialog&>(shown);
            EXPECT_EQ(dialog.startStopButton()->text().toStdString(), "停止程序升温");
            dialog.startStopButton()->click();  // Cancel
            EXPECT_TRUE(analyser().programRunning());
            EXPECT_TRUE(state().programmeRunning());
            dialog.startStopButton()->click();  // OK
            EXPECT_FALSE(analyser().programRunning());
            EXPECT_FALSE(state().programmeRunning());
            dialog.exitButton()->click();
        });
        window()->dispatch(kCmdTemperatureProgramAlt);
        ASSERT_TRUE(script.acted());
    }
    EXPECT_EQ(prompts.texts(), (std::vector<std::string>{"确定要停止程序升温吗？", "确定要停止程序升温吗？"}));
    for (const testing::PromptRecord& record : prompts.records()) {
        EXPECT_TRUE(record.okCancel) << "the stop question has OK and Cancel";
        EXPECT_EQ(record.caption, "提示");
    }
    EXPECT_TRUE(prompts.scriptUsedUp());

    // Stopped, the close box closes (the quiet analyser gave no trace to ask about).
    prompts.clear();
    window()->close();
    EXPECT_FALSE(window()->isVisible());
    EXPECT_EQ(prompts.unscripted(), 0);
}

TEST_F(ControlWiringTest, ForcedStopAfterASensorAlarmReachesTheOpenProgrammeDialog) {
    start(0.0001);
    prompts.clear();
    WhenShown script([&](QDialog& shown) {
        auto& dialog = dynamic_cast<ProgrammeDialog&>(shown);
        addSegment(dialog, "400", "20", "10");
        addSegment(dialog, "600", "10", "30");
        dialog.startStopButton()->click();
        ASSERT_TRUE(analyser().programRunning());
        ASSERT_EQ(dialog.programmeList()->count(), 3);

        // Alarm 1 while the dialog is open: the message, then after OK the forced stop.
        state().readings.alarmCode.store(1);
        window()->alarmTick();
        EXPECT_EQ(prompts.texts().back(), "温度传感器故障!!!!程序升温已停止!!请检查!!");
        ASSERT_TRUE(window()->timerActive(kTimerProgramAbort));
        state().readings.alarmCode.store(0);
        window()->programmeAbortTick();

        EXPECT_FALSE(window()->timerActive(kTimerProgramAbort));
        EXPECT_FALSE(analyser().programRunning()) << "the stop frame reached the furnace";
        EXPECT_FALSE(state().programmeRunning());
        EXPECT_EQ(dialog.startStopButton()->text().toStdString(), "开始程序升温");
        EXPECT_FALSE(dialog.startStopButton()->isEnabled());
        EXPECT_EQ(dialog.programmeList()->count(), 1) << "the header alone";
        EXPECT_TRUE(dialog.field(0)->isEnabled());
        EXPECT_EQ(dialog.field(0)->text().toStdString(), "0");

        // A second forced stop finds nothing running and sends nothing.
        window()->programmeAbortTick();
        EXPECT_FALSE(state().programmeRunning());
        dialog.exitButton()->click();
    });
    window()->dispatch(kCmdTemperatureProgram);
    ASSERT_TRUE(script.acted());
    EXPECT_EQ(visibleCount<ProgrammeDialog>(), 0);
    EXPECT_EQ(ProgrammeDialog::openDialog(), nullptr);
}

// Start measurement opens the injector dialog; its adsorb arms the adsorption minutes, then the
// positions are desorbed in order, each minute tick driven by hand.
TEST_F(ControlWiringTest, InjectorDialogArmsTheAutomaticDesorption) {
    start(0.0001);
    PeakSettings& peak = state().settings.peak;
    peak.autoDesorb = 1;
    peak.autoZero = 0;
    peak.desorbAfterPeak = 0;
    peak.adsorptionMinutes = 2;
    peak.desorbIntervalMinutes = 3;

    {
        WhenShown script([&](QDialog& shown) {
            auto& dialog = dynamic_cast<InjectorDialog&>(shown);
            dialog.box(1)->setChecked(true);
            dialog.box(3)->setChecked(true);
            dialog.adsorbButton()->click();
        });
        window()->menuAction(kCmdStartMeasurement)->trigger();
        ASSERT_TRUE(script.acted()) << "start measurement opens the injector dialog";
    }
    EXPECT_TRUE(window()->menuAction(kCmdInjector)->isEnabled());
    EXPECT_TRUE(analyser().injectorLoaded(1));
    EXPECT_TRUE(analyser().injectorLoaded(3));
    EXPECT_TRUE(window()->timerActive(kTimerAdsorptionMinutes));
    EXPECT_FALSE(window()->timerActive(kTimerDesorbInterval));

    tick(window(), kTimerAdsorptionMinutes);
    EXPECT_TRUE(analyser().injectorLoaded(1));
    openAPeak();
    tick(window(), kTimerAdsorptionMinutes);  // the adsorption time is over: position 1
    EXPECT_FALSE(analyser().injectorLoaded(1));
    EXPECT_FALSE(state().peakDetector.inPeak()) << "the desorption peak starts afresh";
    EXPECT_TRUE(analyser().injectorLoaded(3));
    EXPECT_FALSE(window()->timerActive(kTimerAdsorptionMinutes));
    EXPECT_TRUE(window()->timerActive(kTimerDesorbInterval));

    for (int m = 0; m < 2; ++m) tick(window(), kTimerDesorbInterval);
    EXPECT_TRUE(analyser().injectorLoaded(3));
    tick(window(), kTimerDesorbInterval);  // the interval is over: position 3, the last
    EXPECT_FALSE(analyser().injectorLoaded(3));
    EXPECT_FALSE(window()->timerActive(kTimerDesorbInterval));

    // The menu entry opens it again with the last command's injectors ticked; closed without a
    // button, the sequence is left as it was.
    {
        bool ticked1 = false, ticked2 = true, ticked3 = false;
        WhenShown script([&](QDialog& shown) {
            auto& dialog = dynamic_cast<InjectorDialog&>(shown);
            ticked1 = dialog.box(1)->isChecked();
            ticked2 = dialog.box(2)->isChecked();
            ticked3 = dialog.box(3)->isChecked();
            dialog.reject();
        });
        window()->menuAction(kCmdInjector)->trigger();
        ASSERT_TRUE(script.acted());
        EXPECT_TRUE(ticked1);
        EXPECT_FALSE(ticked2);
        EXPECT_TRUE(ticked3);
    }
    EXPECT_FALSE(window()->timerActive(kTimerAdsorptionMinutes));
    EXPECT_FALSE(window()->timerActive(kTimerDesorbInterval));
    for (int p = 1; p <= 4; ++p) EXPECT_FALSE(state().autoDesorption.positionAdsorbed(p)) << p;

    window()->dispatch(kCmdStopMeasurement);
    EXPECT_FALSE(window()->menuAction(kCmdInjector)->isEnabled());
}

// A position the sequence has already desorbed is not desorbed again after the operator uses
// the injector dialog; a hand desorption takes its position out of the sequence.
TEST_F(ControlWiringTest, HandDesorptionDoesNotBringBackServedPositions) {
    start(0.0001);
    PeakSettings& peak = state().settings.peak;
    peak.autoDesorb = 1;
    peak.adsorptionMinutes = 1;
    peak.desorbIntervalMinutes = 2;
    auto press = [&](std::vector<int> boxes, bool adsorb) {
        WhenShown script([&](QDialog& shown) {
            auto& dialog = dynamic_cast<InjectorDialog&>(shown);
            for (int b = 1; b <= 4; ++b) dialog.box(b)->setChecked(false);
            for (int b : boxes) dialog.box(b)->setChecked(true);
            (adsorb ? dialog.adsorbButton() : dialog.desorbButton())->click();
        });
        window()->dispatch(kCmdInjector);
        ASSERT_TRUE(script.acted());
    };
    press({1, 2, 3, 4}, true);
    tick(window(), kTimerAdsorptionMinutes);  // position 1 desorbed by the sequence
    EXPECT_FALSE(state().autoDesorption.positionAdsorbed(1));
    EXPECT_TRUE(window()->timerActive(kTimerDesorbInterval));

    openAPeak();
    press({3}, false);
    EXPECT_FALSE(analyser().injectorLoaded(3));
    EXPECT_FALSE(state().autoDesorption.positionAdsorbed(1)) << "served once, not again";
    EXPECT_TRUE(state().autoDesorption.positionAdsorbed(2));
    EXPECT_FALSE(state().autoDesorption.positionAdsorbed(3));
    EXPECT_TRUE(state().autoDesorption.positionAdsorbed(4));
    EXPECT_FALSE(state().peakDetector.inPeak());
    EXPECT_TRUE(window()->timerActive(kTimerDesorbInterval)) << "a desorption keeps the interval running";

    for (int m = 0; m < 2; ++m) tick(window(), kTimerDesorbInterval);
    EXPECT_FALSE(analyser().injectorLoaded(2));
    EXPECT_TRUE(analyser().injectorLoaded(4));
    for (int m = 0; m < 2; ++m) tick(window(), kTimerDesorbInterval);
    EXPECT_FALSE(analyser().injectorLoaded(4));
    EXPECT_FALSE(window()->timerActive(kTimerDesorbInterval));
}

TEST_F(ControlWiringTest, TheSimulatorMenuComesWithTheSimulator) {
    start(20.0);
    ASSERT_NE(program->control(), nullptr);
    QMenu* menu = window()->menuBar()->findChild<QMenu*>("simulatorMenu");
    ASSERT_NE(menu, nullptr);
    EXPECT_EQ(menu, program->control()->simulatorMenu());
    EXPECT_EQ(menu->title().toStdString(), "模拟仪器");
    EXPECT_EQ(window()->menuBar()->actions().back()->menu(), menu) << "after the program's own menus";

    // A gas leak provoked from the menu comes back in the temperature frames, then goes again.
    auto entry = [&](const char* label) -> QAction* {
        for (QAction* action : menu->actions()) {
            if (action->text().toStdString() == label) return action;
        }
        return nullptr;
    };
    QAction* leak = entry("报警3：可燃气体泄漏");
    QAction* clear = entry("解除报警");
    ASSERT_NE(leak, nullptr);
    ASSERT_NE(clear, nullptr);
    leak->trigger();
    EXPECT_TRUE(testing::waitUntil([&] { return state().readings.alarmCode.load() == 3; }));
    clear->trigger();
    EXPECT_TRUE(testing::waitUntil([&] { return state().readings.alarmCode.load() == 0; }));
}

TEST(ControlWiringWithoutSimulator, NoSimulatorMenuForRealInstruments) {
    testing::TestFolder scratch{"control_wiring_real"};
    testing::ScriptedPrompts prompts;
    DesktopProgram program(scratch.path().string(), prompts);
    // Without the simulator the program looks for instruments; none is attached here.
    ASSERT_TRUE(program.start(LinkOptions{}, false));
    prompts.clear();  // the first start's settings notice
    ASSERT_NE(program.control(), nullptr);
    EXPECT_EQ(program.control()->simulatorMenu(), nullptr);
    EXPECT_EQ(program.window()->menuBar()->findChild<QMenu*>("simulatorMenu"), nullptr);
    for (QAction* action : program.window()->menuBar()->actions()) {
        EXPECT_NE(action->text().toStdString(), "模拟仪器");
    }
    // The control windows work without an analyser too: frames go nowhere, silently.
    WhenShown closer([](QDialog& dialog) { dialog.reject(); });
    program.window()->dispatch(kCmdGasPath);
    EXPECT_TRUE(closer.acted());
    EXPECT_TRUE(prompts.texts().empty()) << (prompts.texts().empty() ? "" : prompts.texts().front());
}

// Prompts whose questions run a piece of the program first (what the timers do while a modal
// question is shown), then answer.
class PromptsWithTimers final : public Prompts {
public:
    void message(const std::string&, const std::string& text, PromptIcon) override { texts.push_back(text); }
    bool askYesNo(const std::string&, const std::string& text, PromptIcon) override {
        texts.push_back(text);
        return whileAsked ? whileAsked() : false;
    }
    std::optional<std::string> openFileName(const FileDialogRequest&) override { return std::nullopt; }
    std::optional<std::string> saveFileName(const FileDialogRequest&) override { return std::nullopt; }

    std::vector<std::string> texts;
    std::function<bool()> whileAsked;
};

// A sensor alarm acknowledged while the stop question is on the screen still stops the furnace,
// and answering Cancel afterwards does not make the program believe it heats again.
TEST(ControlWiringAlarmDuringTheStopQuestion, TheFurnaceStopsAndStaysStopped) {
    testing::TestFolder scratch{"control_wiring_alarm"};
    PromptsWithTimers prompts;
    DesktopProgram program(scratch.path().string(), prompts);
    LinkOptions options;
    options.source = LinkOptions::Source::Simulator;
    options.speed = 0.0001;
    ASSERT_TRUE(program.start(options, false));
    MainWindow* window = program.window();
    ProgramState& state = program.state();
    sim::SimulatedAnalyser& analyser = state.sources.simulator->analyser();

    WhenShown script([&](QDialog& shown) {
        auto& dialog = dynamic_cast<ProgrammeDialog&>(shown);
        dialog.field(0)->setText("500");
        dialog.field(1)->setText("10");
        dialog.field(2)->setText("30");
        dialog.addButton()->click();
        dialog.startStopButton()->click();
        ASSERT_TRUE(analyser.programRunning());
        prompts.whileAsked = [&] {
            EXPECT_TRUE(state.programmeRunning()) << "still heating while the operator decides";
            state.readings.alarmCode.store(1);
            window->alarmTick();
            state.readings.alarmCode.store(0);
            window->programmeAbortTick();
            return false;  // Cancel
        };
        dialog.startStopButton()->click();
        prompts.whileAsked = nullptr;
        EXPECT_FALSE(analyser.programRunning()) << "the sensor alarm stopped the furnace";
        EXPECT_FALSE(state.programmeRunning());
        EXPECT_EQ(dialog.startStopButton()->text().toStdString(), "开始程序升温");
        dialog.exitButton()->click();
    });
    window->dispatch(kCmdTemperatureProgram);
    ASSERT_TRUE(script.acted());
    EXPECT_FALSE(state.programmeRunning());
    EXPECT_FALSE(analyser.programRunning());
    ASSERT_GE(prompts.texts.size(), 2u);
    EXPECT_EQ(prompts.texts[prompts.texts.size() - 2], "确定要停止程序升温吗？");
    EXPECT_EQ(prompts.texts.back(), "温度传感器故障!!!!程序升温已停止!!请检查!!");
}

// The windows the control windows open in turn: the cleaning behind the flow dialog's access
// code, the programme dialog behind the panel's button; both reach the analyser, and a programme
// started from the panel keeps the close guard.
TEST_F(ControlWiringTest, CleaningAndTheProgrammeAreReachedFromTheirParentWindows) {
    start(0.0001);
    prompts.clear();
    bool cleaned = false, stoppedCleaning = false;
    WhenShown cleaning(
        [&](QDialog& shown) {
            auto& dialog = dynamic_cast<CleaningDialog&>(shown);
            dialog.startButton()->click();
            cleaned = analyser().cleaning(0);
            dialog.stopButton()->click();
            dialog.tick();  // the countdown's next tick ends it
            stoppedCleaning = !analyser().cleaning(0);
            dialog.exitButton()->click();
        },
        "气路清洗设定");
    WhenShown code(
        [](QDialog& shown) {
            auto& dialog = dynamic_cast<AccessCodeDialog&>(shown);
            dialog.codeField()->setText("quorbe");
            dialog.okButton()->click();
        },
        "输入口令");
    WhenShown flows(
        [](QDialog& shown) {
            dynamic_cast<FlowDialog&>(shown).cleaningButton()->click();
            shown.reject();
        },
        "流量设定");
    window()->menuAction(kCmdFlowSetting)->trigger();
    ASSERT_TRUE(flows.acted());
    ASSERT_TRUE(code.acted());
    ASSERT_TRUE(cleaning.acted());
    EXPECT_TRUE(cleaned);
    EXPECT_TRUE(stoppedCleaning);
    EXPECT_TRUE(prompts.texts().empty()) << prompts.texts().front();

    bool ownedByThePanel = false;
    WhenShown programme(
        [&](QDialog& shown) {
            auto& dialog = dynamic_cast<ProgrammeDialog&>(shown);
            ownedByThePanel = qobject_cast<GasPathPanel*>(dialog.parentWidget()) != nullptr;
            dialog.field(0)->setText("250");
            dialog.field(1)->setText("5");
            dialog.field(2)->setText("15");
            dialog.addButton()->click();
            dialog.startStopButton()->click();
            dialog.exitButton()->click();
        },
        "程序升温设定");
    WhenShown panel(
        [](QDialog& shown) {
            dynamic_cast<GasPathPanel&>(shown).button(1024)->click();
            shown.reject();
        },
        "气路控制");
    window()->menuAction(kCmdGasPath)->trigger();
    ASSERT_TRUE(panel.acted());
    ASSERT_TRUE(programme.acted());
    EXPECT_TRUE(ownedByThePanel) << "the panel's own window, so it opens above the modal panel, not behind it";
    EXPECT_TRUE(analyser().programRunning());
    EXPECT_TRUE(state().programmeRunning());
    window()->close();
    EXPECT_TRUE(window()->isVisible()) << "the close box waits for the programme";
}

TEST_F(ControlWiringTest, OneWindowOfEachKindAtATime) {
    start(0.0001);
    prompts.clear();
    int flowDialogs = 0;
    {
        WhenShown script([&](QDialog& dialog) {
            window()->dispatch(kCmdFlowSetting);  // asked again while it is open
            flowDialogs = visibleCount<FlowDialog>();
            dialog.reject();
        });
        window()->dispatch(kCmdFlowSetting);
        ASSERT_TRUE(script.acted());
    }
    EXPECT_EQ(flowDialogs, 1);

    int programmeDialogs = 0;
    ProgrammeDialog* first = nullptr;
    {
        WhenShown script([&](QDialog& dialog) {
            first = ProgrammeDialog::openDialog();
            window()->dispatch(kCmdTemperatureProgramAlt);  // the same dialog by its other id
            programmeDialogs = visibleCount<ProgrammeDialog>();
            EXPECT_EQ(ProgrammeDialog::openDialog(), first);
            dialog.reject();
        });
        window()->dispatch(kCmdTemperatureProgram);
        ASSERT_TRUE(script.acted());
    }
    EXPECT_NE(first, nullptr);
    EXPECT_EQ(programmeDialogs, 1);
    EXPECT_TRUE(prompts.texts().empty()) << (prompts.texts().empty() ? "" : prompts.texts().front());
}

}  // namespace
}  // namespace vespian
