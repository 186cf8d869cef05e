#include "method/console_run.h"

#include <chrono>
#include <ctime>
#include <filesystem>
#include <memory>
#include <thread>

#include "control/control_state.h"
#include "control/gas_table.h"
#include "files/test_report.h"
#include "link/instrument_link.h"
#include "link/link_watchdog.h"
#include "method/method_plan.h"
#include "method/method_runner.h"
#include "method/method_validation.h"
#include "method/prerun_checks.h"
#include "method/run_evaluation.h"
#include "method/run_files.h"
#include "method/run_journal.h"
#include "method/safe_state.h"
#include "platform/replace_file.h"
#include "trace/chromatogram.h"
#include "trace/quant_peak.h"
#include "trace/recovery_journal.h"

namespace vespian {

namespace {

using Clock = std::chrono::steady_clock;
constexpr auto kTick = std::chrono::milliseconds(100);
// The analyser must stream within this time before a run starts.
constexpr auto kFirstDataLimit = std::chrono::seconds(15);

struct WallTime {
    int64_t epochS = 0;
    int32_t secondOfDay = 0;
    ReportDate date;
};

WallTime wallNow() {
    WallTime now;
    const std::time_t t = std::time(nullptr);
    std::tm local{};
    localtime_r(&t, &local);
    now.epochS = static_cast<int64_t>(t);
    now.secondOfDay = local.tm_hour * 3600 + local.tm_min * 60 + local.tm_sec;
    now.date = {local.tm_year + 1900, local.tm_mon + 1, local.tm_mday};
    return now;
}

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
        std::fprintf(out, "仪器已进入安全状态：炉子停止，各通道切换为%s\n", method.safety.inertGas.c_str());
        return kRunExitCompleted;
    }

    MethodRunner runner(control, flows);
    auto report = std::make_unique<TestReport>();
    report->applyStartDefaults();
    auto quant = std::make_unique<QuantPeak>();
    bool evaluated = false;
    bool filesFailed = false;
    std::string runFolder;
    const auto started = Clock::now();
    const int32_t startPoint = trace.shownCount();

    auto inputNow = [&]() {
        RunnerInput input;
        const WallTime wall = wallNow();
        input.nowS = options.pace > 0.0
                         ? std::chrono::duration<double>(Clock::now() - started).count() * options.pace
                         : static_cast<double>(trace.shownCount() - startPoint) / kPointsPerSecond;
        input.signalMv = trace.signalMv();
        input.temperatureC = trace.temperatureC();
        input.pointCount = trace.shownCount();
        input.furnaceC = readings.temperatureC.load();
        input.alarmCode = readings.alarmCode.load();
        input.wallS = wall.epochS;
        input.secondOfDay = wall.secondOfDay;
        return input;
    };

    std::vector<std::string> logPaths;
    auto carryOut = [&](const RunnerOutput& output, const RunnerInput& input) {
        sendAll(link, output.frames);
        size_t printedEntries = 0;
        auto printEntries = [&](size_t upTo) {
            for (; printedEntries < upTo && printedEntries < output.entries.size(); ++printedEntries) {
                const RunLogEntry& entry = output.entries[printedEntries];
                if (printed(entry.event)) std::fprintf(out, "%s\n", runLogLine(entry).c_str());
            }
        };
        for (const RunRequest& request : output.requests) {
            printEntries(request.entriesBefore);
            if (request.kind == RunRequestKind::ZeroSignal) {
                trace.zeroSignal();
            } else if (request.kind == RunRequestKind::Evaluate) {
                const EvaluationOutcome outcome = evaluateRun(request.report, method, runner.results(), trace, *report,
                                                              *quant, wallNow().date);
                evaluated = evaluated || outcome.ok;
                runner.noteOutcome(input, request.step, outcome.message);
                std::fprintf(out, "  %s\n", outcome.message.c_str());
            } else {
                if (runFolder.empty()) runFolder = createRunFolder(options.dataFolder, method.sample.name, wallNow().date);
                if (runFolder.empty()) {
                    std::fprintf(err, "无法在%s中建立运行的文件夹\n", options.dataFolder.c_str());
                    filesFailed = true;
                    continue;
                }
                const RunFilesOutcome saved = saveRunFiles(
                    request.save, runFolder,
                    RunFilesInput{method, runner.results(), runner.log(), trace, evaluated ? report.get() : nullptr});
                for (const std::string& path : saved.written) {
                    std::fprintf(out, "  已保存：%s\n", path.c_str());
                    runner.noteOutcome(input, request.step, "已保存：" + path);
                    if (path.ends_with(".log.json")) logPaths.push_back(path);
                }
                for (const std::string& problem : saved.problems) {
                    std::fprintf(err, "  %s\n", problem.c_str());
                    runner.noteOutcome(input, request.step, problem);
                    filesFailed = true;
                }
                for (const std::string& path : saved.pdfPaths) {
                    std::fprintf(out, "  PDF 报告由窗口程序生成，没有写入%s\n", path.c_str());
                }
            }
        }
        printEntries(output.entries.size());
        for (const PromptMessage& prompt : output.prompts) {
            std::fprintf(err, "%s：%s\n", prompt.caption.c_str(), prompt.text.c_str());
        }
        std::fflush(out);
    };

    {
        const RunnerInput input = inputNow();
        carryOut(runner.start(method, input, firstStep, &journal, methodPath), input);
    }
    auto lastFlush = Clock::now();
    while (runner.active()) {
        std::this_thread::sleep_for(kTick);
        takeOver(link, trace, watchdog);
        if (options.traceJournal != nullptr && Clock::now() - lastFlush >= std::chrono::milliseconds(kJournalFlushMs)) {
            lastFlush = Clock::now();
            if (!options.traceJournal->flush(trace)) std::fprintf(err, "无法写入谱图的恢复文件\n");
        }
        const RunnerInput input = inputNow();
        if (stop.load()) {
            carryOut(runner.abort(input), input);
            break;
        }
        carryOut(runner.tick(input), input);
    }
    // Give the last frames time to leave before the link is closed.
    std::this_thread::sleep_for(kTick);
    if (options.traceJournal != nullptr) options.traceJournal->flush(trace);
    // A log saved during the run is brought up to its end.
    const std::string finalLog = runLogJson(runner.log());
    for (const std::string& path : logPaths) {
        if (replaceFile(path, [&](std::FILE* file) { return writeBlock(file, finalLog.data(), finalLog.size()); }) !=
            ReplaceFileStatus::Ok) {
            filesFailed = true;
        }
    }

    switch (runner.progress(0.0).end) {
    case RunEnd::Completed:
        return filesFailed ? kRunExitFilesFailed : kRunExitCompleted;
    case RunEnd::Alarm:
        return kRunExitAlarm;
    default:
        return kRunExitAborted;
    }
}

}  // namespace vespian
