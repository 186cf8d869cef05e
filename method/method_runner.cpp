#include "method/method_runner.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "control/flow_setting.h"
#include "control/furnace_program.h"
#include "control/valve_panel.h"
#include "method/method_plan.h"
#include "method/method_validation.h"
#include "method/pulse_saturation.h"
#include "method/run_journal.h"
#include "trace/chromatogram.h"

namespace vespian {

namespace {

constexpr int32_t kPointsPerMinute = 60 * kPointsPerSecond;
// A pulse series begins on this much baseline (s): its stretch starts flat, and the mean of
// these points is the level its pulses are recognised above.
constexpr double kPulseLeadS = 10.0;

std::string number(double value, const char* format = "%.4g") {
    char text[48];
    std::snprintf(text, sizeof text, format, value);
    return text;
}

std::string alarmText(int32_t code) {
    switch (code) {
    case 1: return "温度传感器故障";
    case 2: return "温度传感器未置于炉中";
    case 3: return "检测到可燃气体泄漏";
    default: return "仪器报警";
    }
}

// Least-squares slope of the last n points, mV per point.
double slopePerPoint(const float* signal, int32_t end, int32_t n) {
    const int32_t first = end - n;
    double sumX = 0.0, sumY = 0.0, sumXY = 0.0, sumXX = 0.0;
    for (int32_t i = 0; i < n; ++i) {
        const double y = signal[first + i];
        sumX += i;
        sumY += y;
        sumXY += i * y;
        sumXX += static_cast<double>(i) * i;
    }
    const double denominator = n * sumXX - sumX * sumX;
    return denominator > 0.0 ? (n * sumXY - sumX * sumY) / denominator : 0.0;
}

}  // namespace

struct MethodRunner::PulseRun {
    PulsesStep step;
    PeakSettings settings{};
    PeakDetector detector;
    std::vector<float> buffer;  // the signal above the baseline since the series began
    int32_t bufferFirst = 0;    // trace point of buffer[0]
    float baselineMv = 0.0f;
    bool baselineKnown = false;
    int32_t injected = 0;
    bool loopIn = false;
    double loopInSinceS = 0.0;
    double lastInjectionS = 0.0;
    RunPulseSeries series;
};

void RunnerOutput::clear() {
    frames.clear();
    marks.clear();
    requests.clear();
    prompts.clear();
    entries.clear();
    furnaceForcedStop = false;
    ended = false;
}

std::string stepTitle(int32_t index, const MethodStep& step) {
    return "第" + std::to_string(index + 1) + "步（" + std::string(stepKindName(step)) + "）";
}

std::string describeStep(const MethodStep& step) {
    return std::visit(
        [](const auto& s) -> std::string {
            using T = std::decay_t<decltype(s)>;
            if constexpr (std::is_same_v<T, GasStep>) {
                return std::to_string(s.channel) + "#通道 " + s.gas + " " + number(s.flowMlMin) + " ml/min";
            } else if constexpr (std::is_same_v<T, ValveStep>) {
                const std::string name =
                    s.valve >= 0 && s.valve < kValveCount ? std::string(kValveNames[static_cast<size_t>(s.valve)]) : "";
                return "阀门 " + std::to_string(s.valve) + (name.empty() ? "" : "（" + name + "）") + (s.on ? " 开" : " 关");
            } else if constexpr (std::is_same_v<T, FurnaceStep>) {
                if (s.stop) return "停止程序升温";
                std::string text = "程序升温";
                for (size_t k = 0; k < s.segments.size(); ++k) {
                    const FurnaceSegment& g = s.segments[k];
                    text += (k == 0 ? "：" : "；") + number(g.rateCPerMin) + " ℃/min 到 " + number(g.targetC) +
                            " ℃ 恒温 " + number(g.holdMin) + " min";
                }
                return text;
            } else if constexpr (std::is_same_v<T, WaitStep>) {
                std::string text;
                switch (s.until) {
                case WaitKind::Time: text = "等待 " + number(s.minutes) + " 分钟"; break;
                case WaitKind::Temperature:
                    text = "等待炉温到 " + number(s.targetC) + "±" + number(s.toleranceC) + " ℃";
                    break;
                case WaitKind::Cooled: text = "等待炉子冷却到 " + number(s.belowC) + " ℃ 以下"; break;
                case WaitKind::Stable:
                    text = "等待基线稳定（" + number(s.minutes) + " 分钟内漂移小于 " + number(s.driftMvPerMin) +
                           " mV/min）";
                    break;
                }
                if (s.timeoutMin) text += "，最长 " + number(*s.timeoutMin) + " 分钟";
                return text;
            } else if constexpr (std::is_same_v<T, PulsesStep>) {
                return "脉冲：每 " + number(s.intervalS) + " s 一个，" + std::to_string(s.agreeCount) +
                       " 个峰面积相差 " + number(s.agreePercent) + "% 以内为饱和，最多 " +
                       std::to_string(s.maxCount) + " 个";
            } else if constexpr (std::is_same_v<T, RecordStep>) {
                return s.start ? "开始记录" : "停止记录";
            } else if constexpr (std::is_same_v<T, MarkStep>) {
                return "标记“" + s.name + "”";
            } else if constexpr (std::is_same_v<T, EvaluateStep>) {
                return "评价：" + std::string(reportKindName(s.report));
            } else {
                std::string text = s.exportStep ? "导出：" : "保存：";
                for (size_t k = 0; k < s.items.size(); ++k) {
                    text += (k == 0 ? "" : "、") + std::string(saveItemKey(s.items[k]));
                }
                return text;
            }
        },
        step);
}

PeakSettings MethodRunner::pulseSettings(const PulsesStep& step) {
    PeakSettings settings{};
    settings.minHeightUv = static_cast<int32_t>(step.minHeightMv * 1000.0);
    // A loop's pulse rises within a few seconds: a quarter of the smallest pulse over 10 points
    // opens it, noise never does. It closes once its tail flattens.
    settings.startSlopeUv = std::max(settings.minHeightUv / 4, 50);
    settings.endSlopeUv = std::max(settings.minHeightUv / 10, 20);
    settings.minWidth = 0;
    // A pulse ends before the next one comes.
    settings.maxWidth = std::max(1, static_cast<int32_t>(step.intervalS * kPointsPerSecond) / kIntegrationBlock);
    return settings;
}

MethodRunner::MethodRunner(ControlState& control, FlowChannels& flows)
    : control_(control), flows_(flows), peakTable_(std::make_unique<PeakTable>()) {}

MethodRunner::~MethodRunner() = default;

void MethodRunner::addEntry(const RunnerInput& input, RunEvent event, std::string text,
                            const std::vector<Command>& frames) {
    RunLogEntry entry;
    entry.runS = input.nowS - runStartS_;
    entry.wallS = input.wallS;
    entry.step = event == RunEvent::RunStart || event == RunEvent::RunEnd ? 0 : step_ + 1;
    entry.event = event;
    entry.text = std::move(text);
    for (const Command& frame : frames) entry.frames.push_back(frameHex(frame));
    log_.entries.push_back(entry);
    out_.entries.push_back(std::move(entry));
}

void MethodRunner::send(const Command& frame, std::vector<Command>* sent) {
    if (frame.length == 0) return;
    out_.frames.push_back(frame);
    if (sent != nullptr) sent->push_back(frame);
}

void MethodRunner::writeJournal(const RunnerInput& input) {
    if (journal_ != nullptr) journal_->record(method_, methodPath_, step_, log_.startedWallS, input.wallS);
}

const RunnerOutput& MethodRunner::start(const MethodFile& method, const RunnerInput& input, int32_t firstStep,
                                        RunJournal* journal, const std::string& methodPath) {
    out_.clear();
    method_ = method;
    methodPath_ = methodPath;
    journal_ = journal;
    estimates_ = stepDurationEstimates(method_);
    channels_ = channelsUsed(method_);
    state_ = RunState::Running;
    end_ = RunEnd::None;
    endMessage_.clear();
    step_ = std::clamp(firstStep, 0, static_cast<int32_t>(method_.steps.size()));
    stepStarted_ = false;
    runStartS_ = input.nowS;
    paused_ = false;
    linkLost_ = false;
    silentTicks_ = 0;
    lastCount_ = input.pointCount;
    alarmHandled_ = false;
    recordFirst_.reset();
    pulseRun_.reset();
    results_ = RunResults{};
    log_ = RunLog{};
    log_.methodName = method_.name;
    log_.sampleName = method_.sample.name;
    log_.startedWallS = input.wallS;
    addEntry(input, RunEvent::RunStart,
             "开始运行方法“" + method_.name + "”，样品“" + method_.sample.name + "”，共 " +
                 std::to_string(method_.steps.size()) + " 步" +
                 (step_ > 0 ? "，从第 " + std::to_string(step_ + 1) + " 步继续" : ""));
    if (step_ > 0) restoreGasPathBefore(input, step_);
    writeJournal(input);
    advance(input);
    return out_;
}

void MethodRunner::restoreGasPathBefore(const RunnerInput& input, int32_t firstStep) {
    const PlannedState state = planStates(method_)[static_cast<size_t>(firstStep)];
    std::vector<Command> sent;
    for (int32_t n = 1; n <= kFlowChannelCount; ++n) {
        const ChannelPlan& channel = state.channels[static_cast<size_t>(n - 1)];
        if (channel.gasIndex < 0) continue;
        send(setChannelFlow(flows_, n, std::to_string(static_cast<int32_t>(channel.flowMlMin)), channel.gasIndex).frame,
             &sent);
    }
    for (int32_t k = 0; k < kValveCount; ++k) {
        const int8_t on = state.valves[static_cast<size_t>(k)];
        if (on < 0) continue;
        control_.valves.state[static_cast<size_t>(k)] = on;
        send(ValveFrame(k, on == 1), &sent);
    }
    if (state.recording) recordFirst_ = input.pointCount;
    addEntry(input, RunEvent::Note, "恢复第 " + std::to_string(firstStep + 1) + " 步之前的气体和阀门设定", sent);
}

const RunnerOutput& MethodRunner::tick(const RunnerInput& input) {
    out_.clear();
    if (!active()) return out_;
    if (input.pointCount < lastCount_) lastCount_ = input.pointCount;  // the trace was cleared
    const bool newPoints = input.pointCount > lastCount_;
    silentTicks_ = newPoints ? 0 : silentTicks_ + 1;

    if (input.alarmCode >= 1 && input.alarmCode <= 3) {
        handleAlarm(input);
        lastCount_ = input.pointCount;
        return out_;
    }
    if (!linkLost_ && silentTicks_ > kRunnerSilentTicks) {
        linkLost_ = true;
        linkLostSinceS_ = input.nowS;
        addEntry(input, RunEvent::LinkLost, "与仪器的通信中断，需要仪器的步骤暂停");
        holdStep(input.nowS);
    } else if (linkLost_ && newPoints) {
        linkLost_ = false;
        releaseStep(input.nowS);
        addEntry(input, RunEvent::LinkBack,
                 "通信恢复，中断了 " + number(input.nowS - linkLostSinceS_, "%.1f") + " 秒，步骤继续");
    }
    if (pulseRun_) {
        // The series' own recogniser sees every new point, as the display would at its pace.
        PulseRun& run = *pulseRun_;
        PeakTable* table = peakTable_.get();
        const int32_t from = run.bufferFirst + static_cast<int32_t>(run.buffer.size());
        for (int32_t i = from; run.baselineKnown && i < input.pointCount; ++i) {
            run.buffer.push_back(input.signalMv[i] - run.baselineMv);
            table->clear();
            if (!run.detector.step(run.buffer.data(), static_cast<int32_t>(run.buffer.size()), run.settings, *table,
                                   false)) {
                continue;
            }
            const int32_t first = run.bufferFirst + run.detector.peakStart();
            const int32_t last = run.bufferFirst + run.detector.peakEnd();
            int32_t pulse = -1;
            for (size_t j = 0; j < run.series.pulses.size(); ++j) {
                if (run.series.pulses[j].injectPoint <= first) pulse = static_cast<int32_t>(j);
            }
            if (pulse < 0) continue;  // before the first pulse: not one of the loop's
            RunPulse& p = run.series.pulses[static_cast<size_t>(pulse)];
            p.area += table->records[0].area;
            if (p.peakFirst < 0) p.peakFirst = first;
            p.peakLast = last;
            addEntry(input, RunEvent::Pulse,
                     "第 " + std::to_string(pulse + 1) + " 个脉冲的峰面积 " + number(p.area, "%.0f"));
        }
    }
    lastCount_ = input.pointCount;
    if (!paused_) advance(input);
    return out_;
}

void MethodRunner::handleAlarm(const RunnerInput& input) {
    const int32_t code = input.alarmCode;
    const std::string where = step_ < static_cast<int32_t>(method_.steps.size())
                                  ? "第 " + std::to_string(step_ + 1) + " 步"
                                  : "最后";
    std::string text = alarmText(code) + "！方法“" + method_.name + "”在" + where + "停止：";
    if (code == 3) {
        safeState(input, SafeStateCause::GasLeak);
        text += "可燃气体已关闭，并用" + method_.safety.inertGas + "吹扫。请检查气路！";
    } else {
        safeState(input, SafeStateCause::SensorAlarm);
        text += "炉子已停止加热，各通道已切换为" + method_.safety.inertGas + " " +
                number(method_.safety.safeFlowMlMin) + " ml/min。请检查温度传感器！";
    }
    out_.prompts.push_back({"警告", text, PromptIcon::Warning});
    finish(input, RunEnd::Alarm, text);
}

void MethodRunner::safeState(const RunnerInput& input, SafeStateCause cause) {
    std::vector<Command> sent;
    if (pulseRun_ && pulseRun_->loopIn) {
        // The loop back in its fill position before anything else moves.
        const int32_t valve = pulseRun_->step.loopValve;
        control_.valves.state[static_cast<size_t>(valve)] = 0;
        send(ValveFrame(valve, false), &sent);
        pulseRun_->loopIn = false;
    }
    const SafeState safe = safeStateFor(cause, control_, flows_, method_.safety, channels_, input.programmeDialogOpen);
    for (const Command& frame : safe.frames) send(frame, &sent);
    out_.furnaceForcedStop = out_.furnaceForcedStop || safe.furnaceStopped;
    std::string text = cause == SafeStateCause::GasLeak ? "关闭可燃气体并吹扫" : "进入安全状态";
    if (safe.furnaceStopped) text += "：炉子停止";
    if (!safe.channelsShut.empty()) {
        text += "；关闭通道";
        for (int32_t n : safe.channelsShut) text += " " + std::to_string(n) + "#";
    }
    if (!safe.channelsInert.empty()) {
        text += "；" + method_.safety.inertGas + " " + number(method_.safety.safeFlowMlMin) + " ml/min 通入";
        for (int32_t n : safe.channelsInert) text += " " + std::to_string(n) + "#";
    }
    addEntry(input, cause == SafeStateCause::LeaveRun ? RunEvent::Note : RunEvent::Alarm, text, sent);
}

void MethodRunner::finish(const RunnerInput& input, RunEnd end, const std::string& message) {
    if (pulseRun_ && pulseRun_->loopIn) {
        std::vector<Command> sent;
        const int32_t valve = pulseRun_->step.loopValve;
        control_.valves.state[static_cast<size_t>(valve)] = 0;
        send(ValveFrame(valve, false), &sent);
        pulseRun_->loopIn = false;
        addEntry(input, RunEvent::Note, "定量环切回充气位置", sent);
    }
    state_ = RunState::Finished;
    end_ = end;
    endMessage_ = message;
    endS_ = input.nowS;
    addEntry(input, RunEvent::RunEnd, message);
    out_.ended = true;
    if (journal_ != nullptr) journal_->finish();
}

bool MethodRunner::stepNeedsInstrument() const {
    if (step_ >= static_cast<int32_t>(method_.steps.size())) return true;
    const auto* wait = std::get_if<WaitStep>(&method_.steps[static_cast<size_t>(step_)]);
    return wait == nullptr || wait->until != WaitKind::Time;
}

void MethodRunner::holdStep(double nowS) {
    if (stepStarted_ && clock_.holdSinceS < 0.0 && (paused_ || (linkLost_ && stepNeedsInstrument()))) {
        clock_.holdSinceS = nowS;
    }
}

void MethodRunner::releaseStep(double nowS) {
    if (clock_.holdSinceS >= 0.0 && !paused_ && !(linkLost_ && stepNeedsInstrument())) {
        clock_.heldS += nowS - clock_.holdSinceS;
        clock_.holdSinceS = -1.0;
    }
}

double MethodRunner::stepElapsed(double nowS) const {
    const double holding = clock_.holdSinceS >= 0.0 ? nowS - clock_.holdSinceS : 0.0;
    return std::max(0.0, nowS - clock_.startedS - clock_.heldS - holding);
}

void MethodRunner::startStep(const RunnerInput& input) {
    stepStarted_ = true;
    clock_ = StepClock{input.nowS, 0.0, -1.0};
    stepStartPoint_ = input.pointCount;
    stepStartC_ = input.furnaceC;
    writeJournal(input);
}

void MethodRunner::endStep(const RunnerInput& input, bool skipped) {
    const MethodStep& step = method_.steps[static_cast<size_t>(step_)];
    if (std::holds_alternative<PulsesStep>(step) && pulseRun_) {
        PulseRun& run = *pulseRun_;
        std::vector<Command> sent;
        if (run.loopIn) {
            control_.valves.state[static_cast<size_t>(run.step.loopValve)] = 0;
            send(ValveFrame(run.step.loopValve, false), &sent);
            run.loopIn = false;
        }
        run.series.stretch.last = std::max(run.series.stretch.first, input.pointCount - 1);
        results_.pulses = run.series;
        if (!sent.empty()) addEntry(input, RunEvent::Note, "定量环切回充气位置", sent);
        pulseRun_.reset();
    }
    addEntry(input, skipped ? RunEvent::Skipped : RunEvent::StepEnd,
             stepTitle(step_, step) + (skipped ? "被操作员跳过" : "结束") + "，用时 " +
                 number(stepElapsed(input.nowS), "%.0f") + " 秒");
    ++step_;
    stepStarted_ = false;
}

void MethodRunner::advance(const RunnerInput& input) {
    const auto count = static_cast<int32_t>(method_.steps.size());
    while (state_ == RunState::Running && !paused_) {
        if (step_ >= count) {
            finish(input, RunEnd::Completed, "方法“" + method_.name + "”运行完成");
            return;
        }
        if (linkLost_ && (!stepStarted_ || stepNeedsInstrument())) return;  // frames would be lost
        const MethodStep& step = method_.steps[static_cast<size_t>(step_)];
        bool done = false;
        if (const auto* wait = std::get_if<WaitStep>(&step)) {
            if (!stepStarted_) {
                startStep(input);
                addEntry(input, RunEvent::StepStart, stepTitle(step_, step) + "开始：" + describeStep(step));
            }
            done = runWaitStep(input, *wait);
        } else if (const auto* pulses = std::get_if<PulsesStep>(&step)) {
            if (!stepStarted_) {
                startStep(input);
                addEntry(input, RunEvent::StepStart, stepTitle(step_, step) + "开始：" + describeStep(step));
                pulseRun_ = std::make_unique<PulseRun>();
                pulseRun_->step = *pulses;
                pulseRun_->settings = pulseSettings(*pulses);
                pulseRun_->series.step = step_ + 1;
                pulseRun_->series.loopMl = pulses->loopMl;
                pulseRun_->series.stretch.first = input.pointCount;
                pulseRun_->buffer.reserve(static_cast<size_t>((pulses->maxCount + 2) * pulses->intervalS *
                                                              kPointsPerSecond));
            }
            done = runPulses(input, *pulses);
        } else {
            startStep(input);
            done = runInstantStep(input);
        }
        if (state_ != RunState::Running || !done) return;
        endStep(input);
    }
}

bool MethodRunner::runInstantStep(const RunnerInput& input) {
    const MethodStep& step = method_.steps[static_cast<size_t>(step_)];
    std::vector<Command> sent;
    std::string detail = describeStep(step);
    std::visit(
        [&](const auto& s) {
            using T = std::decay_t<decltype(s)>;
            if constexpr (std::is_same_v<T, GasStep>) {
                const FlowSetResult set =
                    setChannelFlow(flows_, s.channel, std::to_string(static_cast<int64_t>(s.flowMlMin)), gasIndexOf(s.gas));
                send(set.frame, &sent);
                if (set.message) detail += "（超过该气体的最大流量，按 " + std::to_string(set.setpoint) + " ml/min 设定）";
            } else if constexpr (std::is_same_v<T, ValveStep>) {
                int32_t& state = control_.valves.state[static_cast<size_t>(s.valve)];
                // The panel's button when the valve is to change; the same frame again when the
                // program believes it is there already, since nobody reads a valve back.
                if ((state != 0) != s.on) {
                    send(toggleValve(control_.valves, s.valve).frame, &sent);
                } else {
                    send(ValveFrame(s.valve, s.on), &sent);
                }
            } else if constexpr (std::is_same_v<T, FurnaceStep>) {
                FurnaceProgram& program = control_.programme;
                ProgrammeEditor editor(program);
                editor.open();
                const StartMoment moment{input.wallS, input.furnaceC, input.pointCount};
                if (program.running != 0) {
                    editor.pressStartStop(moment);  // asks; the run answers OK
                    for (const Command& frame : editor.answerStop(true).frames) send(frame, &sent);
                } else if (s.stop) {
                    detail += "（程序升温没有在运行，不发送）";
                }
                if (s.stop) {
                    editor.exit();
                    return;
                }
                bool leftOver = false;
                for (int32_t k = static_cast<int32_t>(s.segments.size()); k < kProgrammeSegments; ++k) {
                    leftOver = leftOver || program.defined[k] != 0;
                }
                if (leftOver) {
                    // Segments entered earlier and never started would run after ours: discarded
                    // with the frame the dialog sends when its unstarted programme is dropped.
                    program.clearTable();
                    send(ProgramStopFrame(), &sent);
                    editor.open();
                }
                for (size_t k = 0; k < s.segments.size(); ++k) {
                    const FurnaceSegment& segment = s.segments[k];
                    editor.selectSegment(static_cast<int32_t>(k));
                    editor.editField(0, std::to_string(static_cast<int32_t>(segment.targetC)));
                    editor.editField(1, std::to_string(static_cast<int32_t>(segment.rateCPerMin)));
                    editor.editField(2, std::to_string(static_cast<int32_t>(segment.holdMin)));
                    for (const Command& frame : editor.addSegment().frames) send(frame, &sent);
                }
                for (const Command& frame : editor.pressStartStop(moment).frames) send(frame, &sent);
                editor.exit();
                results_.programmeTopC = 0.0;
                for (const FurnaceSegment& segment : s.segments) {
                    results_.programmeTopC = std::max(results_.programmeTopC, segment.targetC);
                }
                results_.programmeRateCPerMin = s.segments.empty() ? 0.0 : s.segments.front().rateCPerMin;
            } else if constexpr (std::is_same_v<T, RecordStep>) {
                if (s.start) {
                    send(MeasureOn(), &sent);
                    RunRequest request;
                    request.step = step_ + 1;
                    request.entriesBefore = out_.entries.size() + 1;
                    out_.requests.push_back(request);
                    recordFirst_ = input.pointCount;
                } else if (recordFirst_) {
                    results_.recorded = RunStretch{*recordFirst_, std::max(*recordFirst_, input.pointCount - 1)};
                    detail += "（第 " + std::to_string(results_.recorded->first) + "–" +
                              std::to_string(results_.recorded->last) + " 点）";
                    recordFirst_.reset();
                }
            } else if constexpr (std::is_same_v<T, MarkStep>) {
                const RunMark mark{std::max(0, input.pointCount - 1), s.name};
                out_.marks.push_back(mark);
                results_.marks.push_back(mark);
            } else if constexpr (std::is_same_v<T, EvaluateStep>) {
                RunRequest request;
                request.kind = RunRequestKind::Evaluate;
                request.step = step_ + 1;
                request.entriesBefore = out_.entries.size() + 1;
                request.report = s.report;
                out_.requests.push_back(request);
            } else if constexpr (std::is_same_v<T, SaveStep>) {
                RunRequest request;
                request.kind = RunRequestKind::Save;
                request.step = step_ + 1;
                request.entriesBefore = out_.entries.size() + 1;
                request.save = s;
                out_.requests.push_back(request);
            }
        },
        step);
    addEntry(input, RunEvent::StepStart, stepTitle(step_, step) + "：" + detail, sent);
    return true;
}

bool MethodRunner::runWaitStep(const RunnerInput& input, const WaitStep& wait) {
    const double elapsed = stepElapsed(input.nowS);
    bool reached = false;
    switch (wait.until) {
    case WaitKind::Time:
        reached = elapsed >= wait.minutes * 60.0;
        break;
    case WaitKind::Temperature:
        reached = std::abs(input.furnaceC - wait.targetC) <= wait.toleranceC;
        break;
    case WaitKind::Cooled:
        reached = input.furnaceC < wait.belowC;
        break;
    case WaitKind::Stable: {
        const auto window = static_cast<int32_t>(wait.minutes * kPointsPerMinute);
        if (window >= 2 && input.pointCount - stepStartPoint_ >= window && input.signalMv != nullptr) {
            const double drift = slopePerPoint(input.signalMv, input.pointCount, window) * kPointsPerMinute;
            reached = std::abs(drift) <= wait.driftMvPerMin;
        }
        break;
    }
    }
    if (reached) return true;
    if (wait.timeoutMin && elapsed >= *wait.timeoutMin * 60.0) {
        const std::string message = stepTitle(step_, method_.steps[static_cast<size_t>(step_)]) + "等待超过 " +
                                    number(*wait.timeoutMin) + " 分钟仍未达到，运行中止";
        safeState(input, SafeStateCause::LeaveRun);
        out_.prompts.push_back({"警告", message, PromptIcon::Warning});
        finish(input, RunEnd::Aborted, message);
    }
    return false;
}

bool MethodRunner::runPulses(const RunnerInput& input, const PulsesStep& pulses) {
    PulseRun& run = *pulseRun_;
    const double elapsed = stepElapsed(input.nowS);
    const int32_t valve = pulses.loopValve;
    int32_t& valveState = control_.valves.state[static_cast<size_t>(valve)];

    if (run.loopIn && elapsed >= run.loopInSinceS + pulses.injectS) {
        std::vector<Command> sent;
        send(valveState != 0 ? toggleValve(control_.valves, valve).frame : ValveFrame(valve, false), &sent);
        run.loopIn = false;
        addEntry(input, RunEvent::Note, "定量环切回充气位置", sent);
    }
    std::vector<double> areas;
    areas.reserve(run.series.pulses.size());
    for (const RunPulse& p : run.series.pulses) areas.push_back(p.area);
    if (areasAgree(areas, pulses.agreeCount, pulses.agreePercent)) {
        run.series.saturated = true;
        addEntry(input, RunEvent::Note,
                 "样品已饱和：最后 " + std::to_string(pulses.agreeCount) + " 个峰面积相差 " +
                     number(areaSpreadPercent(areas, pulses.agreeCount), "%.2f") + "%");
        return true;
    }
    if (run.injected >= pulses.maxCount) {
        if (elapsed < run.lastInjectionS + pulses.intervalS) return false;
        addEntry(input, RunEvent::Note, "已注入最多的 " + std::to_string(pulses.maxCount) + " 个脉冲，未达到饱和");
        return true;
    }
    if (elapsed >= kPulseLeadS + run.injected * pulses.intervalS && !run.loopIn) {
        if (!run.baselineKnown) {
            const int32_t first = std::min(run.series.stretch.first, std::max(0, input.pointCount - 1));
            double sum = 0.0;
            for (int32_t i = first; i < input.pointCount; ++i) sum += input.signalMv[i];
            run.baselineMv = input.pointCount > first ? static_cast<float>(sum / (input.pointCount - first)) : 0.0f;
            run.baselineKnown = true;
            run.bufferFirst = input.pointCount;
        }
        std::vector<Command> sent;
        send(valveState == 0 ? toggleValve(control_.valves, valve).frame : ValveFrame(valve, true), &sent);
        run.loopIn = true;
        run.loopInSinceS = elapsed;
        run.lastInjectionS = elapsed;
        ++run.injected;
        run.series.pulses.push_back({std::max(0, input.pointCount - 1), 0.0, -1, -1});
        addEntry(input, RunEvent::Pulse, "注入第 " + std::to_string(run.injected) + " 个脉冲", sent);
    }
    return false;
}

const RunnerOutput& MethodRunner::pause(const RunnerInput& input) {
    out_.clear();
    if (state_ != RunState::Running) return out_;
    paused_ = true;
    state_ = RunState::Paused;
    holdStep(input.nowS);
    addEntry(input, RunEvent::Paused, "操作员暂停运行");
    return out_;
}

const RunnerOutput& MethodRunner::resume(const RunnerInput& input) {
    out_.clear();
    if (state_ != RunState::Paused) return out_;
    paused_ = false;
    state_ = RunState::Running;
    releaseStep(input.nowS);
    addEntry(input, RunEvent::Resumed, "操作员继续运行");
    advance(input);
    return out_;
}

const RunnerOutput& MethodRunner::skipStep(const RunnerInput& input) {
    out_.clear();
    if (!active() || step_ >= static_cast<int32_t>(method_.steps.size())) return out_;
    if (!stepStarted_) startStep(input);
    endStep(input, true);
    if (state_ == RunState::Running) advance(input);
    return out_;
}

const RunnerOutput& MethodRunner::abort(const RunnerInput& input, const std::string& reason) {
    out_.clear();
    if (!active()) return out_;
    safeState(input, SafeStateCause::LeaveRun);
    finish(input, RunEnd::Aborted, reason);
    return out_;
}

void MethodRunner::noteOutcome(const RunnerInput& input, int32_t step, const std::string& text) {
    RunLogEntry entry;
    entry.runS = input.nowS - runStartS_;
    entry.wallS = input.wallS;
    entry.step = step;
    entry.event = RunEvent::Note;
    entry.text = text;
    log_.entries.push_back(std::move(entry));
}

RunProgress MethodRunner::progress(double nowS) const {
    RunProgress p;
    p.state = state_;
    p.end = end_;
    p.endMessage = endMessage_;
    p.linkLost = linkLost_;
    p.stepCount = static_cast<int32_t>(method_.steps.size());
    if (state_ == RunState::Idle) return p;
    const double now = state_ == RunState::Finished ? endS_ : nowS;
    p.runElapsedS = now - runStartS_;
    if (state_ == RunState::Finished || step_ >= p.stepCount) {
        p.step = std::min(step_, p.stepCount - 1);
        p.stepFraction = 1.0;
        return p;
    }
    p.step = step_;
    const MethodStep& step = method_.steps[static_cast<size_t>(step_)];
    p.stepText = stepTitle(step_, step) + "：" + describeStep(step);
    p.stepElapsedS = stepStarted_ ? stepElapsed(now) : 0.0;
    const double estimate = estimates_[static_cast<size_t>(step_)];
    if (const auto* wait = std::get_if<WaitStep>(&step)) {
        if (wait->until == WaitKind::Time || wait->until == WaitKind::Stable) {
            p.stepRemainingS = std::max(0.0, wait->minutes * 60.0 - p.stepElapsedS);
            p.stepFraction = std::min(1.0, p.stepElapsedS / std::max(1.0, wait->minutes * 60.0));
        } else if (estimate > 0.0) {
            p.stepRemainingS = std::max(0.0, estimate - p.stepElapsedS);
            p.stepFraction = std::min(1.0, p.stepElapsedS / estimate);
        }
    } else if (const auto* pulses = std::get_if<PulsesStep>(&step)) {
        p.pulsesInjected = pulseRun_ ? pulseRun_->injected : 0;
        p.stepRemainingS = std::max(0.0, estimate - p.stepElapsedS);
        p.stepFraction = static_cast<double>(p.pulsesInjected) / std::max(1, pulses->maxCount);
    }
    p.runRemainingS = std::max(0.0, p.stepRemainingS);
    for (size_t i = static_cast<size_t>(step_) + 1; i < estimates_.size(); ++i) p.runRemainingS += estimates_[i];
    return p;
}

}  // namespace vespian
