#include "method/method_plan.h"

#include <algorithm>
#include <cmath>

#include "method/method_validation.h"

namespace vespian {

namespace {

constexpr int32_t kTreatment1 = static_cast<int32_t>(ValveRole::TreatmentGas1);
constexpr int32_t kTreatment2 = static_cast<int32_t>(ValveRole::TreatmentGas2);
constexpr int32_t kLoopFill = static_cast<int32_t>(ValveRole::PulseGas);
constexpr int32_t kBypass = static_cast<int32_t>(ValveRole::Bypass);

void apply(const MethodStep& step, PlannedState& state) {
    std::visit(
        [&](const auto& s) {
            using T = std::decay_t<decltype(s)>;
            if constexpr (std::is_same_v<T, GasStep>) {
                if (s.channel < 1 || s.channel > kFlowChannelCount) return;
                ChannelPlan& channel = state.channels[static_cast<size_t>(s.channel - 1)];
                channel.gasIndex = gasIndexOf(s.gas);
                const int32_t gas = channel.gasIndex;
                // The analyser gets at most the gas's largest flow.
                channel.flowMlMin = gas >= 0 ? std::min(s.flowMlMin, static_cast<double>(kGasTable[gas].maxFlow))
                                             : s.flowMlMin;
            } else if constexpr (std::is_same_v<T, ValveStep>) {
                if (s.valve >= 0 && s.valve < kValveCount) state.valves[static_cast<size_t>(s.valve)] = s.on ? 1 : 0;
            } else if constexpr (std::is_same_v<T, FurnaceStep>) {
                if (s.stop) {
                    state.programmeRunning = false;
                    return;
                }
                state.programmeRunning = true;
                state.programmeTopC = state.furnaceC;
                state.programmeRateCPerMin = s.segments.empty() ? 0.0 : s.segments.front().rateCPerMin;
                for (const FurnaceSegment& segment : s.segments) {
                    state.programmeTopC = std::max(state.programmeTopC, segment.targetC);
                }
            } else if constexpr (std::is_same_v<T, WaitStep>) {
                if (s.until == WaitKind::Temperature) state.furnaceC = s.targetC;
                // Meanwhile a running programme heats on towards its top.
                if (s.until == WaitKind::Time && state.programmeRunning && state.furnaceC < state.programmeTopC) {
                    state.furnaceC =
                        std::min(state.programmeTopC, state.furnaceC + state.programmeRateCPerMin * s.minutes);
                }
                if (s.until == WaitKind::Cooled) state.furnaceC = std::min(state.furnaceC, s.belowC);
            } else if constexpr (std::is_same_v<T, RecordStep>) {
                state.recording = s.start;
            }
        },
        step);
}

}  // namespace

std::vector<PlannedState> planStates(const MethodFile& method) {
    std::vector<PlannedState> states;
    states.reserve(method.steps.size() + 1);
    PlannedState state;
    for (const MethodStep& step : method.steps) {
        states.push_back(state);
        apply(step, state);
    }
    states.push_back(state);
    return states;
}

bool valveOn(const PlannedState& state, int32_t valve) {
    return valve >= 0 && valve < kValveCount && state.valves[static_cast<size_t>(valve)] == 1;
}

bool treatmentOverSample(const PlannedState& state) {
    return (valveOn(state, kTreatment1) || valveOn(state, kTreatment2)) && !valveOn(state, kLoopFill) &&
           !valveOn(state, kBypass);
}

double flowOverSample(const PlannedState& state) {
    if (valveOn(state, kBypass)) return 0.0;
    double flow = state.channels[0].gasIndex >= 0 ? state.channels[0].flowMlMin : 0.0;
    if (treatmentOverSample(state) && state.channels[1].gasIndex >= 0) flow += state.channels[1].flowMlMin;
    return flow;
}

double gasFlowOverSample(const PlannedState& state, int32_t gasIndex) {
    if (valveOn(state, kBypass) || gasIndex < 0) return 0.0;
    double flow = state.channels[0].gasIndex == gasIndex ? state.channels[0].flowMlMin : 0.0;
    if (treatmentOverSample(state) && state.channels[1].gasIndex == gasIndex) flow += state.channels[1].flowMlMin;
    return flow;
}

std::vector<double> stepDurationEstimates(const MethodFile& method) {
    // An unheated furnace cools by Newton's law with this time constant (s).
    constexpr double kCoolingS = 900.0;
    constexpr double kLongestCoolingS = 4.0 * 3600.0;
    const std::vector<PlannedState> states = planStates(method);
    std::vector<double> seconds(method.steps.size(), 0.0);
    for (size_t i = 0; i < method.steps.size(); ++i) {
        const PlannedState& state = states[i];
        if (const auto* wait = std::get_if<WaitStep>(&method.steps[i])) {
            switch (wait->until) {
            case WaitKind::Time:
            case WaitKind::Stable:
                seconds[i] = wait->minutes * 60.0;
                break;
            case WaitKind::Temperature:
                if (state.programmeRateCPerMin > 0.0) {
                    seconds[i] = std::max(0.0, std::abs(wait->targetC - state.furnaceC) - wait->toleranceC) /
                                 state.programmeRateCPerMin * 60.0;
                }
                break;
            case WaitKind::Cooled:
                if (state.furnaceC > wait->belowC) {
                    seconds[i] = wait->belowC <= kRoomTemperatureC
                                     ? kLongestCoolingS
                                     : std::min(kLongestCoolingS,
                                                kCoolingS * std::log((state.furnaceC - kRoomTemperatureC) /
                                                                     (wait->belowC - kRoomTemperatureC)));
                }
                break;
            }
            if (wait->timeoutMin) seconds[i] = std::min(seconds[i], *wait->timeoutMin * 60.0);
        } else if (const auto* pulses = std::get_if<PulsesStep>(&method.steps[i])) {
            seconds[i] = pulses->maxCount * pulses->intervalS;
        }
    }
    return seconds;
}

std::vector<int32_t> channelsUsed(const MethodFile& method) {
    std::vector<int32_t> used;
    for (const MethodStep& step : method.steps) {
        const auto* gas = std::get_if<GasStep>(&step);
        if (gas == nullptr || gas->channel < 1 || gas->channel > kFlowChannelCount) continue;
        if (std::find(used.begin(), used.end(), gas->channel) == used.end()) used.push_back(gas->channel);
    }
    std::sort(used.begin(), used.end());
    return used;
}

}  // namespace vespian
