#include "method/method_validation.h"

#include <cmath>
#include <cstdio>

#include "analysis/titration.h"
#include "control/furnace_program.h"
#include "control/gas_table.h"
#include "control/valve_panel.h"
#include "platform/gbk_text.h"

namespace vespian {

namespace {

constexpr std::string_view kInertGases[] = {"氮气", "氦气", "氩气", "氪气", "氖气", "氙气"};

// The flow field of a gas whose name is not in the table: the table's largest flow.
constexpr int32_t kLargestTableFlow = 99;

std::string number(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.10g", value);
    return text;
}

std::string rangeText(const FieldRange& range) {
    std::string text = number(range.min) + "–" + number(range.max);
    if (!range.unit.empty()) text += " " + std::string(range.unit);
    return text;
}

class Collector {
public:
    explicit Collector(std::vector<MethodIssue>& issues) : issues_(issues) {}

    void at(int32_t step, std::string where) {
        step_ = step;
        where_ = std::move(where);
    }

    void error(std::string field, std::string_view label, const std::string& text) {
        MethodIssue issue;
        issue.step = step_;
        issue.field = std::move(field);
        issue.message = where_ + (label.empty() ? "" : std::string(label)) + "：" + text;
        issues_.push_back(std::move(issue));
    }

    // A number against its range; `key` names it in the file (a segment's field carries its index).
    void check(const FieldRange& range, double value, const std::string& key, std::string_view label = {},
               bool checkMax = true) {
        const std::string_view shown = label.empty() ? range.label : label;
        if (range.whole && value != std::trunc(value)) {
            error(key, shown, number(value) + " 应为整数");
        } else if (value < range.min || (checkMax && value > range.max)) {
            error(key, shown, number(value) + " 超出范围 " + rangeText(range));
        }
    }

private:
    std::vector<MethodIssue>& issues_;
    int32_t step_ = 0;
    std::string where_;
};

const FieldRange* rangeOf(const std::vector<FieldRange>& ranges, std::string_view key) {
    for (const FieldRange& range : ranges) {
        if (range.key == key) return &range;
    }
    return nullptr;
}

std::string stepWhere(int32_t number, const MethodStep& step) {
    return "第" + std::to_string(number) + "步（" + std::string(stepKindName(step)) + "）";
}

// Where a run stands while its steps are checked in order.
struct Walk {
    bool recordOpen = false;
    int32_t recordOpenedAt = 0;
    bool recorded = false;  // a recording was started and stopped
    bool pulsed = false;
    bool evaluated = false;
};

}  // namespace

bool isInertGas(std::string_view gasName) {
    for (std::string_view inert : kInertGases) {
        if (inert == gasName) return true;
    }
    return false;
}

int32_t gasIndexOf(std::string_view gasName) {
    for (int32_t i = 0; i < kGasCount; ++i) {
        if (kGasTable[static_cast<size_t>(i)].name == gasName) return i;
    }
    return -1;
}

std::vector<FieldRange> stepFieldRanges(const MethodStep& step) {
    return std::visit(
        [](const auto& s) -> std::vector<FieldRange> {
            using T = std::decay_t<decltype(s)>;
            if constexpr (std::is_same_v<T, GasStep>) {
                const int32_t gas = gasIndexOf(s.gas);
                const double maxFlow = gas >= 0 ? kGasTable[static_cast<size_t>(gas)].maxFlow : kLargestTableFlow;
                return {{"channel", "通道", "", 1, kFlowChannelCount, true},
                        {"flow", "流量", "ml/min", 0, maxFlow, true}};
            } else if constexpr (std::is_same_v<T, ValveStep>) {
                return {{"valve", "阀门", "", 0, kValveCount - 1, true}};
            } else if constexpr (std::is_same_v<T, FurnaceStep>) {
                if (s.stop) return {};
                return {{"target_c", "目标温度", "℃", kMinTargetC, kMaxTargetC, true},
                        {"rate_c_per_min", "升温速率", "℃/min", kMinRateCPerMin, kMaxRateCPerMin, true},
                        {"hold_min", "恒温时间", "min", kMinHoldMin, kMaxHoldMin, true}};
            } else if constexpr (std::is_same_v<T, WaitStep>) {
                std::vector<FieldRange> ranges;
                switch (s.until) {
                case WaitKind::Time:
                    ranges = {{"minutes", "等待时间", "min", 0.1, 10080, false}};
                    break;
                case WaitKind::Temperature:
                    ranges = {{"target_c", "目标温度", "℃", kMinTargetC, kMaxTargetC, false},
                             {"tolerance_c", "允许偏差", "℃", 0.5, 100, false}};
                    break;
                case WaitKind::Cooled:
                    ranges = {{"below_c", "冷却到", "℃", kMinTargetC, kMaxTargetC, false}};
                    break;
                case WaitKind::Stable:
                    ranges = {{"drift_mv_per_min", "基线漂移", "mV/min", 0.001, 10, false},
                             {"minutes", "判断时长", "min", 0.5, 120, false}};
                    break;
                }
                ranges.push_back({"timeout_min", "最长等待", "min", 1, 10080, false});
                return ranges;
            } else if constexpr (std::is_same_v<T, PulsesStep>) {
                return {{"interval_s", "脉冲间隔", "s", 10, 3600, false},
                        {"agree_count", "一致的峰数", "", 2, 10, true},
                        {"agree_percent", "峰面积一致", "%", 0.1, 50, false},
                        {"max_count", "最多脉冲数", "", 1, 100, true},
                        {"loop_ml", "定量环体积", "ml", 0.01, 10, false},
                        {"loop_valve", "定量环阀门", "", 0, kValveCount - 1, true},
                        {"inject_s", "进样时间", "s", 1, 600, false},
                        {"min_height_mv", "最小峰高", "mV", 0.01, 1000, false},
                        {"expected_uptake_ml", "预计吸附量", "ml", 0.001, 1000, false}};
            } else {
                return {};
            }
        },
        step);
}

std::vector<MethodIssue> validateMethod(const MethodFile& method) {
    std::vector<MethodIssue> issues;
    Collector c(issues);

    c.at(0, "方法");
    if (method.name.empty()) c.error("name", "名称", "不能为空");
    if (method.steps.empty()) c.error("steps", "步骤", "方法中没有步骤");

    c.at(0, "样品");
    if (method.sample.name.empty()) c.error("sample.name", "名称", "不能为空");
    if (gbkLength(method.sample.name) > kMaxSampleNameBytes) {
        c.error("sample.name", "名称", "太长（最多 " + std::to_string(kMaxSampleNameBytes) + " 个字节）");
    }
    c.check({"weight_g", "重量", "g", 0.0001, 100, false}, method.sample.weightG, "sample.weight_g");
    if (method.sample.reducibleUmol) {
        c.check({"reducible_umol", "可还原量", "µmol", 0.001, 1e6, false}, *method.sample.reducibleUmol,
                "sample.reducible_umol");
    }
    if (!method.sample.metal.empty()) {
        bool known = false;
        for (const MetalPreset& preset : kMetalPresets) known = known || method.sample.metal == metalConstants(preset.metal).name;
        if (!known) c.error("sample.metal", "金属", "“" + method.sample.metal + "”不在金属表中（铂、钯、铑）");
    }
    if (method.sample.metalFraction) {
        c.check({"metal_fraction", "金属质量分数", "", 0.0001, 1, false}, *method.sample.metalFraction,
                "sample.metal_fraction");
    }

    c.at(0, "安全设置");
    const int32_t inert = gasIndexOf(method.safety.inertGas);
    if (inert < 0) {
        c.error("safety.inert_gas", "惰性气体", "“" + method.safety.inertGas + "”不在气体表中");
    } else if (!isInertGas(method.safety.inertGas)) {
        c.error("safety.inert_gas", "惰性气体", "“" + method.safety.inertGas + "”不是惰性气体（氮气、氦气、氩气等）");
    }
    const double inertMax = inert >= 0 ? kGasTable[static_cast<size_t>(inert)].maxFlow : kLargestTableFlow;
    c.check({"safe_flow", "安全流量", "ml/min", 1, inertMax, true}, method.safety.safeFlowMlMin, "safety.safe_flow");

    Walk walk;
    for (size_t i = 0; i < method.steps.size(); ++i) {
        const auto number = static_cast<int32_t>(i + 1);
        const MethodStep& step = method.steps[i];
        c.at(number, stepWhere(number, step));
        const std::vector<FieldRange> ranges = stepFieldRanges(step);
        std::visit(
            [&](const auto& s) {
                using T = std::decay_t<decltype(s)>;
                if constexpr (std::is_same_v<T, GasStep>) {
                    c.check(*rangeOf(ranges, "channel"), s.channel, "channel");
                    if (gasIndexOf(s.gas) < 0) c.error("gas", "气体", "“" + s.gas + "”不在气体表中");
                    // A flow above the gas's largest is set to the largest, as the flow dialog
                    // does; the checks before the run say so.
                    c.check(*rangeOf(ranges, "flow"), s.flowMlMin, "flow", {}, false);
                } else if constexpr (std::is_same_v<T, ValveStep>) {
                    c.check(*rangeOf(ranges, "valve"), s.valve, "valve");
                } else if constexpr (std::is_same_v<T, FurnaceStep>) {
                    if (s.stop) return;
                    if (s.segments.empty() || s.segments.size() > static_cast<size_t>(kMaxSegmentsPerStep)) {
                        c.error("segments", "温控段", "应有 1–" + std::to_string(kMaxSegmentsPerStep) + " 段");
                    }
                    for (size_t k = 0; k < s.segments.size(); ++k) {
                        const std::string prefix = "segments[" + std::to_string(k) + "].";
                        const std::string label = "第" + std::to_string(k + 1) + "段";
                        const FurnaceSegment& seg = s.segments[k];
                        for (const FieldRange& range : ranges) {
                            const double value = range.key == "target_c"         ? seg.targetC
                                                 : range.key == "rate_c_per_min" ? seg.rateCPerMin
                                                                                : seg.holdMin;
                            c.check(range, value, prefix + std::string(range.key), label + std::string(range.label));
                        }
                    }
                } else if constexpr (std::is_same_v<T, WaitStep>) {
                    switch (s.until) {
                    case WaitKind::Time:
                        c.check(*rangeOf(ranges, "minutes"), s.minutes, "minutes");
                        break;
                    case WaitKind::Temperature:
                        c.check(*rangeOf(ranges, "target_c"), s.targetC, "target_c");
                        c.check(*rangeOf(ranges, "tolerance_c"), s.toleranceC, "tolerance_c");
                        break;
                    case WaitKind::Cooled:
                        c.check(*rangeOf(ranges, "below_c"), s.belowC, "below_c");
                        break;
                    case WaitKind::Stable:
                        c.check(*rangeOf(ranges, "drift_mv_per_min"), s.driftMvPerMin, "drift_mv_per_min");
                        c.check(*rangeOf(ranges, "minutes"), s.minutes, "minutes");
                        break;
                    }
                    if (s.timeoutMin) {
                        c.check(*rangeOf(ranges, "timeout_min"), *s.timeoutMin, "timeout_min");
                        if ((s.until == WaitKind::Time || s.until == WaitKind::Stable) && *s.timeoutMin < s.minutes) {
                            c.error("timeout_min", "最长等待", "短于要等的时间");
                        }
                    }
                } else if constexpr (std::is_same_v<T, PulsesStep>) {
                    c.check(*rangeOf(ranges, "interval_s"), s.intervalS, "interval_s");
                    c.check(*rangeOf(ranges, "agree_count"), s.agreeCount, "agree_count");
                    c.check(*rangeOf(ranges, "agree_percent"), s.agreePercent, "agree_percent");
                    c.check(*rangeOf(ranges, "max_count"), s.maxCount, "max_count");
                    c.check(*rangeOf(ranges, "loop_ml"), s.loopMl, "loop_ml");
                    c.check(*rangeOf(ranges, "loop_valve"), s.loopValve, "loop_valve");
                    c.check(*rangeOf(ranges, "inject_s"), s.injectS, "inject_s");
                    if (s.injectS >= s.intervalS) c.error("inject_s", "进样时间", "应短于脉冲间隔");
                    c.check(*rangeOf(ranges, "min_height_mv"), s.minHeightMv, "min_height_mv");
                    if (s.expectedUptakeMl) {
                        c.check(*rangeOf(ranges, "expected_uptake_ml"), *s.expectedUptakeMl, "expected_uptake_ml");
                    }
                    walk.pulsed = true;
                } else if constexpr (std::is_same_v<T, RecordStep>) {
                    if (s.start && walk.recordOpen) {
                        c.error("action", "", "第" + std::to_string(walk.recordOpenedAt) + "步开始的记录还没有停止");
                    } else if (!s.start && !walk.recordOpen) {
                        c.error("action", "", "停止记录之前没有开始记录");
                    }
                    if (s.start && !walk.recordOpen) walk.recordOpenedAt = number;
                    if (!s.start && walk.recordOpen) walk.recorded = true;
                    walk.recordOpen = s.start;
                } else if constexpr (std::is_same_v<T, MarkStep>) {
                    if (s.name.empty()) c.error("name", "名称", "不能为空");
                    if (gbkLength(s.name) > kMaxMarkNameBytes) {
                        c.error("name", "名称", "太长（最多 " + std::to_string(kMaxMarkNameBytes) + " 个字节）");
                    }
                } else if constexpr (std::is_same_v<T, EvaluateStep>) {
                    if (s.report == EvaluatedKind::Titration) {
                        if (!walk.pulsed) c.error("report", "", "之前没有脉冲步骤，无法评价滴定");
                        if (method.sample.metal.empty() || !method.sample.metalFraction) {
                            c.error("report", "", "评价滴定需要样品的金属（metal）和金属质量分数（metal_fraction）");
                        }
                    } else if (!walk.recorded) {
                        c.error("report", "", "之前没有记录完的谱图段（开始记录……停止记录）");
                    }
                    walk.evaluated = true;
                } else if constexpr (std::is_same_v<T, SaveStep>) {
                    if (s.items.empty()) c.error("items", "保存项", "不能为空");
                    for (SaveItem item : s.items) {
                        if ((item == SaveItem::Report || item == SaveItem::Pdf) && !walk.evaluated) {
                            c.error("items", "保存项", "“" + std::string(saveItemKey(item)) + "”之前没有评价步骤");
                        }
                    }
                }
            },
            step);
    }
    if (walk.recordOpen) {
        c.at(walk.recordOpenedAt, "第" + std::to_string(walk.recordOpenedAt) + "步（记录）");
        c.error("action", "", "开始的记录到方法结束也没有停止");
    }
    return issues;
}

bool hasErrors(const std::vector<MethodIssue>& issues) {
    for (const MethodIssue& issue : issues) {
        if (issue.severity == IssueSeverity::Error) return true;
    }
    return false;
}

}  // namespace vespian
