#pragma once
// The runner of a test method: a state machine driven by the display tick. Each tick it is told
// the run clock, the trace as far as it has been taken over and the instrument's readings; it
// answers with the frames to send, the marks to draw, the messages to show, the log entries it
// wrote and the evaluations and saves to carry out now. The frames are built by the control
// dialogs' own rules on the program's own control state (flow channels, valves, furnace
// programme), so a run sends exactly what an operator at the dialogs would send, and the
// dialogs afterwards show what the run set.
//
// Steps that only send (gas, valve, furnace, record, mark, evaluate, save) are done at once,
// several in one tick; waits and pulse series last over many ticks. The operator may pause,
// resume, skip the current step or abort. A sensor alarm stops the furnace and puts every
// channel on the inert gas, a combustible-gas alarm shuts the flammable gases off and purges;
// either ends the run. A link silent for more than 21 ticks (the watchdog's 2.1 s) holds the
// steps that need the instrument until the points come again, and the log says how long.
//
// The run clock is the instrument's time in seconds: the wall clock for a real analyser, the
// simulator's clock when it runs faster.

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "control/control_state.h"
#include "control/gas_table.h"
#include "link/command_set.h"
#include "method/method_file.h"
#include "method/run_log.h"
#include "method/safe_state.h"
#include "platform/prompts.h"
#include "trace/init_data.h"
#include "trace/peak_detector.h"
#include "trace/peak_table.h"

namespace vespian {

class RunJournal;

// Ticks without a new point after which the link counts as lost (the watchdog's limit).
inline constexpr int32_t kRunnerSilentTicks = 20;

struct RunnerInput {
    double nowS = 0.0;                   // run clock, s; never runs backwards
    const float* signalMv = nullptr;     // the trace, taken over up to pointCount
    const float* temperatureC = nullptr;
    int32_t pointCount = 0;
    float furnaceC = 0.0f;               // the latest temperature reading
    int32_t alarmCode = 0;
    bool programmeDialogOpen = false;    // the forced stop then clears the dialog's marks
    int64_t wallS = 0;                   // seconds since the epoch, for the log
    int32_t secondOfDay = 0;             // local time of day, for the programme preview
};

enum class RunState { Idle, Running, Paused, Finished };
enum class RunEnd { None, Completed, Aborted, Alarm };

// A recorded stretch of the trace: points first .. last.
struct RunStretch {
    int32_t first = 0;
    int32_t last = 0;
};

struct RunPulse {
    int32_t injectPoint = 0;  // the trace point when the loop was switched in
    double area = 0.0;        // recogniser's area (µV blocks); 0 when no peak came
    int32_t peakFirst = -1;   // the recognised peak's stretch in the trace
    int32_t peakLast = -1;
};

struct RunPulseSeries {
    int32_t step = 0;  // 1-based
    double loopMl = 0.0;
    RunStretch stretch;  // from the first injection to the end of the step
    std::vector<RunPulse> pulses;
    bool saturated = false;
};

struct RunMark {
    int32_t point = 0;
    std::string name;
};

// What the run has produced for its evaluations and saves.
struct RunResults {
    std::optional<RunStretch> recorded;  // the last recording started and stopped
    std::optional<RunPulseSeries> pulses;  // the last pulse series
    std::vector<RunMark> marks;
    double programmeTopC = 0.0;          // the last programme started: its highest target
    double programmeRateCPerMin = 0.0;   // and its first segment's rate
};

enum class RunRequestKind { ZeroSignal, Evaluate, Save };

// Carried out by the window (or the console recorder) when it is handed over, in order.
struct RunRequest {
    RunRequestKind kind = RunRequestKind::ZeroSignal;
    int32_t step = 0;  // 1-based
    EvaluatedKind report = EvaluatedKind::Tpd;  // Evaluate
    SaveStep save;                        // Save
    size_t entriesBefore = 0;  // how many of the call's log entries precede it
};

struct RunnerOutput {
    std::vector<Command> frames;        // to send, in order, before the requests
    std::vector<RunMark> marks;         // new marks on the trace
    std::vector<RunRequest> requests;
    std::vector<PromptMessage> prompts;  // to show; the run does not wait for them
    std::vector<RunLogEntry> entries;    // added to the log in this call
    bool furnaceForcedStop = false;      // the programme dialog, if open, shows its stopped state
    bool ended = false;                  // the run ended in this call

