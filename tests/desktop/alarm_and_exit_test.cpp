// The running window under a persisting alarm and at the exit: an alarm held for a minute of
// polls shows one box, names itself in red in the status bar and in the event list, stops the
// programme, and leaves the menus and Ctrl+S working; the exit question's Escape and close box
// keep the program and its recovery journal; manual peak picking stays reachable after a run;
// a resize to the window's minimum keeps the live trace in view.

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>
#include <QToolBar>
#include <filesystem>
#include <memory>

#include "app/command_ids.h"
#include "app/desktop/control_wiring.h"
#include "app/desktop/event_list_window.h"
#include "app/desktop/view_area.h"
#include "app/view_buttons.h"
#include "modal_watch.h"
#include "platform/desktop/qt_prompts.h"
#include "program_fixture.h"
#include "trace/recovery_journal.h"

namespace vespian {
namespace {

namespace fs = std::filesystem;
using testing::waitUntil;

constexpr char kSensorFault[] = "温度传感器故障!!!!程序升温已停止!!请检查!!";

class AlarmAndExitTest : public testing::ProgramFixture {
protected:
    int messagesSaying(const std::string& text) const {
        int n = 0;
        for (const testing::PromptRecord& r : prompts.records()) n += r.kind == testing::PromptRecord::Kind::Message && r.text == text;
        return n;
    }
    void saveShot(const QImage& image, const char* name) {
        EXPECT_TRUE(image.save(QString(VESPIAN_BUILD_DIR) + "/" + name)) << name;
    }
};

TEST_F(AlarmAndExitTest, AnAlarmHeldForAMinuteShowsOneBoxAndLeavesTheWindowUsable) {
    start(20.0);
    ASSERT_TRUE(waitUntil([&] { return state().chromatogram->shownCount() > 20; }));
    state().control.programme.running = 1;  // a furnace programme heats
    prompts.clear();
    // The sensor fault from the simulator's menu, through the frames the analyser sends.
    QMenu* simulator = program->control()->simulatorMenu();
    ASSERT_NE(simulator, nullptr);
    simulator->findChild<QAction*>("simulatorFault0")->trigger();
    ASSERT_TRUE(waitUntil([&] { return state().readings.alarmCode.load() == 1; }));

    // A minute of the alarm poll (600 ticks of 100 ms) with the window's own events in between.
    for (int tick = 0; tick < 600; ++tick) {
        window()->alarmTick();
        QApplication::processEvents();
        ASSERT_EQ(state().readings.alarmCode.load(), 1) << "the alarm persists";
    }
    EXPECT_EQ(messagesSaying(kSensorFault), 1) << "one box for the whole minute";
    EXPECT_EQ(prompts.records().size(), 1u);
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr) << "nothing blocks the window";
    ASSERT_TRUE(waitUntil([&] { return !state().programmeRunning(); })) << "the sensor alarm stopped the programme";

    // The status bar names it in red.
    QLabel* part = window()->alarmPart();
    ASSERT_TRUE(part->isVisible());
    EXPECT_EQ(part->text().toStdString(), "报警：温度传感器故障");
    const QImage shot = part->grab().toImage();
    const QColor fill = shot.pixelColor(2, shot.height() / 2);
    EXPECT_GT(fill.red(), 170);
    EXPECT_LT(fill.green(), 60);
    saveShot(window()->grab().toImage(), "alarm_persisting_window.png");

    // The menus work: the event list shows the alarm with its time, and the programme's stop.
    window()->menuAction(kCmdEventList)->trigger();
    EventListWindow* list = window()->eventList();
    ASSERT_NE(list, nullptr);
    ASSERT_TRUE(list->isVisible());
    ASSERT_EQ(list->table()->rowCount(), 2);
    EXPECT_EQ(list->table()->item(0, 1)->text().toStdString(), "报警");
    EXPECT_EQ(list->table()->item(0, 2)->text().toStdString(), kSensorFault);
    EXPECT_EQ(list->table()->item(0, 0)->text().size(), 19);
    EXPECT_EQ(list->table()->item(1, 1)->text().toStdString(), "程序升温");
    saveShot(list->grab().toImage(), "alarm_event_list.png");
    list->close();

    // Ctrl+S saves the trace.
    const fs::path saved = folder / "SAVE" / "under_alarm.lne";
    prompts.chooseFile(saved.string());
    QApplication::setActiveWindow(window());
    QTest::keyClick(window(), Qt::Key_S, Qt::ControlModifier);
    ASSERT_TRUE(waitUntil([&] { return fs::exists(saved); }));
    EXPECT_GT(fs::file_size(saved), 4u + 8u * 20u);

