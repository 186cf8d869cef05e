#include "sim/step_alarm.h"

#include <charconv>

#include "sim/simulated_analyser.h"

namespace vespian::sim {

namespace {

bool wholeNumber(std::string_view text, int32_t* value) {
    if (text.empty()) return false;
    const auto [rest, failure] = std::from_chars(text.data(), text.data() + text.size(), *value);
    return failure == std::errc() && rest == text.data() + text.size();
}

}  // namespace

std::optional<StepAlarm> parseStepAlarm(std::string_view text, std::string* error) {
    const size_t colon = text.find(':');
    StepAlarm alarm;
    if (colon == std::string_view::npos || !wholeNumber(text.substr(0, colon), &alarm.step) ||
        !wholeNumber(text.substr(colon + 1), &alarm.code)) {
        *error = "“" + std::string(text) + "”应写成 步骤:报警代码，例如 3:1";
        return std::nullopt;
    }
    if (alarm.step < 1) {
        *error = "报警的步骤 " + std::to_string(alarm.step) + " 必须从 1 开始";
        return std::nullopt;
    }
    if (alarm.code < kStepAlarmLowestCode || alarm.code > kStepAlarmHighestCode) {
        *error = "报警代码 " + std::to_string(alarm.code) + " 必须是 1、2 或 3";
        return std::nullopt;
    }
    return alarm;
}

std::string stepAlarmText(const StepAlarm& alarm) {
    return "第" + std::to_string(alarm.step) + "步开始时报警" + std::to_string(alarm.code);
}

std::optional<int32_t> StepAlarmTrigger::stepStarted(int32_t step) {
    if (!armed_ || armed_->step != step) return std::nullopt;
    const int32_t code = armed_->code;
    armed_.reset();
    return code;
}

bool raiseAtStep(StepAlarmTrigger& trigger, SimulatedAnalyser& analyser, int32_t step) {
    const std::optional<int32_t> code = trigger.stepStarted(step);
    if (code) analyser.setAlarm(*code);
    return code.has_value();
}

}  // namespace vespian::sim
