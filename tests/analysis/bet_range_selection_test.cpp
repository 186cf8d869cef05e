#include "analysis/bet_range_selection.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

namespace vespian {
namespace {

double betVolume(double x, double vm, double c) { return vm * c * x / ((1.0 - x) * (1.0 + (c - 1.0) * x)); }

TEST(BetRangeSelection, ASyntheticIsothermGetsItsBetRangeAndCWithinTwoPercent) {
    // C = 100, Vm = 20 ml/g between 0.05 and 0.30 with 0.1 % scatter; below it micropores fill
    // (uptake well above the BET curve), above it the uptake levels off. Given out of order.
    const std::vector<double> x = {0.20, 0.01, 0.08, 0.35, 0.02, 0.05, 0.11, 0.15, 0.25, 0.30};
    std::mt19937 random(9);
    std::normal_distribution<double> scatter(1.0, 0.001);
    std::vector<double> v;
    for (double p : x) {
        double volume = betVolume(p, 20.0, 100.0) * scatter(random);
        if (p < 0.04) volume = 20.0 * (p < 0.015 ? 0.95 : 1.02);  // filled micropores
        if (p > 0.32) volume = 27.0;                                // the plateau
        v.push_back(volume);
    }
    const BetRangeSelection s = selectBetRange(x, v);
    ASSERT_EQ(s.order.size(), 10u);
    EXPECT_EQ(s.order.front(), 1) << "0.01 first";
    // Every run of 3 to 10 neighbours: 8 + 7 + … + 1.
    EXPECT_EQ(s.ranges.size(), 36u);
    ASSERT_TRUE(s.ok());
    const BetRange& r = *s.proposal();
    EXPECT_DOUBLE_EQ(r.lowPressure, 0.05);
    EXPECT_DOUBLE_EQ(r.highPressure, 0.30);
    EXPECT_EQ(r.pointCount, 7);
    EXPECT_NEAR(r.cConstant, 100.0, 2.0);
    EXPECT_NEAR(r.monolayerMlPerG, 20.0, 0.2);
    EXPECT_NEAR(r.monolayerPressure, r.cPressure, 0.1 * r.cPressure);
    const std::vector<bool> chosen = s.chosenPoints(x.size());
    for (size_t i = 0; i < x.size(); ++i) EXPECT_EQ(chosen[i], x[i] >= 0.05 && x[i] <= 0.30) << x[i];
    EXPECT_EQ(betRangeReasons(r), "通过");

    // Why the others fail: the micropore points break the rising uptake, the plateau too, and a
    // range above the monolayer misses it.
    for (const BetRange& other : s.ranges) {
        if (other.passes()) {
            EXPECT_LE(other.pointCount, 7);
            continue;
        }
        EXPECT_NE(betRangeReasons(other), "通过");
        if (other.highPressure > 0.32) EXPECT_TRUE(other.failures & kBetRangeUptakeNotRising);
        if (other.lowPressure >= 0.11 && other.highPressure <= 0.30) {
            EXPECT_TRUE(other.failures & kBetRangeMonolayerOutside) << other.lowPressure << "–" << other.highPressure;
        }
    }
}

TEST(BetRangeSelection, MicroporousPointsLeaveNoRangeAndUnusablePointsAreLeftOut) {
    // V (1 − x) falls throughout: a type I isotherm has no BET range.
    const std::vector<double> x = {0.05, 0.1, 0.2, 0.3, 1.2};
    std::vector<double> v = {25.0, 25.5, 25.8, 26.0, 30.0};
    const BetRangeSelection s = selectBetRange(x, v);
    EXPECT_EQ(s.order.size(), 4u) << "P/Po 1.2 is no measurement";
    EXPECT_EQ(s.ranges.size(), 3u);
    EXPECT_FALSE(s.ok());
    EXPECT_EQ(s.proposal(), nullptr);
    for (const BetRange& r : s.ranges) EXPECT_TRUE(r.failures & kBetRangeUptakeNotRising);
    EXPECT_EQ(s.chosenPoints(5), std::vector<bool>(5, false));
    EXPECT_FALSE(selectBetRange(std::vector<double>{0.1, 0.2}, std::vector<double>{5.0, 6.0}).ok());
}

}  // namespace
}  // namespace vespian
