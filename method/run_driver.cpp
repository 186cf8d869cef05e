#include "method/run_driver.h"

#include <ctime>

#include "files/test_report.h"
#include "link/instrument_readings.h"
#include "method/run_evaluation.h"
#include "method/run_files.h"
#include "platform/replace_file.h"
#include "trace/chromatogram.h"
#include "trace/quant_peak.h"
#include "trace/trace_file.h"

namespace vespian {

namespace {

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

}  // namespace

RunDriver::RunDriver(ControlState& control, FlowChannels& flows, Chromatogram& trace, RunDriverOptions options)
    : trace_(trace), options_(std::move(options)), runner_(control, flows), started_(std::chrono::steady_clock::now()),
      startPoint_(trace.shownCount()) {
    report_ = options_.report;
    quant_ = options_.quant;
    if (report_ == nullptr) {
        ownReport_ = std::make_unique<TestReport>();
        ownReport_->applyStartDefaults();
        report_ = ownReport_.get();
    }
    if (quant_ == nullptr) {
        ownQuant_ = std::make_unique<QuantPeak>();
        quant_ = ownQuant_.get();
    }
}

RunDriver::~RunDriver() = default;

RunnerInput RunDriver::input(const InstrumentReadings& readings) const {
    RunnerInput input;
    const WallTime wall = wallNow();
    input.nowS = options_.pace > 0.0
                     ? std::chrono::duration<double>(std::chrono::steady_clock::now() - started_).count() * options_.pace
                     : static_cast<double>(trace_.shownCount() - startPoint_) / kPointsPerSecond;
    input.signalMv = trace_.signalMv();
    input.temperatureC = trace_.temperatureC();
    input.pointCount = trace_.shownCount();
    input.furnaceC = readings.temperatureC.load();
    input.alarmCode = readings.alarmCode.load();
    input.wallS = wall.epochS;
    input.secondOfDay = wall.secondOfDay;
    return input;
}

void RunDriver::start(const MethodFile& method, const RunnerInput& input, RunDriverSink& sink, int32_t firstStep,
                      RunJournal* journal, const std::string& methodPath) {
    if (options_.observer != nullptr) {
        options_.observer->methodStarted(method);
        observedRunning_ = true;
    }
    carryOut(runner_.start(method, input, firstStep, journal, methodPath), input, sink);
}

void RunDriver::tick(const RunnerInput& input, RunDriverSink& sink) { carryOut(runner_.tick(input), input, sink); }
void RunDriver::pause(const RunnerInput& input, RunDriverSink& sink) { carryOut(runner_.pause(input), input, sink); }
void RunDriver::resume(const RunnerInput& input, RunDriverSink& sink) { carryOut(runner_.resume(input), input, sink); }
void RunDriver::skipStep(const RunnerInput& input, RunDriverSink& sink) {
    carryOut(runner_.skipStep(input), input, sink);
}
void RunDriver::abort(const RunnerInput& input, RunDriverSink& sink, const std::string& reason) {
    carryOut(runner_.abort(input, reason), input, sink);
}

void RunDriver::carryOut(const RunnerOutput& output, const RunnerInput& input, RunDriverSink& sink) {
    for (const Command& frame : output.frames) sink.send(frame);
    if (output.furnaceForcedStop) sink.furnaceForcedStop();
    // The record hears of the marks first: a save in the same call already holds them.
    if (options_.observer != nullptr) {
        for (const RunMark& mark : output.marks) options_.observer->marked(mark);
    }
    size_t shown = 0;
    auto entriesUpTo = [&](size_t upTo) {
        for (; shown < upTo && shown < output.entries.size(); ++shown) {
            sink.entry(output.entries[shown]);
            if (options_.observer != nullptr) options_.observer->logEntry(output.entries[shown]);
        }
    };
    const MethodFile& method = runner_.method();
    for (const RunRequest& request : output.requests) {
        entriesUpTo(request.entriesBefore);
        if (request.kind == RunRequestKind::ZeroSignal) {
            sink.zeroSignal();
        } else if (request.kind == RunRequestKind::Evaluate) {
            const EvaluationOutcome outcome =
                evaluateRun(request.report, method, runner_.results(), trace_, *report_, *quant_, wallNow().date);
            evaluated_ = evaluated_ || outcome.ok;
            if (outcome.ok) evaluatedKind_ = request.report;
            runner_.noteOutcome(input, request.step, outcome.message);
            sink.note(outcome.message);
        } else {
            if (runFolder_.empty()) runFolder_ = createRunFolder(options_.dataFolder, method.sample.name, wallNow().date);
            if (runFolder_.empty()) {
                sink.problem("无法在" + options_.dataFolder + "中建立运行的文件夹");
                filesFailed_ = true;
                continue;
            }
            const RunFilesOutcome saved =
                saveRunFiles(request.save, runFolder_,
                             RunFilesInput{method, runner_.results(), runner_.log(), trace_, evaluated_ ? report_ : nullptr});
            for (const std::string& path : saved.written) {
                runner_.noteOutcome(input, request.step, "已保存：" + path);
                sink.note("已保存：" + path);
                if (options_.observer != nullptr) {
                    options_.observer->fileSaved(path, path.ends_with(kTraceFileExtension) ? trace_.pointCount() : 0);
                }
                if (path.ends_with(".log.json")) logPaths_.push_back(path);
            }
            for (const std::string& problem : saved.problems) {
                runner_.noteOutcome(input, request.step, problem);
                sink.problem(problem);
                filesFailed_ = true;
            }
            for (const std::string& path : saved.pdfPaths) sink.pdf(path);
        }
    }
    entriesUpTo(output.entries.size());
    for (const RunMark& mark : output.marks) sink.mark(mark);
    for (const PromptMessage& prompt : output.prompts) sink.prompt(prompt);
    if (observedRunning_ && !runner_.active()) {
        observedRunning_ = false;
        options_.observer->methodEnded();
    }
}

bool RunDriver::finishLogs() {
    const std::string finalLog = runLogJson(runner_.log());
    bool ok = true;
    for (const std::string& path : logPaths_) {
        if (replaceFile(path, [&](std::FILE* file) { return writeBlock(file, finalLog.data(), finalLog.size()); }) !=
            ReplaceFileStatus::Ok) {
            ok = false;
            filesFailed_ = true;
        }
    }
    return ok;
}

}  // namespace vespian
