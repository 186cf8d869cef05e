#pragma once
// An alarm the simulated analyser raises when a method run enters a chosen step, to try an
// unattended run's answer to a sensor fault or a gas leak at the moment that matters (mid-ramp,
// during the pulses). It is armed once and fires once: the first time the step starts.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace vespian::sim {

class SimulatedAnalyser;

inline constexpr std::string_view kStepAlarmMenuLabel = "在方法的某一步报警…";

struct StepAlarm {
    int32_t step = 0;  // 1-based, as the run's lines number the steps
    int32_t code = 0;  // 1, 2 or 3
};

inline constexpr int32_t kStepAlarmLowestCode = 1;
inline constexpr int32_t kStepAlarmHighestCode = 3;

// "3:1" → step 3, alarm code 1. Nothing, with a message for the operator, when the text is not
// STEP:CODE, the step is below 1 or the code is not an alarm code.
std::optional<StepAlarm> parseStepAlarm(std::string_view text, std::string* error);

// "第3步开始时报警1" for the menu and the console.
std::string stepAlarmText(const StepAlarm& alarm);

class StepAlarmTrigger {
public:
    void arm(const StepAlarm& alarm) { armed_ = alarm; }
    void disarm() { armed_.reset(); }
    const std::optional<StepAlarm>& armed() const { return armed_; }

    // A step (1-based) of the run starts: the code to raise now when it is the armed step; the
    // trigger is spent then.
    std::optional<int32_t> stepStarted(int32_t step);

private:
    std::optional<StepAlarm> armed_;
};

// A step of the run starts: the armed alarm, if it is this step's, is raised on the analyser and
// stays until "解除报警". True when it was raised.
bool raiseAtStep(StepAlarmTrigger& trigger, SimulatedAnalyser& analyser, int32_t step);

}  // namespace vespian::sim
