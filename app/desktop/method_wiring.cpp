#include "app/desktop/method_wiring.h"

#include <QInputDialog>
#include <QTimer>

#include "app/command_ids.h"
#include "app/desktop/main_window.h"
#include "app/desktop/offscreen_pdf_writer.h"
#include "app/desktop/view_area.h"
#include "app/method_archiving.h"
#include "app/program_state.h"
#include "control/desktop/programme_dialog.h"
#include "method/desktop/method_editor.h"
#include "method/desktop/run_view.h"
#include "method/method_templates.h"
#include "method/run_driver.h"
#include "method/run_journal.h"
#include "method/run_log.h"
#include "method/run_report_pages.h"
#include "platform/prompts.h"

namespace vespian {

namespace {

QString qs(const std::string& text) { return QString::fromStdString(text); }

}  // namespace

struct MethodWiring::Pending {
    MethodFile method;
    std::string path;
    int32_t firstStep = 0;
};

// The run's answers carried out in the window: frames on the link the dialogs use, the zero
// through the toolbar's command, everything said into the run view, boxes after the tick.
class MethodWiring::Sink : public RunDriverSink {
public:
    explicit Sink(MethodWiring& owner) : owner_(owner) {}
    void send(const Command& frame) override {
        if (owner_.state_.link) owner_.state_.link->send(frame);
    }
    void zeroSignal() override { owner_.window_.dispatch(kCmdZeroSignal); }
    void entry(const RunLogEntry& entry) override {
        line(runLogLine(entry));
        if (entry.event == RunEvent::StepStart && owner_.stepStarted_) owner_.stepStarted_(entry.step);
    }
    // The run's safe state stopped the furnace: the open dialog drops its programme as it does
    // after the window's own forced stop.
    void furnaceForcedStop() override {
        if (ProgrammeDialog* dialog = ProgrammeDialog::openDialog()) dialog->showForcedStop();
    }
    void note(const std::string& text) override { line("  " + text); }
    void problem(const std::string& text) override { line("  错误：" + text); }
    // The report's PDF, as its window prints it.
    void pdf(const std::string& path) override {
        RunDriver* driver = owner_.driver_.get();
        const std::optional<EvaluatedKind> kind = driver != nullptr ? driver->evaluatedReport() : std::nullopt;
        if (!kind) {
            line("  错误：没有评价过的报告，PDF 没有写入" + path);
            return;
        }
        TestReport& report = driver->report();
        const ReportLetterhead& letterhead = owner_.state_.letterhead;
        std::string error;
        if (owner_.pdfWriter().savePdf(path, runReportDocumentName(*kind),
                                       [&](int32_t w, int32_t h) { return runReportPages(*kind, report, letterhead, w, h); },
                                       &error)) {
            line("  已保存：" + path);
        } else {
            line("  错误：" + error);
        }
    }
    void mark(const RunMark& mark) override {
        owner_.state_.traceMarks.push_back({mark.point, mark.name});
        if (ViewArea* view = owner_.window_.viewArea()) view->redraw();  // the line shows at once
        line("  标记“" + mark.name + "”在第 " + std::to_string(mark.point) + " 点");
    }
    void prompt(const PromptMessage& message) override {
        // A box opened inside the tick would hold it; it opens once the tick has returned.
        QTimer::singleShot(0, &owner_.window_, [prompts = &owner_.prompts_, message] {
            prompts->message(message.caption, message.text, message.icon);
        });
    }

private:
    void line(const std::string& text) {
        if (owner_.runView_) owner_.runView_->addLine(qs(text));
    }
    MethodWiring& owner_;
};

MethodWiring::MethodWiring(MainWindow& window, ProgramState& state, Prompts& prompts, double pace)
    : window_(window), state_(state), prompts_(prompts), pace_(pace), sink_(std::make_unique<Sink>(*this)) {
    window_.handleCommand(kCmdNewMethod, [this](const CommandEntry&) { newMethod(); });
    window_.handleCommand(kCmdOpenMethod, [this](const CommandEntry&) { openMethod(); });
    window_.handleCommand(kCmdMethodRun, [this](const CommandEntry&) { showRunView(); });
    window_.setTickListener([this] { tick(); });
    window_.setRunGuard([this] { return leaveDuringRun(); });
}

MethodWiring::~MethodWiring() {
    window_.setTickListener({});
    window_.setRunGuard({});
    delete editor_;
    delete runView_;
}

ReportPdfWriter& MethodWiring::pdfWriter() {
    if (!pdfWriter_) pdfWriter_ = std::make_unique<OffscreenPdfWriter>();
    return *pdfWriter_;
}

std::string MethodWiring::journalPath() const { return state_.dataFolder + kRunJournalFileName; }

bool MethodWiring::running() const { return pending_ != nullptr || (driver_ && driver_->runner().active()); }

void MethodWiring::newMethod() {
    const std::vector<MethodTemplate> templates = shippedTemplates();
    QStringList names;
    for (const MethodTemplate& t : templates) names << qs(t.method.name);
    bool ok = false;
    const QString chosen =
        QInputDialog::getItem(&window_, "新建方法", "从哪个模板开始：", names, 0, false, &ok);
    if (!ok) return;
    const qsizetype index = names.indexOf(chosen);
    if (index < 0) return;
    openEditor(templates[static_cast<size_t>(index)].method, {});
}

void MethodWiring::openMethod() {
    const std::optional<std::string> chosen =
        prompts_.openFileName({"打开方法", kMethodFilterName, "*.json", state_.dataFolder});
    if (!chosen) return;
    const MethodReadResult read = readMethodFile(*chosen);
    if (!read.ok) {
        prompts_.message(kMethodErrorCaption, read.message, PromptIcon::Warning);
        return;
    }
    openEditor(read.method, *chosen);
}

void MethodWiring::openEditor(const MethodFile& method, const std::string& path) {
    if (!editor_) {
        editor_ = new MethodEditor(prompts_, state_.dataFolder, &window_);
        editor_->setRunHandler([this](const MethodFile& m, const std::string& p) { startRun(m, p); });
    }
    editor_->load(method, path);
    editor_->show();
    editor_->raise();
    editor_->activateWindow();
}

void MethodWiring::showRunView() {
    if (!runView_) {
        prompts_.message(kRunViewTitle, "没有运行过方法。请在“新建方法…”或“打开方法…”的编辑窗口中运行方法。",
                         PromptIcon::Information);
        return;
    }
    runView_->show();
    runView_->raise();
}

bool MethodWiring::startRun(const MethodFile& method, const std::string& path) {
    if (running()) {
        prompts_.message(kMethodRunningCaption, "已有方法正在运行，请等它结束或中止后再运行。", PromptIcon::Warning);
        return false;
    }
    // The run's first steps judge the analyser's readings: it starts on a streaming analyser.
    if (state_.chromatogram->shownCount() == 0) {
        prompts_.message(kMethodRunningCaption, "仪器还没有数据，方法没有运行。请检查仪器的连接。", PromptIcon::Warning);
        return false;
    }
    return begin(method, path, 0);
}

bool MethodWiring::begin(const MethodFile& method, const std::string& path, int32_t firstStep) {
    if (!runView_) {
        runView_ = new RunView(&window_);
        runView_->setHandlers({
            [this] {
                if (driver_) driver_->pause(runInput(), *sink_);
                afterCall();
            },
            [this] {
                if (driver_) driver_->resume(runInput(), *sink_);
                afterCall();
            },
            [this] {
                if (driver_) driver_->skipStep(runInput(), *sink_);
                afterCall();
            },
            [this] {
                if (!running()) return;
                if (prompts_.askYesNo("中止运行", "中止方法的运行？炉子将停止，各通道切换为惰性气体。",
                                      PromptIcon::Question)) {
                    abortRun("操作员中止运行");
                }
            },
        });
    }
    RunDriverOptions options;
    options.dataFolder = state_.dataFolder;
    options.pace = pace_;
    options.report = state_.report.get();
    options.quant = state_.quantPeak.get();
    archiving_ = std::make_unique<MethodArchiving>(
        state_.archiving, [this](const ArchiveNotice& notice) { window_.showArchiveNotice(notice); }, false);
    options.observer = archiving_.get();
    journal_ = std::make_unique<RunJournal>(journalPath());
    driver_ = std::make_unique<RunDriver>(state_.control, state_.flows, *state_.chromatogram, options);
    ended_ = false;
    runView_->begin(method);
    runView_->show();
    runView_->raise();
    driver_->start(method, runInput(), *sink_, firstStep, journal_.get(), path);
    afterCall();
    return true;
}

void MethodWiring::tick() {
    if (pending_ && state_.chromatogram->shownCount() > 0) {
        const std::unique_ptr<Pending> pending = std::move(pending_);
        begin(pending->method, pending->path, pending->firstStep);
        return;
    }
    if (!driver_ || !driver_->runner().active()) return;
    driver_->tick(runInput(), *sink_);
    afterCall();
}

void MethodWiring::afterCall() {
    if (!driver_) return;
    const RunProgress progress = driver_->runner().progress(runInput().nowS);
    if (runView_) runView_->showProgress(progress);
    if (!driver_->runner().active() && !ended_) {
        ended_ = true;
        // The log saved during the run is brought up to its end.
        if (!driver_->finishLogs() && runView_) runView_->addLine("  错误：运行记录无法更新");
    }
}

RunnerInput MethodWiring::runInput() const {
    RunnerInput input = driver_->input(state_.readings);
    input.programmeDialogOpen = ProgrammeDialog::openDialog() != nullptr;
    return input;
}

void MethodWiring::abortRun(const std::string& reason) {
    if (!driver_ || !driver_->runner().active()) return;
    driver_->abort(runInput(), *sink_, reason);
    afterCall();
}

bool MethodWiring::leaveDuringRun() {
    if (pending_) pending_.reset();  // the interrupted run stays in its journal for the next start
    if (!driver_ || !driver_->runner().active()) return true;
    const RunProgress progress = driver_->runner().progress(runInput().nowS);
    const std::string text = "方法“" + driver_->runner().method().name + "”正在运行（第 " +
                             std::to_string(progress.step + 1) + "/" + std::to_string(progress.stepCount) +
                             " 步）。\n退出程序将中止运行：炉子停止，各通道切换为" +
                             driver_->runner().method().safety.inertGas + "。\n\n确定中止运行并退出吗？";
    if (!prompts_.askYesNo(kMethodRunningCaption, text, PromptIcon::Warning)) return false;
    abortRun("操作员退出程序");
    return true;
}

void MethodWiring::offerInterruptedRun() {
    const InterruptedRun run = inspectRunJournal(journalPath());
    if (!run.found) return;
    if (!run.readable) {
        prompts_.message(kMethodRunningCaption, run.message + "，请检查后删除该文件", PromptIcon::Warning);
        return;
    }
    const PromptAnswer answer = prompts_.askYesNoCancel(kMethodRunningCaption, interruptedRunQuestion(run), PromptIcon::Warning);
    if (answer == PromptAnswer::Cancel) return;
    if (answer == PromptAnswer::Yes && canGoOn(run)) {
        pending_ = std::make_unique<Pending>(Pending{run.method, run.methodPath, run.nextSafeStep});
        return;
    }
    const SafeState safe = endInterruptedRunSafely(run, state_.control, state_.flows);
    for (const Command& frame : safe.frames) sink_->send(frame);
    RunJournal(journalPath()).finish();
    prompts_.message(kMethodRunningCaption, madeSafeText(run.method.safety) + "。", PromptIcon::Information);
}

}  // namespace vespian
