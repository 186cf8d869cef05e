#pragma once
// Test methods in the running program: menu 控制 → "新建方法…" (from a shipped template),
// "打开方法…" and "方法运行"; the editor's "运行方法" starts the runner, which the display tick
// drives with the instrument's readings, its frames going out on the link the dialogs use, its
// evaluations filling the program's test report and its files going into the run's folder;
// the run view follows it. Leaving the program during a run asks, and ends the run safely
// first; a run journal left by a program that died is offered at the next start, to end safely
// or to go on from the next safe step.

#include <QObject>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace vespian {

class MainWindow;
class MethodArchiving;
class MethodEditor;
class Prompts;
class ReportPdfWriter;
class RunDriver;
class RunJournal;
class RunView;
struct MethodFile;
struct RunnerInput;
struct ProgramState;

inline constexpr char kMethodRunningCaption[] = "方法正在运行";

class MethodWiring : public QObject {
public:
    // `pace`: instrument seconds per wall second (the simulator's speed; 1 for a real analyser).
    MethodWiring(MainWindow& window, ProgramState& state, Prompts& prompts, double pace = 1.0);
    ~MethodWiring() override;

    void newMethod();
    void openMethod();
    void openEditor(const MethodFile& method, const std::string& path);
    // Starts a run that passed the editor's checks; false (with a message) when one runs
    // already or the analyser sends nothing yet.
    bool startRun(const MethodFile& method, const std::string& path);
    void showRunView();
    // One display tick of the running method.
    void tick();
    bool running() const;

    // At start: a run journal found means the program died during a run.
    void offerInterruptedRun();
    // The window is to close: true when no run goes on or the operator has ended it.
    bool leaveDuringRun();

    // Told as each step (1-based) of a run starts: the simulator's alarm provoked for a step.
    void setStepStarted(std::function<void(int32_t step)> listener) { stepStarted_ = std::move(listener); }

    MethodEditor* editor() const { return editor_; }
    RunView* runView() const { return runView_; }
    RunDriver* driver() const { return driver_.get(); }
    std::string journalPath() const;

private:
    class Sink;
    bool begin(const MethodFile& method, const std::string& path, int32_t firstStep);
    void afterCall();
    void abortRun(const std::string& reason);
    // The runner's input now, with whether the programme dialog is open for the forced stop.
    RunnerInput runInput() const;
    ReportPdfWriter& pdfWriter();

    MainWindow& window_;
    ProgramState& state_;
    Prompts& prompts_;
    double pace_ = 1.0;
    // Children of the main window, made when first asked for and deleted with this.
    MethodEditor* editor_ = nullptr;
    RunView* runView_ = nullptr;
    std::unique_ptr<Sink> sink_;
    std::unique_ptr<RunJournal> journal_;
    std::unique_ptr<RunDriver> driver_;
    std::unique_ptr<MethodArchiving> archiving_;  // the run into the trace's record and the archive
    std::unique_ptr<ReportPdfWriter> pdfWriter_;
    bool ended_ = true;
    std::function<void(int32_t)> stepStarted_;
    // A run taken up again after a crash waits for the analyser's first points.
    struct Pending;
    std::unique_ptr<Pending> pending_;
};

}  // namespace vespian
