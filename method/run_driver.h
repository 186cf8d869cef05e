#pragma once
// A method run carried out on the program's instrument, the same way wherever it is driven from
// (the console recorder, the window's display tick): the run clock, the runner's input built
// from the trace and the readings, and the runner's answers carried out in their order: frames
// sent, the signal zeroed, evaluations filled into the test report, saves written into the
// run's folder, and each outcome noted in the run's log. What the operator is shown of it goes
// to a sink, so the console prints it and the window lists it.

#include <chrono>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "control/control_state.h"
#include "control/gas_table.h"
#include "link/command_set.h"
#include "method/method_file.h"
#include "method/method_runner.h"
#include "method/run_observer.h"

namespace vespian {

class Chromatogram;
class QuantPeak;
class RunJournal;
class TestReport;
struct InstrumentReadings;

// Where the run's answers go for the operator, and how its frames reach the analyser.
class RunDriverSink {
public:
    virtual ~RunDriverSink() = default;
    virtual void send(const Command& frame) = 0;
    // The signal is zeroed as the toolbar's "信号调零" does.
    virtual void zeroSignal() = 0;
    // Every log entry of a call, in order, interleaved with the outcomes of its requests.
    virtual void entry(const RunLogEntry& entry) = 0;
    // What an evaluation filled in, a file saved ("已保存：…").
    virtual void note(const std::string& text) = 0;
    // A file that could not be written, a folder that could not be made.
    virtual void problem(const std::string& text) = 0;
    // A PDF report the window draws; the console cannot.
    virtual void pdf(const std::string& path) = 0;
    virtual void prompt(const PromptMessage& message) = 0;
    virtual void mark(const RunMark& mark) { (void)mark; }
    // The safe state stopped a running furnace programme: an open programme dialog shows it.
    virtual void furnaceForcedStop() {}
};

struct RunDriverOptions {
    std::string dataFolder = "SAVE";
    // Instrument seconds per wall second (the simulator's speed); 0 or less: the trace's own
    // clock, for a source that delivers as fast as it is read.
    double pace = 1.0;
    // The test report and quantitative peak evaluations fill; null: the driver keeps its own.
    TestReport* report = nullptr;
    QuantPeak* quant = nullptr;
    // Told of the method, its log, marks and saved files for the trace's run record; may be null.
    RunObserver* observer = nullptr;
};

class RunDriver {
public:
    // The run clock starts now.
    RunDriver(ControlState& control, FlowChannels& flows, Chromatogram& trace, RunDriverOptions options);
    ~RunDriver();
    RunDriver(const RunDriver&) = delete;
    RunDriver& operator=(const RunDriver&) = delete;

    // The runner's input now: the run clock, the trace as taken over, the latest readings, the
    // wall clock for the log.
    RunnerInput input(const InstrumentReadings& readings) const;

    void start(const MethodFile& method, const RunnerInput& input, RunDriverSink& sink, int32_t firstStep = 0,
               RunJournal* journal = nullptr, const std::string& methodPath = {});
    void tick(const RunnerInput& input, RunDriverSink& sink);
    void pause(const RunnerInput& input, RunDriverSink& sink);
    void resume(const RunnerInput& input, RunDriverSink& sink);
    void skipStep(const RunnerInput& input, RunDriverSink& sink);
    void abort(const RunnerInput& input, RunDriverSink& sink, const std::string& reason = "操作员中止运行");

    // After the run: every log saved during it rewritten to the run's end. False when one could
    // not be written.
    bool finishLogs();

    MethodRunner& runner() { return runner_; }
    const MethodRunner& runner() const { return runner_; }
    bool filesFailed() const { return filesFailed_; }
    const std::string& runFolder() const { return runFolder_; }
    // The report the last evaluation filled in, and its kind; none before one succeeded.
    std::optional<EvaluatedKind> evaluatedReport() const { return evaluatedKind_; }
    TestReport& report() { return *report_; }

private:
    void carryOut(const RunnerOutput& output, const RunnerInput& input, RunDriverSink& sink);

    Chromatogram& trace_;
    RunDriverOptions options_;
    MethodRunner runner_;
    std::unique_ptr<TestReport> ownReport_;
    std::unique_ptr<QuantPeak> ownQuant_;
    TestReport* report_ = nullptr;
    QuantPeak* quant_ = nullptr;
    std::chrono::steady_clock::time_point started_;
    int32_t startPoint_ = 0;
    bool evaluated_ = false;
    std::optional<EvaluatedKind> evaluatedKind_;
    bool filesFailed_ = false;
    bool observedRunning_ = false;  // the observer was told of a start and not yet of the end
    std::string runFolder_;
    std::vector<std::string> logPaths_;
};

}  // namespace vespian
