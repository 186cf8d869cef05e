#include "analysis/kissinger.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace vespian {
namespace {

constexpr double kZeroC = 273.15;

TEST(Kissinger, SyntheticFirstOrderMaximaGiveBackTheEnergyAndFrequencyFactor) {
    for (double energy : {90.0e3, 150.0e3, 210.0e3}) {
        std::vector<double> rates = {5.0, 10.0, 20.0, 30.0}, tm;
        for (double beta : rates) {
            const double t = firstOrderPeakTemperatureK(beta, energy, 1e13);
            ASSERT_GT(t, 300.0);
            // The root satisfies the maximum condition of first-order desorption.
            const double lhs = energy * beta / 60.0 / (kGasConstantJPerMolK * t * t);
            const double rhs = 1e13 * std::exp(-energy / (kGasConstantJPerMolK * t));
            ASSERT_NEAR(lhs / rhs, 1.0, 1e-12);
            tm.push_back(t - kZeroC);
        }
        EXPECT_LT(tm[0], tm[3]) << "faster heating, later maximum";
        const KissingerFit fit = kissingerFit(rates, tm);
        ASSERT_TRUE(fit.ok());
        EXPECT_NEAR(fit.energyKJPerMol, energy / 1000.0, 1e-6 * energy / 1000.0);
        EXPECT_NEAR(fit.frequencyFactorPerS / 1e13, 1.0, 1e-6);
        EXPECT_NEAR(fit.rSquared, 1.0, 1e-12);
        EXPECT_TRUE(fit.hasStandardError);
        EXPECT_LT(fit.energyStandardErrorKJPerMol, 1e-6);
        ASSERT_EQ(fit.count, 4);
        EXPECT_NEAR(fit.points[1].inverseTmPerK, 1.0 / (tm[1] + kZeroC), 1e-15);
        EXPECT_NEAR(fit.points[1].lnRateOverTm2, std::log(10.0 / std::pow(tm[1] + kZeroC, 2)), 1e-12);
    }
}

TEST(Kissinger, StandardErrorAndRSquaredOfScatteredPointsByHand) {
    // 1/Tm at 0.0020, 0.0019, 0.0018 /K, ordinates on a line of slope −18000 K with the
    // scatter +δ, −2δ, +δ (δ = 0.01), which leaves the least-squares line where it is.
    // Slope error √(6δ² / (3 − 2) / 2e−8) = 173.2051 K, × R = 1.440107 kJ/mol.
    // r² = 1 − 6e−4 / (1.79² + 0.02² + 1.81²) = 1 − 6e−4 / 6.4806.
    const double x[3] = {0.0020, 0.0019, 0.0018};
    const double scatter[3] = {0.01, -0.02, 0.01};
    std::vector<double> rates, tm;
    for (int i = 0; i < 3; ++i) {
        const double t = 1.0 / x[i];
        const double y = -8.0 - 18000.0 * (x[i] - 0.0019) + scatter[i];
        rates.push_back(t * t * std::exp(y));
        tm.push_back(t - kZeroC);
    }
    const KissingerFit fit = kissingerFit(rates, tm);
    ASSERT_TRUE(fit.ok());
    EXPECT_NEAR(fit.slopeK, -18000.0, 1e-6);
    EXPECT_NEAR(fit.energyKJPerMol, 18000.0 * 8.314462618 / 1000.0, 1e-8);
    EXPECT_NEAR(fit.energyStandardErrorKJPerMol, 1.440107, 1e-6);
    EXPECT_NEAR(fit.rSquared, 1.0 - 6e-4 / 6.4806, 1e-9);
    EXPECT_NEAR(fit.intercept, -8.0 + 18000.0 * 0.0019, 1e-8);
}

TEST(Kissinger, TwoRunsGiveALineWithoutAnError) {
    const KissingerFit fit = kissingerFit(std::vector<double>{5.0, 20.0}, std::vector<double>{250.0, 280.0});
    ASSERT_TRUE(fit.ok());
    EXPECT_FALSE(fit.hasStandardError);
    EXPECT_EQ(fit.energyStandardErrorKJPerMol, 0.0);
    EXPECT_DOUBLE_EQ(fit.rSquared, 1.0);
    // By hand: slope = (ln(20/553.15²) − ln(5/523.15²)) / (1/553.15 − 1/523.15).
    const double slope = (std::log(20.0 / (553.15 * 553.15)) - std::log(5.0 / (523.15 * 523.15))) /
                         (1.0 / 553.15 - 1.0 / 523.15);
    EXPECT_NEAR(fit.energyKJPerMol, -slope * 8.314462618 / 1000.0, 1e-9);
}

TEST(Kissinger, RunsThatCannotMakeALineSayWhy) {
    using V = std::vector<double>;
    EXPECT_EQ(kissingerFit(V{10.0}, V{300.0}).status, KissingerStatus::TooFewRuns);
    EXPECT_EQ(kissingerFit(V{10.0, 20.0}, V{300.0}).status, KissingerStatus::TooFewRuns);
    EXPECT_EQ(kissingerFit(V(40, 10.0), V(40, 300.0)).status, KissingerStatus::TooManyRuns);
    EXPECT_EQ(kissingerFit(V{10.0, 0.0}, V{300.0, 310.0}).status, KissingerStatus::InvalidRate);
    EXPECT_EQ(kissingerFit(V{10.0, std::nan("")}, V{300.0, 310.0}).status, KissingerStatus::InvalidRate);
    EXPECT_EQ(kissingerFit(V{10.0, 20.0}, V{300.0, -280.0}).status, KissingerStatus::InvalidTemperature);
    const KissingerFit same = kissingerFit(V{10.0, 20.0}, V{300.0, 300.0});
    EXPECT_EQ(same.status, KissingerStatus::SameTemperature);
    EXPECT_EQ(same.energyKJPerMol, 0.0);

    // Faster heating with an earlier maximum: the line rises, the plot still has its points.
    const KissingerFit rising = kissingerFit(V{5.0, 10.0, 20.0}, V{320.0, 310.0, 300.0});
    EXPECT_EQ(rising.status, KissingerStatus::EnergyNotPositive);
    EXPECT_EQ(rising.count, 3);
    EXPECT_GT(rising.slopeK, 0.0);
    EXPECT_EQ(rising.energyKJPerMol, 0.0);
    EXPECT_EQ(rising.frequencyFactorPerS, 0.0);
}

TEST(Kissinger, PeakTemperatureOfUnphysicalKineticsIsZero) {
    EXPECT_EQ(firstOrderPeakTemperatureK(0.0, 1e5, 1e13), 0.0);
    EXPECT_EQ(firstOrderPeakTemperatureK(10.0, -1e5, 1e13), 0.0);
    EXPECT_EQ(firstOrderPeakTemperatureK(10.0, 1e5, 0.0), 0.0);
}

}  // namespace
}  // namespace vespian
