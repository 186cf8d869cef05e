// The method editor and the run view in the running program: steps added, moved, duplicated
// and removed; a bad value refused with the message naming step and field, through the prompts;
// a method saved and opened again; a short method run on the simulator, its view following the
// steps, the abort leaving the analyser safe; the exit during a run asking first; the run
// journal of a program that died offered at the next start; an alarm provoked from the simulator
// menu at a chosen step ending the run there, shown in the open programme dialog.

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QInputDialog>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QSpinBox>
#include <QTableWidget>
#include <filesystem>

#include "app/command_ids.h"
#include "app/desktop/control_wiring.h"
#include "app/desktop/method_wiring.h"
#include "control/desktop/programme_dialog.h"
#include "control/desktop/step_alarm_dialog.h"
#include "method/desktop/method_editor.h"
#include "method/desktop/method_timeline_view.h"
#include "method/desktop/run_view.h"
#include "method/method_templates.h"
#include "method/run_driver.h"
#include "method/run_journal.h"
#include "modal_watch.h"
#include "sim/simulator_driver.h"
#include "program_fixture.h"

namespace vespian {
namespace {

namespace fs = std::filesystem;
using testing::waitUntil;

MethodFile shipped(const std::string& fileName) {
    for (const MethodTemplate& t : shippedTemplates()) {
        if (t.fileName == fileName) return t.method;
    }
    ADD_FAILURE() << fileName;
    return {};
}

// A short method: argon, a mark, two short waits with a valve between, the furnace started
// and a long wait to abort in.
MethodFile shortMethod() {
    MethodFile method;
    method.name = "短方法";
    method.test = TestKind::Other;
    method.sample.name = "样品A";
    method.sample.weightG = 0.05;
    WaitStep brief;
    brief.until = WaitKind::Time;
    brief.minutes = 0.2;
    WaitStep longWait = brief;
    longWait.minutes = 600;
    method.steps = {GasStep{1, "氩气", 30}, MarkStep{"开始"}, brief, ValveStep{5, true}, brief,
                    FurnaceStep{false, {FurnaceSegment{400, 10, 30}}}, longWait};
    return method;
}

class MethodWindowTest : public testing::ProgramFixture {
protected:
    std::vector<std::string> messages() const {
        std::vector<std::string> out;
        for (const testing::PromptRecord& r : prompts.records()) {
            if (r.kind == testing::PromptRecord::Kind::Message) out.push_back(r.text);
        }
        return out;
    }
    void setField(MethodEditor& editor, const std::string& key, const QString& text) {
        auto* edit = qobject_cast<QLineEdit*>(editor.field(key));
        ASSERT_NE(edit, nullptr) << key;
        edit->setText(text);
        emit edit->editingFinished();
    }
    QString fieldText(MethodEditor& editor, const std::string& key) {
        auto* edit = qobject_cast<QLineEdit*>(editor.field(key));
        return edit != nullptr ? edit->text() : QString("(none)");
    }
    void shot(QWidget& widget, const char* name) {
        fs::create_directories("/tmp/methwire");
        widget.grab().toImage().save(QString("/tmp/methwire/") + name);
    }
};

TEST_F(MethodWindowTest, TheEditorEditsStepsAndRefusesBadValuesWithTheirMessages) {
    start(0.0001);
    const MethodFile tpr = shipped("tpr.json");
    // 控制 → "新建方法…": the template chosen in the list is the editor's new method.
    testing::onNextModal([](QWidget& modal) {
        auto* dialog = qobject_cast<QInputDialog*>(&modal);
        ASSERT_NE(dialog, nullptr);
        dialog->setTextValue(QString::fromStdString(shipped("tpr.json").name));
        dialog->accept();
    });
    window()->menuAction(kCmdNewMethod)->trigger();
    ASSERT_NE(program->methods()->editor(), nullptr);
    MethodEditor& editor = *program->methods()->editor();
    ASSERT_TRUE(editor.isVisible());
    EXPECT_EQ(editor.method(), tpr);
    EXPECT_TRUE(editor.path().empty());
    editor.resize(1366, 740);
    QApplication::processEvents();
    ASSERT_EQ(editor.stepList()->count(), static_cast<int>(tpr.steps.size()));

    // Add after the selected step, move it down, duplicate, remove both: the template again.
    editor.selectStep(0);
    editor.addStep("mark");
    ASSERT_EQ(editor.selectedStep(), 1);
    EXPECT_TRUE(std::holds_alternative<MarkStep>(editor.method().steps[1]));
    editor.moveStep(1);
    EXPECT_EQ(editor.selectedStep(), 2);
    EXPECT_EQ(editor.method().steps[1], tpr.steps[1]);
    EXPECT_EQ(std::get<MarkStep>(editor.method().steps[2]).name, "标记");
    editor.duplicateStep();
    EXPECT_EQ(editor.method().steps[3], editor.method().steps[2]);
    editor.removeStep();
    EXPECT_EQ(editor.selectedStep(), 3);  // the step after the removed one
    editor.selectStep(2);
    editor.removeStep();
    EXPECT_EQ(editor.method(), tpr);
    EXPECT_TRUE(editor.modified());
    EXPECT_TRUE(editor.stepList()->item(2)->text().startsWith("第3步（炉子）"));

    // The wait for 300 ℃ (step 4): out of range, not a number, then a good value.
    prompts.clear();
    editor.selectStep(3);
    setField(editor, "target_c", "5000");
    ASSERT_EQ(messages().size(), 1u);
    EXPECT_NE(messages()[0].find("第4步（等待）目标温度"), std::string::npos) << messages()[0];
    EXPECT_NE(messages()[0].find("超出范围"), std::string::npos) << messages()[0];
    EXPECT_EQ(fieldText(editor, "target_c"), "300");
    EXPECT_EQ(std::get<WaitStep>(editor.method().steps[3]).targetC, 300.0);
    setField(editor, "tolerance_c", "5,5");
    ASSERT_EQ(messages().size(), 2u);
    EXPECT_NE(messages()[1].find("第4步（等待）允许偏差：“5,5”不是数字"), std::string::npos) << messages()[1];
    setField(editor, "target_c", "350");
    EXPECT_EQ(messages().size(), 2u);
    EXPECT_EQ(std::get<WaitStep>(editor.method().steps[3]).targetC, 350.0);
    // A furnace segment's rate, in its table.
    editor.selectStep(2);
    auto* segments = qobject_cast<QTableWidget*>(editor.field("segments"));
    ASSERT_NE(segments, nullptr);
    segments->item(0, 1)->setText("500");
    ASSERT_EQ(messages().size(), 3u);
    EXPECT_NE(messages()[2].find("第3步（炉子）第1段升温速率"), std::string::npos) << messages()[2];
    EXPECT_EQ(segments->item(0, 1)->text(), "10");
    // The pulse count takes no fraction.
    editor.addStep("pulses");
    setField(editor, "max_count", "2.5");
    ASSERT_EQ(messages().size(), 4u);
    EXPECT_NE(messages()[3].find("第4步（脉冲）最多脉冲数"), std::string::npos) << messages()[3];
    EXPECT_EQ(std::get<PulsesStep>(editor.method().steps[3]).maxCount, 20);
    editor.removeStep();

    // The preview sums the steps' estimates and names the end.
    EXPECT_TRUE(editor.preview()->summaryText().contains("预计总时长")) << editor.preview()->summaryText().toStdString();
    EXPECT_GT(editor.preview()->timeline().totalS, 3600.0);
    shot(editor, "method_editor.png");

    // A method with an error is not run: a recording stopped before any started.
    editor.selectStep(-1);
    editor.addStep("record");
    ASSERT_EQ(editor.selectedStep(), static_cast<int>(tpr.steps.size()));
    prompts.clear();
    editor.run();
    ASSERT_EQ(messages().size(), 1u);
    EXPECT_NE(messages()[0].find("方法有错误"), std::string::npos);
    EXPECT_FALSE(program->methods()->running());
    editor.removeStep();

    // Saved and opened again: the same method.
    const fs::path file = folder / "SAVE" / "edited";
    prompts.chooseFile(file.string());
    ASSERT_TRUE(editor.save());
    ASSERT_TRUE(fs::exists(file.string() + ".json"));
    EXPECT_FALSE(editor.modified());
    const MethodFile saved = editor.method();
    editor.load(tpr, {});
    prompts.chooseFile(file.string() + ".json");
    ASSERT_TRUE(editor.openFile());
    EXPECT_EQ(editor.method(), saved);
    EXPECT_EQ(std::get<WaitStep>(editor.method().steps[3]).targetC, 350.0);
}

TEST_F(MethodWindowTest, AShortMethodRunsInTheWindowAndTheAbortLeavesTheAnalyserSafe) {
    start(20.0);
    ASSERT_TRUE(waitUntil([&] { return state().chromatogram->shownCount() > 10; }));
    MethodWiring& methods = *program->methods();
    ASSERT_TRUE(methods.startRun(shortMethod(), {}));
    RunView* view = methods.runView();
    ASSERT_NE(view, nullptr);
    ASSERT_TRUE(view->isVisible());
    EXPECT_TRUE(fs::exists(methods.journalPath()));
    // The first wait, the second, then the long one with the furnace heating.
    ASSERT_TRUE(waitUntil([&] { return view->stepText().startsWith("第3/7步"); }, 20000)) << view->stepText().toStdString();
    EXPECT_EQ(view->nextSteps()->count(), 4);
    ASSERT_TRUE(waitUntil([&] { return view->stepText().startsWith("第7/7步"); }, 30000)) << view->stepText().toStdString();
    EXPECT_TRUE(state().programmeRunning());
    EXPECT_STREQ(state().flows.channel[0].gasName, "氩气");
    EXPECT_TRUE(view->stateText().startsWith("运行中"));
    bool marked = false;
    for (int i = 0; i < view->log()->count(); ++i) marked = marked || view->log()->item(i)->text().contains("开始");
    EXPECT_TRUE(marked);
    // The mark stands on the trace at the point its step began.
    ASSERT_EQ(state().traceMarks.size(), 1u);
    EXPECT_EQ(state().traceMarks[0].name, "开始");
    EXPECT_GT(state().traceMarks[0].point, 0);  // a run starts only on a streaming analyser
    EXPECT_LT(state().traceMarks[0].point, state().chromatogram->shownCount());
    view->resize(520, 700);
    shot(*view, "method_run_view.png");

    // Abort, confirmed: the furnace stops, the journal goes, the view says so.
    prompts.answerYes();
    view->findChild<QPushButton*>("abortRun")->click();
    EXPECT_FALSE(methods.running());
    EXPECT_EQ(methods.driver()->runner().progress(0).end, RunEnd::Aborted);
    EXPECT_FALSE(state().programmeRunning());
    EXPECT_FALSE(fs::exists(methods.journalPath()));
    EXPECT_TRUE(view->stateText().startsWith("已中止")) << view->stateText().toStdString();
    EXPECT_FALSE(view->pauseButton()->isEnabled());
}

TEST_F(MethodWindowTest, AnExportStepWritesTheEvaluatedReportAsPdf) {
    start(20.0);
    ASSERT_TRUE(waitUntil([&] { return state().chromatogram->shownCount() > 10; }));
    MethodFile method = shortMethod();
    WaitStep brief;
    brief.until = WaitKind::Time;
    brief.minutes = 0.2;
    method.steps = {GasStep{1, "氩气", 30}, RecordStep{true}, brief, RecordStep{false}, EvaluateStep{EvaluatedKind::Tpd},
                    SaveStep{true, {SaveItem::Pdf}}};
    MethodWiring& methods = *program->methods();
    ASSERT_TRUE(methods.startRun(method, {}));
    ASSERT_TRUE(waitUntil([&] { return !methods.running(); }, 20000));
    EXPECT_EQ(methods.driver()->runner().progress(0).end, RunEnd::Completed);
    ASSERT_TRUE(methods.driver()->evaluatedReport());
    const fs::path folder(methods.driver()->runFolder());
    bool pdf = false;
    for (const auto& entry : fs::directory_iterator(folder)) {
        if (entry.path().extension() == ".pdf" && entry.file_size() > 1000) pdf = true;
    }
    EXPECT_TRUE(pdf) << folder;
}

TEST_F(MethodWindowTest, LeavingDuringARunAsksAndEndsItSafely) {
    start(20.0);
    ASSERT_TRUE(waitUntil([&] { return state().chromatogram->shownCount() > 10; }));
    MethodWiring& methods = *program->methods();
    ASSERT_TRUE(methods.startRun(shortMethod(), {}));
    ASSERT_TRUE(waitUntil([&] { return methods.runView()->stepText().startsWith("第7/7步"); }, 30000));
    prompts.clear();
    prompts.answerNo();
    EXPECT_FALSE(window()->close());
    ASSERT_FALSE(prompts.records().empty());
    EXPECT_EQ(prompts.records()[0].caption, kMethodRunningCaption);
    EXPECT_NE(prompts.records()[0].text.find("正在运行（第 7/7 步）"), std::string::npos) << prompts.records()[0].text;
    EXPECT_TRUE(methods.running());
    prompts.answerYes();
    prompts.answerNo();  // the unsaved trace is let go
    window()->close();
    EXPECT_FALSE(methods.running());
    EXPECT_FALSE(state().programmeRunning());
    EXPECT_FALSE(fs::exists(methods.journalPath()));
}

// The simulator menu arms sensor alarm 1 for step 3 (the long wait, the furnace heating); the run
// is started while the programme dialog is open: the run's forced stop reaches the dialog.
TEST_F(MethodWindowTest, AnAlarmProvokedAtAStepEndsTheRunThereAndReachesTheOpenProgrammeDialog) {
    start(20.0);
    ASSERT_TRUE(waitUntil([&] { return state().chromatogram->shownCount() > 10; }));
    QMenu* menu = window()->menuBar()->findChild<QMenu*>("simulatorMenu");
    ASSERT_NE(menu, nullptr);
    QAction* atStep = menu->findChild<QAction*>("simulatorStepAlarm");
    ASSERT_NE(atStep, nullptr);
    EXPECT_EQ(atStep->text(), "在方法的某一步报警…");
    testing::onModal("在方法的某一步报警", [&](QDialog& dialog) {
        auto& d = static_cast<StepAlarmDialog&>(dialog);
        EXPECT_EQ(d.armedLabel()->text(), "未设定");
        EXPECT_FALSE(d.disarmButton()->isEnabled());
        EXPECT_EQ(d.codeBox()->count(), 3);
        d.stepBox()->setValue(3);
        d.codeBox()->setCurrentIndex(0);
        dialog.resize(1366 / 3, 200);
        shot(dialog, "step_alarm_dialog.png");
        d.armButton()->click();
    });
    atStep->trigger();
    ASSERT_TRUE(program->control()->stepAlarm().armed());
    EXPECT_EQ(program->control()->stepAlarm().armed()->step, 3);
    EXPECT_EQ(program->control()->stepAlarm().armed()->code, 1);

    MethodFile method;
    method.name = "报警方法";
    method.sample.name = "样品B";
    method.sample.weightG = 0.05;
    WaitStep longWait;
    longWait.until = WaitKind::Time;
    longWait.minutes = 600;
    method.steps = {GasStep{1, "氩气", 30}, FurnaceStep{false, {FurnaceSegment{600, 10, 30}}}, longWait,
                    GasStep{1, "氦气", 30}};
    MethodWiring& methods = *program->methods();
    bool ended = false;
    testing::onModal("程序升温设定", [&](QDialog& dialog) {
        auto& d = static_cast<ProgrammeDialog&>(dialog);
        EXPECT_EQ(ProgrammeDialog::openDialog(), &d);
        EXPECT_TRUE(methods.startRun(method, {}));
        ended = waitUntil([&] { return !methods.running(); }, 20000);
        EXPECT_EQ(d.field(0)->text(), "0") << "the dialog shows the dropped programme";
        EXPECT_FALSE(d.startStopButton()->isEnabled());
        for (int k = 0; k < kMarksClearedByWatch; ++k) EXPECT_EQ(state().control.programme.defined[k], 0) << k;
        dialog.reject();
    });
    window()->dispatch(kCmdTemperatureProgram);
    ASSERT_TRUE(ended);
    const RunProgress progress = methods.driver()->runner().progress(0);
    EXPECT_EQ(progress.end, RunEnd::Alarm);
    EXPECT_EQ(progress.step, 2);
    EXPECT_NE(progress.endMessage.find("在第 3 步停止"), std::string::npos) << progress.endMessage;
    EXPECT_FALSE(state().programmeRunning());
    EXPECT_FALSE(program->control()->stepAlarm().armed()) << "spent";
    EXPECT_STREQ(state().flows.channel[0].gasName, "氩气") << "step 4's helium never came";
}

TEST_F(MethodWindowTest, ARunJournalLeftByACrashIsOfferedAtTheNextStart) {
    const MethodFile method = shortMethod();
    fs::create_directories(folder / "SAVE");
    RunJournal journal((folder / "SAVE" / kRunJournalFileName).string());
    ASSERT_TRUE(journal.record(method, "short.json", 2, 1000, 1100));
    // "否": made safe, the journal ended.
    prompts.answerNo();
    start(20.0);
    std::string offer;
    for (const testing::PromptRecord& r : prompts.records()) {
        if (r.caption == kMethodRunningCaption && r.withCancel) offer = r.text;
    }
    EXPECT_NE(offer.find("第 3 步"), std::string::npos) << offer;
    EXPECT_NE(offer.find("从第 3 步继续"), std::string::npos) << offer;  // a wait is waited again
    EXPECT_FALSE(fs::exists(program->methods()->journalPath()));
    EXPECT_FALSE(program->methods()->running());
    program.reset();

    // "是": the run goes on from the next safe step once the analyser streams.
    ASSERT_TRUE(journal.record(method, "short.json", 2, 1000, 1100));
    prompts.clear();
    prompts.answerYes();
    start(20.0);
    MethodWiring& methods = *program->methods();
    EXPECT_TRUE(methods.running());
    ASSERT_TRUE(waitUntil([&] { return methods.runView() != nullptr && methods.runView()->stepText().startsWith("第7/7步"); },
                          30000));
    // The furnace step the crash came before was carried out on the way.
    EXPECT_TRUE(state().programmeRunning());
    prompts.answerYes();
    methods.runView()->findChild<QPushButton*>("abortRun")->click();
    EXPECT_FALSE(fs::exists(methods.journalPath()));
}

}  // namespace
}  // namespace vespian