    // "解除报警": the red part goes and the list says so; the same alarm again brings a box.
    simulator->findChild<QAction*>("simulatorFault3")->trigger();
    ASSERT_TRUE(waitUntil([&] {
        window()->alarmTick();
        return !part->isVisible();
    }));
    EXPECT_EQ(state().events.newest().kind, EventKind::AlarmCleared);
    simulator->findChild<QAction*>("simulatorFault0")->trigger();
    ASSERT_TRUE(waitUntil([&] {
        window()->alarmTick();
        return messagesSaying("温度传感器故障!!!!请检查!!") == 1;
    }));
}

// After "停止测量" the manual pick is still on the toolbar and in the menu, so a peak of the run
// just ended can be picked.
TEST_F(AlarmAndExitTest, ManualPeakPickingStaysReachableAfterAStop) {
    start(0.0001);
    showTrace(600, 0.2f, 40.0f);
    {
        testing::ModalCloser closer;  // the injector dialog that the start opens
        window()->dispatch(kCmdStartMeasurement);
    }
    window()->dispatch(kCmdStopMeasurement);
    QAction* item = window()->menuAction(kCmdManualPeak);
    ASSERT_NE(item, nullptr) << "a menu item as well as the toolbar button";
    EXPECT_TRUE(item->isEnabled());
    EXPECT_TRUE(window()->toolbarAction(kCmdManualPeak)->isVisible());
    item->trigger();
    EXPECT_TRUE(state().tools.manualPeak);
}

// The trace zoomed up on the value axis and the window then made as small as it goes: the
// newest point is still inside the plot.
TEST_F(AlarmAndExitTest, AResizeToTheMinimumKeepsTheLiveTraceInView) {
    start(0.0001);
    showTrace(600, 0.0f, 30.0f);
    for (int i = 0; i < 6; ++i) window()->viewButtonPressed(kViewButtonYZoomIn);
    // The operator scrolls the trace back into the middle (a zoom moves the position by a fifth).
    state().view.vScroll = state().view.vMax / 2;
    window()->viewArea()->redraw();
    QApplication::processEvents();
    auto newestInPlot = [&] {
        const TraceView& v = state().view;
        const int32_t y = pointTransform(v).screenYSignal(state().chromatogram->signalMv()[599]);
        const PixelRect plot = plotRect(v);
        return y >= plot.top && y < plot.bottom;
    };
    ASSERT_TRUE(newestInPlot());
    window()->resize(window()->minimumSize());
    ASSERT_TRUE(waitUntil([&] { return window()->size() == window()->minimumSize(); }));
    window()->viewArea()->redraw();
    QApplication::processEvents();
    EXPECT_TRUE(newestInPlot()) << "vScroll " << state().view.vScroll << " of " << state().view.vMax;
    saveShot(window()->grab().toImage(), "trace_at_minimum_size.png");
    window()->resize(1280, 900);
    ASSERT_TRUE(waitUntil([&] { return window()->width() == 1280; }));
    window()->viewArea()->redraw();
    EXPECT_TRUE(newestInPlot());
}

// The exit question with the real message boxes: Escape and the close box call the exit off and
// keep the recovery journal; only "否" lets the trace go.
class ExitQuestionTest : public ::testing::Test {
protected:
    void SetUp() override {
        // A first start writes the settings files, so the real start asks nothing.
        testing::ScriptedPrompts quiet;
        {
            DesktopProgram first(folder.string(), quiet);
            ASSERT_TRUE(first.start(options(), false));
            first.finish();
        }
        program = std::make_unique<DesktopProgram>(folder.string(), prompts);
        ASSERT_TRUE(program->start(options(), false));
        prompts.setOwner(program->window());
        program->window()->showNormal();
        QApplication::processEvents();
    }
    static LinkOptions options() {
        LinkOptions o;
        o.source = LinkOptions::Source::Simulator;
        o.speed = 0.0001;
        return o;
    }
    // Answers the next exit question by `act` on its box; returns the box's button texts.
    QStringList answerNext(std::function<void(QMessageBox&)> act) {
        auto buttons = std::make_shared<QStringList>();
        testing::onNextModal([buttons, act](QWidget& modal) {
            auto* box = qobject_cast<QMessageBox*>(&modal);
            ASSERT_NE(box, nullptr);
            EXPECT_EQ(box->text().toStdString(), "谱图尚未保存，退出前是否保存谱图？");
            for (QAbstractButton* b : box->buttons()) *buttons << b->text();
            act(*box);
        });
        QApplication::setActiveWindow(program->window());
        QTest::keyClick(program->window(), Qt::Key_E, Qt::ControlModifier);  // "退出"
        return *buttons;
    }

    testing::TestFolder scratch{"exit_question"};
    const fs::path folder = scratch.path();
    QtPrompts prompts;
    std::unique_ptr<DesktopProgram> program;
};

TEST_F(ExitQuestionTest, EscapeAndTheCloseBoxKeepTheProgramAndTheJournal) {
    MainWindow* window = program->window();
    Chromatogram& trace = *program->state().chromatogram;
    for (int i = 0; i < 500; ++i) trace.appendReading(0.5f, 100.0f);
    window->displayTick();
    window->journalTick();
    const fs::path journal = folder / "SAVE" / kRecoveryJournalFileName;
    ASSERT_TRUE(fs::exists(journal));

    const QStringList buttons =
        answerNext([](QMessageBox& box) { QTest::keyClick(&box, Qt::Key_Escape); });
    EXPECT_EQ(buttons.size(), 3);
    for (const char* text : {"是(&Y)", "否(&N)", "取消"}) EXPECT_TRUE(buttons.contains(text)) << text;
    EXPECT_TRUE(window->isVisible()) << "Escape calls the exit off";
    EXPECT_TRUE(fs::exists(journal));
    EXPECT_TRUE(inspectJournal(journal.string()).worthRestoring());

    answerNext([](QMessageBox& box) { box.close(); });  // the box's close button
    EXPECT_TRUE(window->isVisible());
    EXPECT_TRUE(fs::exists(journal));
    window->journalTick();
    EXPECT_TRUE(fs::exists(journal)) << "still kept up to date";

    answerNext([](QMessageBox& box) {
        for (QAbstractButton* b : box.buttons()) {
            if (b->text() == "否(&N)") b->click();
        }
    });
    EXPECT_FALSE(window->isVisible()) << "an explicit No leaves";
    EXPECT_FALSE(fs::exists(journal));
}

}  // namespace
}  // namespace vespian
