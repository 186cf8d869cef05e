#include "method/console_run.h"

#include <chrono>
#include <filesystem>
#include <thread>

#include "control/control_state.h"
#include "control/gas_table.h"
#include "link/instrument_link.h"
#include "link/link_watchdog.h"
#include "method/method_plan.h"
#include "method/method_runner.h"
#include "method/run_driver.h"
#include "method/method_validation.h"
#include "method/prerun_checks.h"
#include "method/run_journal.h"
#include "method/safe_state.h"
#include "trace/chromatogram.h"
#include "trace/recovery_journal.h"

namespace vespian {

namespace {

using Clock = std::chrono::steady_clock;
constexpr auto kTick = std::chrono::milliseconds(100);
// The analyser must stream within this time before a run starts.
constexpr auto kFirstDataLimit = std::chrono::seconds(15);

bool printed(RunEvent event) {
    switch (event) {
    case RunEvent::RunStart:
    case RunEvent::StepStart:
    case RunEvent::Skipped:
    case RunEvent::LinkLost:
    case RunEvent::LinkBack:
    case RunEvent::Alarm:
    case RunEvent::RunEnd:
        return true;
    default:
        return false;
    }
}

void sendAll(InstrumentLink& link, const std::vector<Command>& frames) {
    for (const Command& frame : frames) link.send(frame);
}

// Takes the new points over and keeps the link watched; true when points came.
bool takeOver(InstrumentLink& link, Chromatogram& trace, LinkWatchdog& watchdog) {
    bool arrived = false;
    while (trace.takeOverPoint()) arrived = true;
    if (arrived) {
        watchdog.pointsArrived();
    } else if (watchdog.tick()) {
        link.reconnect();
    }
    return arrived;
}

}  // namespace

const char* consoleRunUsage() {
    return "  --method 文件         运行测试方法（JSON），每步显示一行；报警或中止时退出码不为 0\n"
           "  --data 文件夹         方法运行的数据文件夹，默认 SAVE\n"
           "  --resume              上次运行中断时，从下一个可以继续的步骤继续\n"
           "  --end-safely          上次运行中断时，只让仪器进入安全状态并结束\n";
}

int runMethodOnConsole(const ConsoleRunOptions& options, InstrumentLink& link, Chromatogram& trace,
                       InstrumentReadings& readings, const std::atomic<bool>& stop, std::FILE* out, std::FILE* err) {
    const std::string journalPath =
        options.journalPath.empty()
            ? (std::filesystem::path(options.dataFolder) / kRunJournalFileName).string()
            : options.journalPath;
    std::error_code ignored;
    std::filesystem::create_directories(options.dataFolder, ignored);

    MethodFile method;
    std::string methodPath = options.methodPath;
    int32_t firstStep = 0;
    const InterruptedRun interrupted = inspectRunJournal(journalPath);
    if (interrupted.found) {
        if (!interrupted.readable) {
            std::fprintf(err, "%s，请检查后删除该文件\n", interrupted.message.c_str());
            return kRunExitInterrupted;
        }
        std::fprintf(out, "%s\n", interruptedRunText(interrupted).c_str());
        if (!options.resume && !options.endSafely) {
            std::fprintf(err, "用 --resume 从第 %d 步继续，或用 --end-safely 让仪器进入安全状态\n",
                         interrupted.nextSafeStep + 1);
            return kRunExitInterrupted;
        }
        method = interrupted.method;
        methodPath = interrupted.methodPath;
        firstStep = interrupted.nextSafeStep;
    } else if (options.resume || options.endSafely) {
        std::fprintf(err, "没有中断的方法运行（%s）\n", journalPath.c_str());
        return kRunExitRefused;
    } else {
        const MethodReadResult read = readMethodFile(options.methodPath);
        if (!read.ok) {
            std::fprintf(err, "%s\n", read.message.c_str());
            return kRunExitRefused;
        }
        method = read.method;
    }

    const std::vector<MethodIssue> errors = validateMethod(method);
    if (hasErrors(errors)) {
        for (const MethodIssue& issue : errors) std::fprintf(err, "%s\n", issue.message.c_str());
        std::fprintf(err, "方法有错误，没有运行\n");
        return kRunExitRefused;
    }
    for (const MethodIssue& issue : checkBeforeRun(method)) std::fprintf(out, "注意：%s\n", issue.message.c_str());
    std::fflush(out);

    // The run starts on a streaming analyser.
    LinkWatchdog watchdog;
    const auto waitStarted = Clock::now();
    while (trace.pointCount() == 0 && Clock::now() - waitStarted < kFirstDataLimit && !stop.load()) {
        std::this_thread::sleep_for(kTick);
        takeOver(link, trace, watchdog);
    }
    if (trace.pointCount() == 0) {
        std::fprintf(err, "未收到数据，方法没有运行\n");
        return kRunExitNoData;
    }

    ControlState control{};
    FlowChannels flows{};
    RunJournal journal(journalPath);
    if (interrupted.found && options.endSafely) {
        const SafeState safe = endInterruptedRunSafely(interrupted, control, flows);
        sendAll(link, safe.frames);
        std::this_thread::sleep_for(kTick);
        journal.finish();
        std::fprintf(out, "%s\n", madeSafeText(method.safety).c_str());
        return kRunExitCompleted;
    }

    // Prints what the run answers: one line per step and per event that matters.
    class ConsoleSink : public RunDriverSink {
    public:
        ConsoleSink(InstrumentLink& link, Chromatogram& trace, const std::function<void(int32_t)>& stepStarted,
                    std::FILE* out, std::FILE* err)
            : link_(link), trace_(trace), stepStarted_(stepStarted), out_(out), err_(err) {}
        void send(const Command& frame) override { link_.send(frame); }
        void zeroSignal() override { trace_.zeroSignal(); }
        void entry(const RunLogEntry& entry) override {
            if (printed(entry.event)) std::fprintf(out_, "%s\n", runLogLine(entry).c_str());
            if (entry.event == RunEvent::StepStart && stepStarted_) stepStarted_(entry.step);
        }
        void note(const std::string& text) override { std::fprintf(out_, "  %s\n", text.c_str()); }
        void problem(const std::string& text) override { std::fprintf(err_, "  %s\n", text.c_str()); }
        void pdf(const std::string& path) override {
            std::fprintf(out_, "  PDF 报告由窗口程序生成，没有写入%s\n", path.c_str());
        }
        void prompt(const PromptMessage& prompt) override {
            std::fprintf(err_, "%s：%s\n", prompt.caption.c_str(), prompt.text.c_str());
        }

    private:
        InstrumentLink& link_;
        Chromatogram& trace_;
        const std::function<void(int32_t)>& stepStarted_;
        std::FILE* out_;
        std::FILE* err_;
    };
    ConsoleSink sink(link, trace, options.stepStarted, out, err);
    RunDriverOptions driverOptions;
    driverOptions.dataFolder = options.dataFolder;
    driverOptions.pace = options.pace;
    driverOptions.observer = options.observer;
    RunDriver driver(control, flows, trace, driverOptions);

    driver.start(method, driver.input(readings), sink, firstStep, &journal, methodPath);
    std::fflush(out);
    auto lastFlush = Clock::now();
    while (driver.runner().active()) {
        std::this_thread::sleep_for(kTick);
        takeOver(link, trace, watchdog);
        if (options.traceJournal != nullptr && Clock::now() - lastFlush >= std::chrono::milliseconds(kJournalFlushMs)) {
            lastFlush = Clock::now();
            if (!options.traceJournal->flush(trace)) std::fprintf(err, "无法写入谱图的恢复文件\n");
        }
        const RunnerInput input = driver.input(readings);
        if (stop.load()) {
            driver.abort(input, sink);
            std::fflush(out);
            break;
        }
        driver.tick(input, sink);
        std::fflush(out);
    }
    // Give the last frames time to leave before the link is closed.
    std::this_thread::sleep_for(kTick);
    if (options.traceJournal != nullptr) options.traceJournal->flush(trace);
    // A log saved during the run is brought up to its end.
    driver.finishLogs();
    const bool filesFailed = driver.filesFailed();

    switch (driver.runner().progress(0.0).end) {
    case RunEnd::Completed:
        return filesFailed ? kRunExitFilesFailed : kRunExitCompleted;
    case RunEnd::Alarm:
        return kRunExitAlarm;
    default:
        return kRunExitAborted;
    }
}

}  // namespace vespian
