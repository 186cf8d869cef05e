#include "method/method_step_fields.h"

#include <charconv>
#include <cmath>
#include <cstdio>

namespace vespian {

namespace {

// A field of a step, by reference; none when the step lacks it.
struct FieldRef {
    double* number = nullptr;
    int32_t* whole = nullptr;
    std::optional<double>* optional = nullptr;
    bool found() const { return number != nullptr || whole != nullptr || optional != nullptr; }
};

FieldRef fieldOf(MethodStep& step, std::string_view key) {
    FieldRef f;
    std::visit(
        [&](auto& s) {
            using T = std::decay_t<decltype(s)>;
            if constexpr (std::is_same_v<T, GasStep>) {
                if (key == "channel") f.whole = &s.channel;
                if (key == "flow") f.number = &s.flowMlMin;
            } else if constexpr (std::is_same_v<T, ValveStep>) {
                if (key == "valve") f.whole = &s.valve;
            } else if constexpr (std::is_same_v<T, WaitStep>) {
                if (key == "minutes") f.number = &s.minutes;
                if (key == "target_c") f.number = &s.targetC;
                if (key == "tolerance_c") f.number = &s.toleranceC;
                if (key == "below_c") f.number = &s.belowC;
                if (key == "drift_mv_per_min") f.number = &s.driftMvPerMin;
                if (key == "timeout_min") f.optional = &s.timeoutMin;
            } else if constexpr (std::is_same_v<T, PulsesStep>) {
                if (key == "interval_s") f.number = &s.intervalS;
                if (key == "agree_count") f.whole = &s.agreeCount;
                if (key == "agree_percent") f.number = &s.agreePercent;
                if (key == "max_count") f.whole = &s.maxCount;
                if (key == "loop_ml") f.number = &s.loopMl;
                if (key == "loop_valve") f.whole = &s.loopValve;
                if (key == "inject_s") f.number = &s.injectS;
                if (key == "min_height_mv") f.number = &s.minHeightMv;
                if (key == "expected_uptake_ml") f.optional = &s.expectedUptakeMl;
            }
        },
        step);
    return f;
}

}  // namespace

std::optional<double> stepNumber(const MethodStep& step, std::string_view key) {
    const FieldRef f = fieldOf(const_cast<MethodStep&>(step), key);
    if (f.number != nullptr) return *f.number;
    if (f.whole != nullptr) return static_cast<double>(*f.whole);
    if (f.optional != nullptr) return *f.optional;
    return std::nullopt;
}

bool setStepNumber(MethodStep& step, std::string_view key, std::optional<double> value) {
    const FieldRef f = fieldOf(step, key);
    if (f.optional != nullptr) {
        *f.optional = value;
        return true;
    }
    if (!value) return false;
    if (f.number != nullptr) {
        *f.number = *value;
        return true;
    }
    if (f.whole != nullptr) {
        // A fraction is kept out of a whole field rather than cut: the validation says why.
        if (*value != std::trunc(*value) || std::fabs(*value) > 1e9) return false;
        *f.whole = static_cast<int32_t>(*value);
        return true;
    }
    return false;
}

bool optionalStepNumber(const MethodStep& step, std::string_view key) {
    return fieldOf(const_cast<MethodStep&>(step), key).optional != nullptr;
}

double segmentNumber(const FurnaceSegment& segment, std::string_view key) {
    if (key == "target_c") return segment.targetC;
    if (key == "rate_c_per_min") return segment.rateCPerMin;
    return segment.holdMin;
}

void setSegmentNumber(FurnaceSegment& segment, std::string_view key, double value) {
    if (key == "target_c") {
        segment.targetC = value;
    } else if (key == "rate_c_per_min") {
        segment.rateCPerMin = value;
    } else {
        segment.holdMin = value;
    }
}

std::optional<double> parseFieldNumber(std::string_view text) {
    while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
    if (!text.empty() && text.front() == '+') text.remove_prefix(1);
    if (text.empty()) return std::nullopt;
    double value = 0.0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || !std::isfinite(value)) return std::nullopt;
    return value;
}

std::string fieldNumberText(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.10g", value);
    return text;
}

std::vector<MethodIssue> issuesOfField(const std::vector<MethodIssue>& issues, int32_t step, std::string_view field) {
    std::vector<MethodIssue> found;
    for (const MethodIssue& issue : issues) {
        if (issue.step == step && issue.field == field) found.push_back(issue);
    }
    return found;
}

std::vector<MethodIssue> issuesOfStep(const std::vector<MethodIssue>& issues, int32_t step) {
    std::vector<MethodIssue> found;
    for (const MethodIssue& issue : issues) {
        if (issue.step == step || issue.step == 0) found.push_back(issue);
    }
    return found;
}

const std::vector<std::string_view>& stepKindKeys() {
    static const std::vector<std::string_view> keys = {"gas",  "valve", "furnace",  "wait", "pulses",
                                                       "record", "mark", "evaluate", "save", "export"};
    return keys;
}

namespace {
constexpr FurnaceSegment kNewSegment{300.0, 10.0, 30.0};
}  // namespace

void fillWaitDefaults(WaitStep& wait) {
    switch (wait.until) {
    case WaitKind::Time:
        if (wait.minutes < 0.1) wait.minutes = 10;
        break;
    case WaitKind::Temperature:
        if (wait.targetC == 0) wait.targetC = 300;
        if (wait.toleranceC < 0.5) wait.toleranceC = 5;
        break;
    case WaitKind::Cooled:
        if (wait.belowC == 0) wait.belowC = 50;
        break;
    case WaitKind::Stable:
        if (wait.driftMvPerMin == 0) wait.driftMvPerMin = 0.05;
        if (wait.minutes < 0.5 || wait.minutes > 120) wait.minutes = 5;
        break;
    }
}

void setFurnaceStop(FurnaceStep& furnace, bool stop) {
    furnace.stop = stop;
    if (!stop && furnace.segments.empty()) furnace.segments.push_back(kNewSegment);
}

std::string issuesText(std::string_view heading, const std::vector<MethodIssue>& issues) {
    std::string text(heading);
    for (const MethodIssue& issue : issues) text += (text.empty() ? "" : "\n") + issue.message;
    return text;
}

std::optional<MethodStep> newStep(std::string_view kindKey) {
    if (kindKey == "gas") return GasStep{1, "氩气", 30.0};
    if (kindKey == "valve") return ValveStep{0, false};
    if (kindKey == "furnace") return FurnaceStep{false, {kNewSegment}};
    if (kindKey == "wait") {
        WaitStep wait;
        wait.until = WaitKind::Time;
        wait.minutes = 10.0;
        return wait;
    }
    if (kindKey == "pulses") return PulsesStep{};
    if (kindKey == "record") return RecordStep{true};
    if (kindKey == "mark") return MarkStep{"标记"};
    if (kindKey == "evaluate") return EvaluateStep{EvaluatedKind::Tpd};
    if (kindKey == "save") return SaveStep{false, defaultSaveItems(false)};
    if (kindKey == "export") return SaveStep{true, defaultSaveItems(true)};
    return std::nullopt;
}

}  // namespace vespian
