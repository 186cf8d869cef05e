// Validation: every bad value is refused with a Chinese message naming its step and field, and
// nothing else is; the checks before the run warn with their reasons, each raised by the case
// it is for and quiet otherwise.

#include "method/method_validation.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>

#include "method/method_plan.h"
#include "method/method_templates.h"
#include "method/prerun_checks.h"

namespace vespian {
namespace {

MethodFile templateNamed(const std::string& fileName) {
    for (const MethodTemplate& t : shippedTemplates()) {
        if (t.fileName == fileName) return t.method;
    }
    ADD_FAILURE() << fileName;
    return {};
}

template <typename T>
T& stepAt(MethodFile& method, size_t index) {
    return std::get<T>(method.steps.at(index));
}

// The TPR template's steps (0-based): 0 gas ch1, 2 furnace 300 ℃, 3 wait temperature, 6 wait
// cooled, 8 gas ch2 H2, 10 wait stable, 11 record start, 13 furnace 800 ℃, 16 record stop,
// 21 evaluate, 22 save.
TEST(MethodValidation, EveryBadFieldIsRefusedWithItsStepAndField) {
    struct Case {
        const char* what;
        std::function<void(MethodFile&)> spoil;
        int32_t step;
        const char* field;
        const char* says;
        size_t count = 1;  // issues in all
    };
    const Case cases[] = {
        {"gas not in the table", [](MethodFile& m) { stepAt<GasStep>(m, 8).gas = "氢"; }, 9, "gas", "不在气体表中"},
        {"channel 5", [](MethodFile& m) { stepAt<GasStep>(m, 8).channel = 5; }, 9, "channel", "超出范围 1–4"},
        {"negative flow", [](MethodFile& m) { stepAt<GasStep>(m, 8).flowMlMin = -1; }, 9, "flow", "超出范围 0–99 ml/min"},
        {"fractional flow", [](MethodFile& m) { stepAt<GasStep>(m, 8).flowMlMin = 2.5; }, 9, "flow", "应为整数"},
        {"valve 8", [](MethodFile& m) { std::get<ValveStep>(m.steps[7]).valve = 8; }, 8, "valve", "超出范围 0–7"},
        {"target 1101", [](MethodFile& m) { stepAt<FurnaceStep>(m, 13).segments[0].targetC = 1101; }, 14,
         "segments[0].target_c", "第1段目标温度：1101 超出范围 1–1100 ℃"},
        {"rate 31", [](MethodFile& m) { stepAt<FurnaceStep>(m, 13).segments[0].rateCPerMin = 31; }, 14,
         "segments[0].rate_c_per_min", "超出范围 1–30 ℃/min"},
        {"hold 0", [](MethodFile& m) { stepAt<FurnaceStep>(m, 2).segments[0].holdMin = 0; }, 3, "segments[0].hold_min",
         "超出范围 1–300 min"},
        {"rate 9.5", [](MethodFile& m) { stepAt<FurnaceStep>(m, 2).segments[0].rateCPerMin = 9.5; }, 3,
         "segments[0].rate_c_per_min", "应为整数"},
        {"no segments", [](MethodFile& m) { stepAt<FurnaceStep>(m, 2).segments.clear(); }, 3, "segments", "应有 1–10 段"},
        {"tolerance 0", [](MethodFile& m) { stepAt<WaitStep>(m, 3).toleranceC = 0; }, 4, "tolerance_c", "超出范围"},
        {"timeout shorter than the wait",
         [](MethodFile& m) {
             stepAt<WaitStep>(m, 10).minutes = 20;
             stepAt<WaitStep>(m, 10).timeoutMin = 10;
         },
         11, "timeout_min", "短于要等的时间"},
        {"record stopped before started", [](MethodFile& m) { m.steps.erase(m.steps.begin() + 11); }, 16, "action",
         "停止记录之前没有开始记录", 2},  // and the evaluation then has nothing recorded
        {"record never stopped", [](MethodFile& m) { m.steps.erase(m.steps.begin() + 16); }, 12, "action",
         "到方法结束也没有停止", 2},
        {"evaluate with nothing recorded", [](MethodFile& m) { m.steps.insert(m.steps.begin() + 1, EvaluateStep{}); },
         2, "report", "没有记录完的谱图段"},
        {"report saved before the evaluation",
         [](MethodFile& m) { m.steps.insert(m.steps.begin() + 1, SaveStep{false, {SaveItem::Report}}); }, 2, "items",
         "之前没有评价步骤"},
        {"mark without a name", [](MethodFile& m) { std::get<MarkStep>(m.steps[1]).name.clear(); }, 2, "name", "不能为空"},
        {"inert gas that burns", [](MethodFile& m) { m.safety.inertGas = "氢气"; }, 0, "safety.inert_gas", "不是惰性气体"},
        {"no safe flow", [](MethodFile& m) { m.safety.safeFlowMlMin = 0; }, 0, "safety.safe_flow", "超出范围 1–99"},
        {"no sample weight", [](MethodFile& m) { m.sample.weightG = 0; }, 0, "sample.weight_g", "超出范围"},
        {"sample name longer than the report holds", [](MethodFile& m) { m.sample.name = std::string(30, 'x') + "催化剂样品名称太长了吧"; },
         0, "sample.name", "太长"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        MethodFile method = templateNamed("tpr.json");
        c.spoil(method);
        const std::vector<MethodIssue> issues = validateMethod(method);
        ASSERT_EQ(issues.size(), c.count) << (issues.empty() ? "" : issues[0].message + " …");
        const auto it = std::find_if(issues.begin(), issues.end(), [&](const MethodIssue& issue) {
            return issue.message.find(c.says) != std::string::npos;
        });
        ASSERT_NE(it, issues.end()) << issues[0].message;
        EXPECT_EQ(it->severity, IssueSeverity::Error);
        EXPECT_EQ(it->step, c.step);
        EXPECT_EQ(it->field, c.field);
        if (c.step > 0) {
            EXPECT_EQ(it->message.rfind("第" + std::to_string(c.step) + "步（", 0), 0u) << it->message;
        }
        EXPECT_TRUE(hasErrors(issues));
    }
}

TEST(MethodValidation, TitrationNeedsPulsesAndTheMetalAndAFlowAboveTheMaximumIsNoError) {
    MethodFile method = templateNamed("h2_o2_titration.json");
    method.sample.metalFraction.reset();
    std::vector<MethodIssue> issues = validateMethod(method);
    ASSERT_EQ(issues.size(), 1u);
    EXPECT_NE(issues[0].message.find("金属质量分数"), std::string::npos);

    method = templateNamed("h2_o2_titration.json");
    std::erase_if(method.steps, [](const MethodStep& s) { return std::holds_alternative<PulsesStep>(s); });
    issues = validateMethod(method);
    ASSERT_EQ(issues.size(), 1u);
    EXPECT_NE(issues[0].message.find("之前没有脉冲步骤"), std::string::npos);

    // The flow dialog takes 120 and sets hydrogen's 99: not an error, a warning before the run.
    method = templateNamed("tpr.json");
    stepAt<GasStep>(method, 8).flowMlMin = 120;
    EXPECT_TRUE(validateMethod(method).empty());
}

// The warnings of one method.
std::vector<MethodIssue> warnings(const MethodFile& method) {
    std::vector<MethodIssue> issues = checkBeforeRun(method);
    for (const MethodIssue& issue : issues) EXPECT_EQ(issue.severity, IssueSeverity::Warning) << issue.message;
    return issues;
}

bool warns(const MethodFile& method, const std::string& text) {
    for (const MethodIssue& issue : warnings(method)) {
        if (issue.message.find(text) != std::string::npos) return true;
    }
    return false;
}

TEST(PrerunChecks, TheShippedTemplatesPassTheirChecks) {
    for (const MethodTemplate& t : shippedTemplates()) {
        for (const MethodIssue& issue : warnings(t.method)) ADD_FAILURE() << t.fileName << ": " << issue.message;
    }
}

TEST(PrerunChecks, TprCharacteristicNumberAndResolution) {
    // 200 µmol over 3 ml/min of hydrogen: 3 / 60 / 0.022414 = 2.2307 µmol/s, K = 89.66 s;
    // at 10 ℃/min P = 0.1667 K/s × 89.66 s = 14.9 K.
    EXPECT_NEAR(tprCharacteristicNumberS(200.0, 3.0), 89.66, 0.01);
    MethodFile method = templateNamed("tpr.json");
    EXPECT_FALSE(warns(method, "特征数"));
    EXPECT_FALSE(warns(method, "P = β·K"));

    method.sample.reducibleUmol = 100.0;  // K = 44.8 s: too little to see
    EXPECT_TRUE(warns(method, "K = S0/(V*·C0) = 45 s，不在 55–140 s 之内"));
    method.sample.reducibleUmol = 400.0;  // K = 179 s: the hydrogen runs short
    EXPECT_TRUE(warns(method, "氢气不足"));
    method.sample.reducibleUmol = 300.0;  // K = 134 s, P at 10 ℃/min = 22.4 K
    EXPECT_FALSE(warns(method, "特征数"));
    EXPECT_TRUE(warns(method, "P = β·K = 22.4 K"));
    method.sample.reducibleUmol.reset();  // not given: neither is judged
    EXPECT_FALSE(warns(method, "特征数"));
    EXPECT_FALSE(warns(method, "P = β·K"));

    method = templateNamed("tpr.json");
    std::get<ValveStep>(method.steps[9]).on = false;  // hydrogen never reaches the sample
    EXPECT_TRUE(warns(method, "没有氢气流过样品"));
}

TEST(PrerunChecks, FlowsFurnaceTpdAndPulses) {
    MethodFile tpr = templateNamed("tpr.json");
    std::get<GasStep>(tpr.steps[8]).flowMlMin = 120;
    EXPECT_TRUE(warns(tpr, "2#通道氢气的流量 120 ml/min 超过该气体的最大流量 99 ml/min，仪器将按 99 ml/min 设定"));

    // A second segment down to 100 ℃ at 10 ℃/min: the furnace cools freely by 5 ℃/min there.
    MethodFile cooling = templateNamed("tpr.json");
    std::get<FurnaceStep>(cooling.steps[2]).segments.push_back({100, 10, 10});
    EXPECT_TRUE(warns(cooling, "每分钟只降约 5.0 ℃"));
    std::get<FurnaceStep>(cooling.steps[2]).segments.back().rateCPerMin = 4;
    EXPECT_FALSE(warns(cooling, "每分钟只降约"));

    MethodFile waits = templateNamed("tpr.json");
    std::get<WaitStep>(waits.steps[14]).targetC = 900;
    EXPECT_TRUE(warns(waits, "此时的升温程序最高只到 800 ℃"));
    waits = templateNamed("tpr.json");
    std::get<WaitStep>(waits.steps[6]).belowC = 25;
    EXPECT_TRUE(warns(waits, "低于 30 ℃ 很难达到"));
    waits = templateNamed("tpr.json");
    waits.steps.erase(waits.steps.begin() + 5);  // the furnace is never stopped before the cooling
    EXPECT_TRUE(warns(waits, "升温程序仍在运行"));

    MethodFile tpd = templateNamed("nh3_tpd.json");
    EXPECT_FALSE(warns(tpd, "再吸附"));  // 100 mg in 30 ml/min: 3.3 mg/(ml/min)
    tpd.sample.weightG = 0.5;            // 16.7
    EXPECT_TRUE(warns(tpd, "样品量与载气流量之比 16.7 mg/(ml/min) 太大"));

    MethodFile pulses = templateNamed("h2_o2_titration.json");
    PulsesStep& step = std::get<PulsesStep>(pulses.steps[26]);
    step.maxCount = 7;  // 2.25 ml at 0.5 ml a pulse: 5 pulses, then 3 agreeing: 8
    EXPECT_TRUE(warns(pulses, "饱和前后约需 8 个脉冲，最多 7 个不足以使样品饱和"));
    step.maxCount = 8;
    EXPECT_FALSE(warns(pulses, "不足以使样品饱和"));
    step.maxCount = 1;
    EXPECT_TRUE(warns(pulses, "最多脉冲数小于 2"));
}

TEST(MethodPlan, FlowOverTheSampleFollowsTheValves) {
    const MethodFile method = templateNamed("h2_o2_titration.json");
    const std::vector<PlannedState> states = planStates(method);
    const int32_t hydrogen = gasIndexOf("氢气");
    // Step 5 (the reduction's furnace): H2 20 through treatment port 1 over the sample.
    EXPECT_EQ(gasFlowOverSample(states[4], hydrogen), 20.0);
    EXPECT_EQ(flowOverSample(states[4]), 50.0);
    // Step 24 (the pulses' baseline): the loop's fill position takes channel 2 to the vent.
    EXPECT_EQ(gasFlowOverSample(states[23], hydrogen), 0.0);
    EXPECT_EQ(flowOverSample(states[23]), 30.0);
    EXPECT_EQ(channelsUsed(method), (std::vector<int32_t>{1, 2}));
}

}  // namespace
}  // namespace vespian
