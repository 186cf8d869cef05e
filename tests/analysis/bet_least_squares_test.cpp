#include "analysis/bet_least_squares.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <vector>

namespace vespian {
namespace {

// The BET isotherm: V = Vm C x / ((1 − x)(1 + (C − 1) x)).
double betVolume(double x, double vm, double c) { return vm * c * x / ((1.0 - x) * (1.0 + (c - 1.0) * x)); }

TEST(BetLeastSquares, PointsOfAKnownIsothermGiveBackCAndTheMonolayer) {
    const std::vector<double> x = {0.06, 0.10, 0.15, 0.20, 0.25, 0.30};
    std::vector<double> v;
    for (double p : x) v.push_back(betVolume(p, 25.0, 120.0));
    const BetLeastSquares fit = fitBetLeastSquares(x, v);
    ASSERT_TRUE(fit.ok());
    EXPECT_NEAR(fit.cConstant, 120.0, 1e-7);
    EXPECT_NEAR(fit.monolayerMlPerG, 25.0, 1e-9);
    EXPECT_NEAR(fit.areaM2PerG, 109.0, 1e-7);  // 25 ml/g × 4.36 m²/ml
    EXPECT_NEAR(fit.intercept, 1.0 / (25.0 * 120.0), 1e-12);
    EXPECT_NEAR(fit.slope, 119.0 / (25.0 * 120.0), 1e-12);
    EXPECT_NEAR(fit.correlation, 1.0, 1e-12);
    EXPECT_EQ(fit.chosenCount, 6);
    EXPECT_EQ(fit.outsideRangeCount, 0);
    EXPECT_TRUE(fit.cPositive);
    EXPECT_TRUE(fit.uptakeRising);
    // 1 / (√120 + 1) = 1 / 11.954451 = 0.0836509, between 0.06 and 0.30.
    EXPECT_NEAR(fit.monolayerRelativePressure, 0.0836509, 1e-7);
    EXPECT_TRUE(fit.monolayerInRange);
    EXPECT_TRUE(fit.consistent());
    EXPECT_NEAR(fit.points[0].betY, 0.06 / (v[0] * 0.94), 1e-15);
}

TEST(BetLeastSquares, OnlyChosenPointsMakeTheLineAndPointsOutsideTheRangeAreFlagged) {
    // A point from high pressure (capillary condensation, far above the isotherm) is left out.
    const std::vector<double> x = {0.03, 0.10, 0.20, 0.30, 0.45};
    std::vector<double> v;
    for (double p : x) v.push_back(betVolume(p, 10.0, 80.0));
    v[4] *= 1.6;
    const std::array<bool, 5> chosen = {true, true, true, true, false};
    const BetLeastSquares fit = fitBetLeastSquares(x, v, chosen);
    ASSERT_TRUE(fit.ok());
    EXPECT_NEAR(fit.cConstant, 80.0, 1e-7);
    EXPECT_NEAR(fit.monolayerMlPerG, 10.0, 1e-9);
    EXPECT_TRUE(fit.points[0].outsideRange);
    EXPECT_FALSE(fit.points[3].outsideRange) << "0.30 belongs to the range";
    EXPECT_TRUE(fit.points[4].outsideRange);
    EXPECT_FALSE(fit.points[4].chosen);
    EXPECT_EQ(fit.outsideRangeCount, 1) << "only chosen points count";

    const BetLeastSquares all = fitBetLeastSquares(x, v);
    EXPECT_GT(std::abs(all.monolayerMlPerG - 10.0), 0.1) << "the condensed point bends the line";
}

TEST(BetLeastSquares, RouquerolCriteriaFailOnDataThatIsNoBetIsotherm) {
    // A microporous (type I) look: the BET line 0.05 x − 0.001 has a negative intercept, so
    // C = 1 + 0.05 / −0.001 = −49, and V (1 − x) = 25, 22.2, 21.4 falls.
    const std::vector<double> x = {0.1, 0.2, 0.3};
    std::vector<double> v;
    for (double p : x) v.push_back(p / ((0.05 * p - 0.001) * (1.0 - p)));
    const BetLeastSquares fit = fitBetLeastSquares(x, v);
    ASSERT_TRUE(fit.ok());
    EXPECT_NEAR(fit.intercept, -0.001, 1e-12);
    EXPECT_NEAR(fit.cConstant, -49.0, 1e-7);
    EXPECT_FALSE(fit.cPositive);
    EXPECT_FALSE(fit.uptakeRising);
    EXPECT_FALSE(fit.monolayerInRange);
    EXPECT_EQ(fit.monolayerRelativePressure, 0.0);
    EXPECT_FALSE(fit.consistent());
    EXPECT_NEAR(fit.monolayerMlPerG, 1.0 / 0.049, 1e-9) << "the line itself still has a Vm";

    // Rising V (1 − x) is judged in order of pressure, not in the order the points came.
    const std::vector<double> shuffledX = {0.3, 0.1, 0.2};
    std::vector<double> shuffledV;
    for (double p : shuffledX) shuffledV.push_back(betVolume(p, 20.0, 50.0));
    EXPECT_TRUE(fitBetLeastSquares(shuffledX, shuffledV).uptakeRising);
    // A plateau in V (1 − x) is not rising: 20 × 0.5 = 40 × 0.25.
    EXPECT_FALSE(fitBetLeastSquares(std::vector<double>{0.5, 0.75}, std::vector<double>{20.0, 40.0}).uptakeRising);
}

TEST(BetLeastSquares, PointSetsWithoutALineSayWhy) {
    using V = std::vector<double>;
    EXPECT_EQ(fitBetLeastSquares(V{0.1}, V{5.0}).status, BetFitStatus::TooFewPoints);
    EXPECT_EQ(fitBetLeastSquares(V{0.1, 0.2}, V{5.0}).status, BetFitStatus::TooFewPoints);
    const std::array<bool, 3> one = {false, true, false};
    EXPECT_EQ(fitBetLeastSquares(V{0.1, 0.2, 0.3}, V{5.0, 6.0, 7.0}, one).status, BetFitStatus::TooFewPoints);
    EXPECT_EQ(fitBetLeastSquares(V(40, 0.1), V(40, 5.0)).status, BetFitStatus::TooManyPoints);
    EXPECT_EQ(fitBetLeastSquares(V{0.1, 1.0}, V{5.0, 6.0}).status, BetFitStatus::InvalidPoint);
    EXPECT_EQ(fitBetLeastSquares(V{0.1, 0.2}, V{5.0, 0.0}).status, BetFitStatus::InvalidPoint);
    EXPECT_EQ(fitBetLeastSquares(V{0.1, std::nan("")}, V{5.0, 6.0}).status, BetFitStatus::InvalidPoint);
    const std::array<bool, 3> skipBad = {true, true, false};
    EXPECT_TRUE(fitBetLeastSquares(V{0.1, 0.2, 1.2}, V{5.0, 6.5, 7.0}, skipBad).ok())
        << "a bad point that is not chosen does not matter";
    EXPECT_EQ(fitBetLeastSquares(V{0.2, 0.2}, V{5.0, 6.0}).status, BetFitStatus::SamePressure);
    // Volumes rising a hundredfold make the line fall below 0 by P/Po = 1: no monolayer.
    const BetLeastSquares falling = fitBetLeastSquares(V{0.1, 0.3}, V{1.0, 100.0});
    EXPECT_EQ(falling.status, BetFitStatus::NonPhysicalLine);
    EXPECT_EQ(falling.monolayerMlPerG, 0.0);
    EXPECT_EQ(falling.areaM2PerG, 0.0);
}

}  // namespace
}  // namespace vespian