    void clear();
};

struct RunProgress {
    RunState state = RunState::Idle;
    RunEnd end = RunEnd::None;
    std::string endMessage;
    bool linkLost = false;
    int32_t step = -1;  // 0-based current step
    int32_t stepCount = 0;
    std::string stepText;         // "第3步（等待）：等待炉温到 800±5 ℃"
    double stepElapsedS = 0.0;
    double stepRemainingS = -1.0;  // -1 when not known
    double stepFraction = 0.0;     // 0 .. 1
    double runElapsedS = 0.0;
    double runRemainingS = 0.0;    // estimated
    int32_t pulsesInjected = 0;
};

// One line that describes a step for the operator: "1#通道 氩气 30 ml/min".
std::string describeStep(const MethodStep& step);
// "第3步（气体）".
std::string stepTitle(int32_t index, const MethodStep& step);

class MethodRunner {
public:
    MethodRunner(ControlState& control, FlowChannels& flows);
    ~MethodRunner();
    MethodRunner(const MethodRunner&) = delete;
    MethodRunner& operator=(const MethodRunner&) = delete;

    // Starts a method that passed validation, from `firstStep` (0-based; a run taken up again
    // after a crash first sets the gases and valves the earlier steps left). The journal, when
    // given, is written at every change of step and removed when the run ends in order.
    const RunnerOutput& start(const MethodFile& method, const RunnerInput& input, int32_t firstStep = 0,
                              RunJournal* journal = nullptr, const std::string& methodPath = {});
    // One display tick.
    const RunnerOutput& tick(const RunnerInput& input);

    // The operator's buttons; each answers what to carry out.
    const RunnerOutput& pause(const RunnerInput& input);
    const RunnerOutput& resume(const RunnerInput& input);
    const RunnerOutput& skipStep(const RunnerInput& input);
    // Ends the run and leaves the analyser safe: the furnace stopped, every channel on the inert
    // gas. Also what the window does when the operator leaves the program during a run.
    const RunnerOutput& abort(const RunnerInput& input, const std::string& reason = "操作员中止运行");

    // An evaluation or save of a step (1-based) was carried out: its result goes into the log.
    void noteOutcome(const RunnerInput& input, int32_t step, const std::string& text);

    RunState state() const { return state_; }
    bool active() const { return state_ == RunState::Running || state_ == RunState::Paused; }
    RunProgress progress(double nowS) const;
    const RunLog& log() const { return log_; }
    const RunResults& results() const { return results_; }
    const MethodFile& method() const { return method_; }
    // The peak settings pulses are recognised with (the recogniser's default thresholds made
    // to suit the loop's pulses).
    static PeakSettings pulseSettings(const PulsesStep& step);

private:
    struct StepClock {
        double startedS = 0.0;
        double heldS = 0.0;        // paused or waiting for the link
        double holdSinceS = -1.0;  // holding now since
    };
    struct PulseRun;

    void begin(const RunnerInput& input);
    void advance(const RunnerInput& input);
    bool runInstantStep(const RunnerInput& input);
    bool runWaitStep(const RunnerInput& input, const WaitStep& wait);
    bool runPulses(const RunnerInput& input, const PulsesStep& pulses);
    void startStep(const RunnerInput& input);
    void endStep(const RunnerInput& input, bool skipped = false);
    void finish(const RunnerInput& input, RunEnd end, const std::string& message);
    void handleAlarm(const RunnerInput& input);
    void safeState(const RunnerInput& input, SafeStateCause cause);
    void holdStep(double nowS);
    void releaseStep(double nowS);
    bool stepNeedsInstrument() const;
    double stepElapsed(double nowS) const;
    void addEntry(const RunnerInput& input, RunEvent event, std::string text, const std::vector<Command>& frames = {});
    void send(const Command& frame, std::vector<Command>* sent);
    void writeJournal(const RunnerInput& input);
    void restoreGasPathBefore(const RunnerInput& input, int32_t firstStep);

    ControlState& control_;
    FlowChannels& flows_;
    MethodFile method_;
    std::string methodPath_;
    RunJournal* journal_ = nullptr;
    std::vector<double> estimates_;
    std::vector<int32_t> channels_;

    RunState state_ = RunState::Idle;
    RunEnd end_ = RunEnd::None;
    std::string endMessage_;
    int32_t step_ = 0;
    bool stepStarted_ = false;
    StepClock clock_;
    double runStartS_ = 0.0;
    double endS_ = 0.0;
    bool paused_ = false;
    bool linkLost_ = false;
    double linkLostSinceS_ = 0.0;
    int32_t silentTicks_ = 0;
    int32_t lastCount_ = 0;
    int32_t stepStartPoint_ = 0;
    float stepStartC_ = 0.0f;
    bool alarmHandled_ = false;

    std::optional<int32_t> recordFirst_;
    std::unique_ptr<PulseRun> pulseRun_;
    std::unique_ptr<PeakTable> peakTable_;  // the recogniser's record; emptied after every pulse

    RunLog log_;
    RunResults results_;
    RunnerOutput out_;
};

}  // namespace vespian
