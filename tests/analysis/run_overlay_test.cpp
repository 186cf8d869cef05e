#include "analysis/run_overlay.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <set>
#include <vector>

namespace vespian {
namespace {

TEST(RunOverlay, RoundAxesCoverTheDataWithOneTwoOrFiveSteps) {
    const AxisTicks t = roundAxis(43.7, 887.2);
    EXPECT_DOUBLE_EQ(t.step, 100.0);
    EXPECT_DOUBLE_EQ(t.first, 0.0);
    EXPECT_DOUBLE_EQ(t.last, 900.0);
    EXPECT_EQ(t.count(), 10);
    const AxisTicks s = roundAxis(-0.13, 0.71);  // 0.084 a tick wanted → 0.1
    EXPECT_DOUBLE_EQ(s.step, 0.1);
    EXPECT_NEAR(s.first, -0.2, 1e-12);
    EXPECT_NEAR(s.last, 0.8, 1e-12);
    const AxisTicks m = roundAxis(0.0, 1.6);  // 0.16 → 0.2
    EXPECT_DOUBLE_EQ(m.step, 0.2);
    EXPECT_EQ(m.count(), 9);
    const AxisTicks f = roundAxis(100.0, 190.0);  // 9 → 10, an exact tick at both ends
    EXPECT_DOUBLE_EQ(f.step, 10.0);
    EXPECT_DOUBLE_EQ(f.first, 100.0);
    EXPECT_DOUBLE_EQ(f.last, 190.0);
    const AxisTicks flat = roundAxis(3.0, 3.0);
    EXPECT_LT(flat.first, 3.0);
    EXPECT_GT(flat.last, 3.0);
    const AxisTicks broken = roundAxis(std::nan(""), 5.0);
    EXPECT_TRUE(std::isfinite(broken.first) && std::isfinite(broken.last) && broken.step > 0.0);
}

TEST(RunOverlay, PerGramScalesEachRunByItsWeightAndLeavesUnweighedRunsOut) {
    const std::vector<float> t1 = {50, 150, 250}, s1 = {0, 4, 1};
    const std::vector<float> t2 = {80, 300, 420}, s2 = {0, 6, 2};
    const std::vector<float> t3 = {10, 20}, s3 = {100, 200};
    const OverlayRun runs[] = {{s1, t1, 0.2}, {s2, t2, 0.5}, {s3, t3, 0.0}};

    const OverlayPlan raw = planOverlay(runs, false);
    EXPECT_EQ(raw.status, OverlayStatus::Ok);
    EXPECT_DOUBLE_EQ(raw.scale[2], 1.0);
    EXPECT_DOUBLE_EQ(raw.minTemperatureC, 10.0);
    EXPECT_DOUBLE_EQ(raw.maxSignal, 200.0);

    const OverlayPlan perGram = planOverlay(runs, true);
    EXPECT_EQ(perGram.status, OverlayStatus::Ok);
    EXPECT_DOUBLE_EQ(perGram.scale[0], 5.0);
    EXPECT_DOUBLE_EQ(perGram.scale[1], 2.0);
    EXPECT_DOUBLE_EQ(perGram.scale[2], 0.0);
    EXPECT_TRUE(perGram.unweighed[2]);
    EXPECT_FALSE(perGram.unweighed[0]);
    EXPECT_DOUBLE_EQ(perGram.minTemperatureC, 50.0) << "the unweighed run is not drawn";
    EXPECT_DOUBLE_EQ(perGram.maxTemperatureC, 420.0);
    EXPECT_DOUBLE_EQ(perGram.maxSignal, 20.0) << "4 mV / 0.2 g";
    EXPECT_DOUBLE_EQ(perGram.signalAxis.last, 20.0);
    EXPECT_DOUBLE_EQ(perGram.temperatureAxis.step, 50.0) << "370 ℃ in ten ticks: 37 → 50";
    EXPECT_DOUBLE_EQ(perGram.temperatureAxis.first, 50.0);
    EXPECT_DOUBLE_EQ(perGram.temperatureAxis.last, 450.0);
}

TEST(RunOverlay, NothingToDrawAndBrokenPoints) {
    EXPECT_EQ(planOverlay({}, false).status, OverlayStatus::NoRuns);
    const std::vector<float> t = {50, 60}, s = {1, 2};
    const OverlayRun unweighed[] = {{s, t, 0.0}};
    EXPECT_EQ(planOverlay(unweighed, true).status, OverlayStatus::NoRuns);

    const float nan = std::numeric_limits<float>::quiet_NaN();
    const std::vector<float> tb = {50, nan, 70}, sb = {1, 99, nan};
    const OverlayRun broken[] = {{sb, tb, 1.0}};
    const OverlayPlan plan = planOverlay(broken, false);
    EXPECT_EQ(plan.status, OverlayStatus::Ok);
    EXPECT_DOUBLE_EQ(plan.maxSignal, 1.0) << "only the one whole point counts";
    EXPECT_DOUBLE_EQ(plan.maxTemperatureC, 50.0);

    std::vector<OverlayRun> many(kMaxOverlayRuns + 1, OverlayRun{s, t, 1.0});
    const OverlayPlan capped = planOverlay(many, false);
    EXPECT_EQ(capped.status, OverlayStatus::TooManyRuns);
    EXPECT_EQ(capped.runCount, kMaxOverlayRuns);
}

TEST(RunOverlay, ColoursDifferAndLegendsCarryTheDate) {
    std::set<StoredColour> colours;
    for (int32_t r = 0; r < kMaxOverlayRuns; ++r) colours.insert(overlayColour(r));
    EXPECT_EQ(colours.size(), static_cast<size_t>(kMaxOverlayRuns));
    EXPECT_EQ(overlayColour(kMaxOverlayRuns), overlayColour(0));
    EXPECT_EQ(overlayColour(-1), overlayColour(kMaxOverlayRuns - 1));
    EXPECT_EQ(overlayLegend("Pt/Al2O3", 2024, 3, 7), "Pt/Al2O3  2024-03-07");
    EXPECT_EQ(overlayLegend("样品A", 0, 0, 0), "样品A");
    EXPECT_EQ(overlayLegend("x", 2024, 13, 1), "x");
}

TEST(RunOverlay, PolylineKeepsFirstExtremesAndLastOfEachPixelColumn) {
    // Axes 0 .. 10 ℃ and 0 .. 10 mV on an 11 × 11 plot: one pixel per unit, y downwards.
    OverlayPlan plan;
    plan.temperatureAxis = {0.0, 10.0, 1.0};
    plan.signalAxis = {0.0, 10.0, 1.0};
    const std::vector<float> t = {1.0f, 1.1f, 1.2f, 1.3f, 1.4f, 2.0f, 12.0f};
    const std::vector<float> s = {5.0f, 9.0f, 2.0f, 3.0f, 4.0f, 4.0f, -3.0f};
    std::vector<PlotPoint> out;
    overlayPolyline({s, t, 1.0}, 1.0, plan, 11, 11, out);
    // Column 1: first (1,5), highest (1,1) before lowest (1,8), last (1,6); column 2 once;
    // the last point is clamped into the corner.
    const std::vector<std::pair<int, int>> expected = {{1, 5}, {1, 1}, {1, 8}, {1, 6}, {2, 6}, {10, 10}};
    ASSERT_EQ(out.size(), expected.size());
    for (size_t i = 0; i < out.size(); ++i) {
        EXPECT_EQ(out[i].x, expected[i].first) << i;
        EXPECT_EQ(out[i].y, expected[i].second) << i;
    }
    overlayPolyline({s, t, 1.0}, 2.0, plan, 11, 11, out);
    // Doubled, column 1 holds 10, 18, 4, 6, 8 mV: 10 and the clamped 18 both sit on the top
    // row, then the lowest (4 mV) and the last (8 mV).
    ASSERT_EQ(out.size(), 5u);
    EXPECT_EQ(out[0].y, 0);
    EXPECT_EQ(out[1].y, 6);
    EXPECT_EQ(out[2].y, 2);
    overlayPolyline({s, t, 1.0}, 0.0, plan, 11, 11, out);
    EXPECT_TRUE(out.empty()) << "a run left out draws nothing";
}

TEST(RunOverlay, AMillionPointRunShrinksToAFewPointsPerColumn) {
    std::vector<float> t(1'000'000), s(1'000'000);
    for (size_t i = 0; i < t.size(); ++i) {
        t[i] = 50.0f + 850.0f * static_cast<float>(i) / 1e6f;
        s[i] = 5.0f * std::sin(static_cast<float>(i) * 0.37f);  // wild noise
    }
    const OverlayRun run{s, t, 1.0};
    const OverlayPlan plan = planOverlay({&run, 1}, false);
    std::vector<PlotPoint> out;
    overlayPolyline(run, 1.0, plan, 800, 400, out);
    EXPECT_LE(out.size(), 4u * 800u);
    EXPECT_GE(out.size(), 2u * 700u) << "each column still shows its full swing";
}

}  // namespace
}  // namespace vespian
