#include "control/programme_preview.h"

#include <gtest/gtest.h>

#include <vector>

namespace vespian {
namespace {

constexpr ProgramSegment seg(int32_t t, int32_t r, int32_t h) { return {t, r, h, true}; }

TEST(ProgrammePlan, RampsFromTheFurnaceThenHolds) {
    // 25 → 500 ℃ at 10 ℃/min: 47.5 min; hold 60; then down to 100 at 5 ℃/min: 80 min; hold 30.
    const std::array<ProgramSegment, 10> segments = {seg(500, 10, 60), seg(100, 5, 30)};
    const ProgrammePlan plan = planProgramme(segments, 25.0);
    EXPECT_EQ(plan.segmentCount, 2);
    ASSERT_EQ(plan.stageCount, 4);
    EXPECT_DOUBLE_EQ(plan.stages[0].endS, 47.5 * 60);
    EXPECT_DOUBLE_EQ(plan.stages[1].endS, (47.5 + 60) * 60);
    EXPECT_DOUBLE_EQ(plan.stages[2].endS, (47.5 + 60 + 80) * 60);
    EXPECT_DOUBLE_EQ(plan.totalS, (47.5 + 60 + 80 + 30) * 60);
    EXPECT_DOUBLE_EQ(plan.highestC, 500.0);
    EXPECT_EQ(durationText(plan.totalS), "3小时38分") << "217.5 min rounded up";
}

TEST(ProgrammePlan, StopsAtTheFirstGapLikeTheList) {
    std::array<ProgramSegment, 10> segments = {seg(300, 10, 5)};
    segments[2] = seg(600, 10, 5);
    const ProgrammePlan plan = planProgramme(segments, 20.0);
    EXPECT_EQ(plan.segmentCount, 1);
    EXPECT_DOUBLE_EQ(plan.totalS, (28.0 + 5.0) * 60);
    const ProgrammePlan empty = planProgramme(std::array<ProgramSegment, 10>{}, 20.0);
    EXPECT_EQ(empty.stageCount, 0);
    EXPECT_EQ(durationText(empty.totalS), "0分");
    EXPECT_TRUE(positionAt(empty, 100).finished);
}

TEST(ProgrammePlan, PositionNamesTheSegmentAndThePlannedTemperature) {
    const std::array<ProgramSegment, 10> segments = {seg(120, 10, 10), seg(220, 20, 5)};
    const ProgrammePlan plan = planProgramme(segments, 20.0);  // ramp 10 min, hold 10, ramp 5, hold 5
    PlanPosition p = positionAt(plan, 300);
    EXPECT_EQ(p.segment, 0);
    EXPECT_FALSE(p.hold);
    EXPECT_DOUBLE_EQ(p.plannedC, 70.0);
    p = positionAt(plan, 15 * 60);
    EXPECT_EQ(p.segment, 0);
    EXPECT_TRUE(p.hold);
    EXPECT_DOUBLE_EQ(p.plannedC, 120.0);
    p = positionAt(plan, 22.5 * 60);
    EXPECT_EQ(p.segment, 1);
    EXPECT_FALSE(p.hold);
    EXPECT_DOUBLE_EQ(p.plannedC, 170.0);
    EXPECT_DOUBLE_EQ(p.remainingS, 7.5 * 60);
    p = positionAt(plan, 40 * 60);
    EXPECT_TRUE(p.finished);
    EXPECT_EQ(p.segment, 1);
    EXPECT_DOUBLE_EQ(p.plannedC, 220.0);
    EXPECT_DOUBLE_EQ(p.remainingS, 0.0);
}

TEST(ProgrammePlan, RunningProgrammeIsPlannedFromItsStartRecord) {
    FurnaceProgram program{};
    program.targetC[0] = 400;
    program.rateCPerMin[0] = 10;
    program.holdMin[0] = 10;
    program.defined[0] = 1;
    // Not running: from the furnace as it is now.
    EXPECT_DOUBLE_EQ(planOf(program, 100.0).totalS, (30.0 + 10.0) * 60);
    program.running = 1;
    program.run.known = true;
    program.run.startC = 0.0f;
    program.run.segments[0] = seg(400, 10, 20);
    EXPECT_DOUBLE_EQ(planOf(program, 300.0).totalS, (40.0 + 20.0) * 60);
}

TEST(ProgrammePlan, ClockAndDurationTexts) {
    EXPECT_EQ(clockText(14 * 3600 + 5 * 60 + 59), "14:05");
    EXPECT_EQ(clockText(86400 + 3600), "01:00(次日)");
    EXPECT_EQ(clockText(2 * 86400 + 3 * 3600 + 600), "03:10(第3天)");
    EXPECT_EQ(durationText(59), "1分");
    EXPECT_EQ(durationText(60), "1分");
    EXPECT_EQ(durationText(3600), "1小时00分");
    EXPECT_EQ(durationText(3601), "1小时01分");
}

// The simulator at 20×: an hour of instrument time has passed in three minutes of the wall's.
// The end is what is left of the plan after now, neither the wall start plus the plan (an end
// far in the future) nor anything before now while the plan still runs.
TEST(ProgrammePlan, TheExpectedEndCountsWhatIsLeftFromNow) {
    const std::array<ProgramSegment, 10> segments = {seg(625, 10, 60)};  // 60 + 60 min from 25 ℃
    const ProgrammePlan plan = planProgramme(segments, 25.0);
    ASSERT_DOUBLE_EQ(plan.totalS, 7200.0);
    const int32_t tenOhThree = 10 * 3600 + 3 * 60;
    EXPECT_EQ(clockText(expectedEndSecondOfDay(plan, 3600.0, tenOhThree)), "11:03");
    EXPECT_EQ(clockText(expectedEndSecondOfDay(plan, 0.0, tenOhThree)), "12:03") << "not started yet";
    // Over for five minutes of instrument time: it ended before now.
    const int32_t tenOhSix = 10 * 3600 + 6 * 60;
    EXPECT_EQ(clockText(expectedEndSecondOfDay(plan, 7500.0, tenOhSix)), "10:01");
    EXPECT_EQ(clockText(expectedEndSecondOfDay(plan, 7500.0, 60)), "23:56") << "before midnight: yesterday's clock";
}

TEST(ProgrammePlan, AxesLeaveRoomAboveTheHighestPoint) {
    const std::array<ProgramSegment, 10> segments = {seg(600, 10, 30)};
    const ProgrammePlan plan = planProgramme(segments, 25.0);  // 57.5 + 30 = 87.5 min
    const PreviewAxes axes = previewAxes(plan, 0.0, 0.0);
    EXPECT_DOUBLE_EQ(axes.minuteStep, 10.0);
    EXPECT_DOUBLE_EQ(axes.maxMinutes, 90.0);
    EXPECT_DOUBLE_EQ(axes.stepC, 100.0);
    EXPECT_DOUBLE_EQ(axes.maxC, 700.0);
    // A live run that overshoots the plan widens both axes.
    const PreviewAxes longer = previewAxes(plan, 720.0, 200 * 60.0);
    EXPECT_GE(longer.maxMinutes, 200.0);
    EXPECT_GT(longer.maxC, 720.0);
}

TEST(LiveCurve, SamplesSinceTheStartWithTheNewestPoint) {
    std::vector<float> temps(1000);
    for (size_t i = 0; i < temps.size(); ++i) temps[i] = static_cast<float>(i);
    const std::vector<LiveSample> all = liveCurve(temps.data(), 100, 110, 50);
    ASSERT_EQ(all.size(), 10u);
    EXPECT_DOUBLE_EQ(all[0].seconds, 0.0);
    EXPECT_DOUBLE_EQ(all[9].seconds, 9 / 5.0);
    EXPECT_DOUBLE_EQ(all[9].temperatureC, 109.0);
    const std::vector<LiveSample> few = liveCurve(temps.data(), 0, 1000, 50);
    EXPECT_LE(few.size(), 50u);
    EXPECT_DOUBLE_EQ(few.back().temperatureC, 999.0);
    EXPECT_TRUE(liveCurve(temps.data(), 500, 400, 50).empty()) << "the trace was cleared since the start";
    EXPECT_TRUE(liveCurve(nullptr, 0, 10, 50).empty());
}

}  // namespace
}  // namespace vespian
