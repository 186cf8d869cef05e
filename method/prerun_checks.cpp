#include "method/prerun_checks.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "control/gas_table.h"
#include "method/method_plan.h"

namespace vespian {

namespace {

std::string number(double value, const char* format = "%.4g") {
    char text[32];
    std::snprintf(text, sizeof text, format, value);
    return text;
}

std::string stepWhere(size_t index, const MethodStep& step) {
    return "第" + std::to_string(index + 1) + "步（" + std::string(stepKindName(step)) + "）";
}

void warn(std::vector<MethodIssue>& issues, size_t index, std::string field, std::string message) {
    MethodIssue issue;
    issue.severity = IssueSeverity::Warning;
    issue.step = static_cast<int32_t>(index + 1);
    issue.field = std::move(field);
    issue.message = std::move(message);
    issues.push_back(std::move(issue));
}

void checkTpr(const MethodFile& method, size_t i, const FurnaceStep& furnace, const PlannedState& state,
              std::vector<MethodIssue>& issues) {
    const std::string where = stepWhere(i, method.steps[i]);
    const double hydrogen = gasFlowOverSample(state, gasIndexOf("氢气"));
    if (hydrogen <= 0.0) {
        warn(issues, i, "segments", where + "：升温记录时没有氢气流过样品，TPR 看不到还原");
        return;
    }
    if (!method.sample.reducibleUmol) return;
    const double k = tprCharacteristicNumberS(*method.sample.reducibleUmol, hydrogen);
    if (k < kTprKMinS || k > kTprKMaxS) {
        warn(issues, i, "segments",
             where + "：特征数 K = S0/(V*·C0) = " + number(k, "%.0f") + " s，不在 55–140 s 之内（样品可还原量 " +
                 number(*method.sample.reducibleUmol) + " µmol，氢气 " + number(hydrogen) + " ml/min）；" +
                 (k < kTprKMinS ? "还原峰太小，灵敏度不够：增加样品量或减少氢气流量"
                                : "氢气不足，峰形失真：减少样品量或增加氢气流量"));
    }
    double fastest = 0.0;
    for (const FurnaceSegment& segment : furnace.segments) fastest = std::max(fastest, segment.rateCPerMin);
    const double p = fastest / 60.0 * k;
    if (p > kTprPMaxK) {
        warn(issues, i, "segments",
             where + "：P = β·K = " + number(p, "%.1f") + " K，大于 20 K（升温速率 " + number(fastest) +
                 " ℃/min）；峰会重叠，分辨率不够：降低升温速率或样品量");
    }
}

}  // namespace

double tprCharacteristicNumberS(double reducibleUmol, double hydrogenMlMin) {
    if (!(hydrogenMlMin > 0.0)) return 0.0;
    const double hydrogenUmolPerS = hydrogenMlMin / 60.0 / kMlPerMicromol;
    return reducibleUmol / hydrogenUmolPerS;
}

double freeCoolingRateCPerMin(double temperatureC) {
    return std::max(0.0, temperatureC - kRoomTemperatureC) / kFurnaceCoolingTimeConstantS * 60.0;
}

std::vector<MethodIssue> checkBeforeRun(const MethodFile& method) {
    std::vector<MethodIssue> issues;
    const std::vector<PlannedState> states = planStates(method);
    bool tprRampSeen = false;
    for (size_t i = 0; i < method.steps.size(); ++i) {
        const MethodStep& step = method.steps[i];
        const PlannedState& state = states[i];
        const std::string where = stepWhere(i, step);
        if (const auto* gas = std::get_if<GasStep>(&step)) {
            const int32_t index = gasIndexOf(gas->gas);
            if (index < 0) continue;
            const int32_t maxFlow = kGasTable[static_cast<size_t>(index)].maxFlow;
            if (gas->flowMlMin > maxFlow) {
                warn(issues, i, "flow",
                     where + "：" + std::to_string(gas->channel) + "#通道" + gas->gas + "的流量 " +
                         number(gas->flowMlMin) + " ml/min 超过该气体的最大流量 " + std::to_string(maxFlow) +
                         " ml/min，仪器将按 " + std::to_string(maxFlow) + " ml/min 设定");
            }
        } else if (const auto* furnace = std::get_if<FurnaceStep>(&step)) {
            if (furnace->stop) continue;
            double fromC = state.furnaceC;
            for (size_t k = 0; k < furnace->segments.size(); ++k) {
                const FurnaceSegment& segment = furnace->segments[k];
                const double coolingRate = freeCoolingRateCPerMin(segment.targetC);
                if (segment.targetC < fromC && segment.rateCPerMin > coolingRate) {
                    warn(issues, i, "segments[" + std::to_string(k) + "].rate_c_per_min",
                         where + "：第" + std::to_string(k + 1) + "段从约 " + number(fromC, "%.0f") + " ℃ 降到 " +
                             number(segment.targetC, "%.0f") + " ℃，炉子只能自然冷却，在 " +
                             number(segment.targetC, "%.0f") + " ℃ 时每分钟只降约 " + number(coolingRate, "%.1f") +
                             " ℃，慢于 " + number(segment.rateCPerMin) + " ℃/min，这一段会比计划的长");
                }
                fromC = segment.targetC;
            }
            if (method.test == TestKind::Tpr && state.recording) {
                tprRampSeen = true;
                checkTpr(method, i, *furnace, state, issues);
            }
            if (method.test == TestKind::Tpd && state.recording) {
                const double flow = flowOverSample(state);
                const double massPerFlow = flow > 0.0 ? method.sample.weightG * 1000.0 / flow : INFINITY;
                if (massPerFlow > kTpdMaxMassPerFlow) {
                    warn(issues, i, "segments",
                         where + "：样品量与载气流量之比 " +
                             (std::isfinite(massPerFlow) ? number(massPerFlow, "%.1f") : std::string("∞")) +
                             " mg/(ml/min) 太大（超过 " + number(kTpdMaxMassPerFlow) +
                             "），脱附的分子会再吸附，峰移向高温：减少样品量或增加载气流量");
                }
            }
        } else if (const auto* wait = std::get_if<WaitStep>(&step)) {
            if (wait->until == WaitKind::Temperature) {
                const double reachable = state.programmeRunning ? state.programmeTopC : state.furnaceC;
                if (wait->targetC - wait->toleranceC > reachable) {
                    warn(issues, i, "target_c",
                         where + "：等待炉温到 " + number(wait->targetC, "%.0f") + " ℃，但" +
                             (state.programmeRunning ? "此时的升温程序最高只到 " : "此时没有升温程序，炉温约 ") +
                             number(reachable, "%.0f") + " ℃");
                }
            } else if (wait->until == WaitKind::Cooled) {
                if (wait->belowC < kCoolestReachableC) {
                    warn(issues, i, "below_c",
                         where + "：炉子只能自然冷却到室温附近，低于 " + number(kCoolestReachableC, "%.0f") +
                             " ℃ 很难达到");
                } else if (state.programmeRunning && state.programmeTopC > wait->belowC) {
                    warn(issues, i, "below_c",
                         where + "：升温程序仍在运行，炉子保持在程序的温度，冷却不到 " +
                             number(wait->belowC, "%.0f") + " ℃：先停止炉子");
                }
            }
        } else if (const auto* pulses = std::get_if<PulsesStep>(&step)) {
            if (pulses->maxCount < 2) {
                warn(issues, i, "max_count", where + "：最多脉冲数小于 2，无法比较峰面积判断饱和");
            } else if (pulses->expectedUptakeMl && pulses->loopMl > 0.0) {
                const auto needed =
                    static_cast<int32_t>(std::ceil(*pulses->expectedUptakeMl / pulses->loopMl - 1e-9)) +
                    pulses->agreeCount;
                if (pulses->maxCount < needed) {
                    warn(issues, i, "max_count",
                         where + "：预计吸附 " + number(*pulses->expectedUptakeMl) + " ml，定量环 " +
                             number(pulses->loopMl) + " ml，饱和前后约需 " + std::to_string(needed) +
                             " 个脉冲，最多 " + std::to_string(pulses->maxCount) + " 个不足以使样品饱和");
                }
            } else if (pulses->agreeCount > pulses->maxCount) {
                warn(issues, i, "agree_count",
                     where + "：要求 " + std::to_string(pulses->agreeCount) + " 个一致的峰，但最多只有 " +
                         std::to_string(pulses->maxCount) + " 个脉冲");
            }
        }
    }
    if (method.test == TestKind::Tpr && !tprRampSeen) {
        MethodIssue issue;
        issue.severity = IssueSeverity::Warning;
        issue.message = "方法：TPR 方法中没有在记录时启动的升温程序";
        issues.push_back(std::move(issue));
    }
    return issues;
}

}  // namespace vespian
