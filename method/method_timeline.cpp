#include "method/method_timeline.h"

#include <algorithm>

#include "control/gas_table.h"
#include "method/method_plan.h"

namespace vespian {

MethodTimeline methodTimeline(const MethodFile& method) {
    MethodTimeline line;
    const std::vector<PlannedState> states = planStates(method);
    const std::vector<double> estimates = stepDurationEstimates(method);
    double at = 0.0;
    for (size_t i = 0; i < method.steps.size(); ++i) {
        line.stepBeginS.push_back(at);
        line.temperature.push_back({at, states[i].furnaceC});
        at += i < estimates.size() ? estimates[i] : 0.0;
    }
    line.totalS = at;
    line.temperature.push_back({at, states.back().furnaceC});
    for (const TimelinePoint& p : line.temperature) line.highestC = std::max(line.highestC, p.temperatureC);

    for (int32_t channel = 0; channel < kFlowChannelCount; ++channel) {
        for (size_t i = 0; i < method.steps.size(); ++i) {
            const ChannelPlan& plan = states[i].channels[static_cast<size_t>(channel)];
            if (plan.gasIndex < 0 || plan.flowMlMin <= 0.0) continue;
            const double begin = line.stepBeginS[i];
            const double end = i + 1 < line.stepBeginS.size() ? line.stepBeginS[i + 1] : line.totalS;
            const std::string gas(kGasTable[static_cast<size_t>(plan.gasIndex)].name);
            if (!line.gases.empty()) {
                GasBand& last = line.gases.back();
                if (last.channel == channel + 1 && last.gas == gas && last.flowMlMin == plan.flowMlMin &&
                    last.endS == begin) {
                    last.endS = end;
                    continue;
                }
            }
            line.gases.push_back({channel + 1, begin, end, gas, plan.flowMlMin});
        }
    }
    return line;
}

}  // namespace vespian
