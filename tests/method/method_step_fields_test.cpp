// The editor's core: a step's fields by key, the messages about one field, the planned course
// of a method for the preview.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "method/method_step_fields.h"
#include "method/method_plan.h"
#include "method/method_templates.h"
#include "method/method_timeline.h"

namespace vespian {
namespace {

MethodFile shipped(const std::string& fileName) {
    for (const MethodTemplate& t : shippedTemplates()) {
        if (t.fileName == fileName) return t.method;
    }
    ADD_FAILURE() << fileName;
    return {};
}

TEST(MethodStepFields, EveryRangedFieldOfEveryKindIsReadAndWrittenByItsKey) {
    for (std::string_view kind : stepKindKeys()) {
        std::optional<MethodStep> step = newStep(kind);
        ASSERT_TRUE(step) << kind;
        for (const FieldRange& range : stepFieldRanges(*step)) {
            if (std::holds_alternative<FurnaceStep>(*step)) continue;  // per segment
            const double inside = range.whole ? std::trunc((range.min + range.max) / 2) : (range.min + range.max) / 2;
            ASSERT_TRUE(setStepNumber(*step, range.key, inside)) << kind << " " << range.key;
            EXPECT_EQ(stepNumber(*step, range.key), inside) << kind << " " << range.key;
        }
    }
    // A new step of each kind passes validation as the editor inserts it (evaluations and
    // saves aside, which need what comes before them).
    for (std::string_view kind : {"gas", "valve", "furnace", "wait", "pulses", "mark"}) {
        MethodFile method = shipped("tpr.json");
        method.steps.push_back(*newStep(kind));
        EXPECT_FALSE(hasErrors(validateMethod(method))) << kind;
    }
}

TEST(MethodStepFields, FractionsInWholeFieldsAndClearedRequiredFieldsAreRefused) {
    MethodStep pulses = PulsesStep{};
    EXPECT_FALSE(setStepNumber(pulses, "max_count", 2.5));
    EXPECT_EQ(stepNumber(pulses, "max_count"), 20.0);
    EXPECT_FALSE(setStepNumber(pulses, "max_count", std::nullopt));
    // The optional uptake is cleared, not zeroed.
    ASSERT_TRUE(setStepNumber(pulses, "expected_uptake_ml", 0.3));
    ASSERT_TRUE(setStepNumber(pulses, "expected_uptake_ml", std::nullopt));
    EXPECT_EQ(stepNumber(pulses, "expected_uptake_ml"), std::nullopt);
    EXPECT_FALSE(setStepNumber(pulses, "flow", 3.0));  // another kind's key
}

TEST(MethodStepFields, NumbersAreReadWithThePointOnlyAndWholly) {
    EXPECT_EQ(parseFieldNumber(" 12.5 "), 12.5);
    EXPECT_EQ(parseFieldNumber("+3"), 3.0);
    EXPECT_EQ(parseFieldNumber("-40"), -40.0);
    for (const char* bad : {"", "12,5", "1e400", "nan", "3 ml", "abc"}) EXPECT_EQ(parseFieldNumber(bad), std::nullopt) << bad;
    EXPECT_EQ(fieldNumberText(0.05), "0.05");
    EXPECT_EQ(fieldNumberText(300), "300");
}

TEST(MethodStepFields, TheMessagesOfOneFieldNameItsStep) {
    MethodFile method = shipped("tpr.json");
    std::get<ValveStep>(method.steps[7]).valve = 9;
    std::get<FurnaceStep>(method.steps[2]).segments[0].rateCPerMin = 500;
    const std::vector<MethodIssue> issues = validateMethod(method);
    const std::vector<MethodIssue> valve = issuesOfField(issues, 8, "valve");
    ASSERT_EQ(valve.size(), 1u);
    EXPECT_NE(valve[0].message.find("第8步（阀门）"), std::string::npos) << valve[0].message;
    ASSERT_EQ(issuesOfField(issues, 3, "segments[0].rate_c_per_min").size(), 1u);
    EXPECT_TRUE(issuesOfField(issues, 8, "flow").empty());
    EXPECT_TRUE(issuesOfField(issues, 3, "valve").empty());
}

TEST(MethodStepFields, AWaitSwitchedToAnotherKindGetsValuesThatPassAndKeepsItsOwn) {
    for (WaitKind kind : {WaitKind::Time, WaitKind::Temperature, WaitKind::Cooled, WaitKind::Stable}) {
        MethodFile method = shipped("tpr.json");
        WaitStep wait;
        wait.until = kind;
        fillWaitDefaults(wait);
        method.steps = {wait};
        EXPECT_FALSE(hasErrors(validateMethod(method))) << static_cast<int>(kind);
    }
    WaitStep kept;
    kept.until = WaitKind::Temperature;
    kept.targetC = 450;
    kept.toleranceC = 2;
    fillWaitDefaults(kept);
    EXPECT_EQ(kept.targetC, 450);
    EXPECT_EQ(kept.toleranceC, 2);

    FurnaceStep furnace{true, {}};
    setFurnaceStop(furnace, false);
    ASSERT_EQ(furnace.segments.size(), 1u);
    EXPECT_EQ(furnace.segments, std::get<FurnaceStep>(*newStep("furnace")).segments);
    setFurnaceStop(furnace, true);
    EXPECT_TRUE(furnace.stop);
    EXPECT_EQ(furnace.segments.size(), 1u) << "a stop keeps the segments for a switch back";
}

TEST(MethodTimeline, FollowsTheStepsEstimatesTemperaturesAndGases) {
    const MethodFile method = shipped("tpr.json");
    const MethodTimeline line = methodTimeline(method);
    const std::vector<double> estimates = stepDurationEstimates(method);
    double total = 0.0;
    for (double e : estimates) total += e;
    EXPECT_DOUBLE_EQ(line.totalS, total);
    ASSERT_EQ(line.stepBeginS.size(), method.steps.size());
    EXPECT_GE(line.highestC, 795.0);
    EXPECT_LE(line.highestC, 805.0);
    // Hydrogen on channel 2 from its gas step (9th) until it is set to 0 (the 20th).
    const auto hydrogen = std::find_if(line.gases.begin(), line.gases.end(),
                                       [](const GasBand& b) { return b.channel == 2 && b.gas == "氢气"; });
    ASSERT_NE(hydrogen, line.gases.end());
    EXPECT_DOUBLE_EQ(hydrogen->beginS, line.stepBeginS[9]);
    EXPECT_DOUBLE_EQ(hydrogen->endS, line.stepBeginS[20]);
    EXPECT_EQ(std::count_if(line.gases.begin(), line.gases.end(), [](const GasBand& b) { return b.channel == 2; }), 1);
    // Argon on channel 1 throughout, one band.
    const auto argon = std::find_if(line.gases.begin(), line.gases.end(), [](const GasBand& b) { return b.channel == 1; });
    ASSERT_NE(argon, line.gases.end());
    EXPECT_DOUBLE_EQ(argon->endS, line.totalS);
}

}  // namespace
}  // namespace vespian
