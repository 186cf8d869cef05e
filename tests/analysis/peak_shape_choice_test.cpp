#include "analysis/peak_shape_choice.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <random>
#include <vector>

#include "analysis/desorption_kinetics.h"

namespace vespian {
namespace {

std::vector<float> withNoise(std::vector<float> signal, float noiseMv, unsigned seed) {
    std::mt19937 random(seed);
    std::normal_distribution<float> noise(0.0f, noiseMv);
    for (float& v : signal) v += noise(random);
    return signal;
}

TEST(PeakShapeChoice, FirstOrderDesorptionPeaksChooseTheDesorptionShape) {
    // Two sites desorbing along a 10 ℃/min ramp, a point every 0.2 s.
    std::vector<float> temperature(9000);
    for (size_t i = 0; i < temperature.size(); ++i) temperature[i] = 40.0f + static_cast<float>(i) / 30.0f;
    const std::vector<float> weak = polanyiWignerSignal(temperature, 0.2, 110.0, 1e13, 1.0, 3000.0);
    const std::vector<float> strong = polanyiWignerSignal(temperature, 0.2, 140.0, 1e13, 1.0, 5000.0);
    std::vector<float> signal(temperature.size());
    for (size_t i = 0; i < signal.size(); ++i) signal[i] = weak[i] + strong[i];
    signal = withNoise(signal, 0.05f, 4);
    const int32_t starts[] = {static_cast<int32_t>(std::max_element(weak.begin(), weak.end()) - weak.begin()),
                              static_cast<int32_t>(std::max_element(strong.begin(), strong.end()) - strong.begin())};
    const ShapeChoice choice = fitBestPeakShape(signal, temperature, starts);
    ASSERT_TRUE(choice.ok());
    ASSERT_EQ(choice.candidateCount, 2);
    const DeconvolutionResult& best = choice.best();
    EXPECT_EQ(best.shape, PeakShape::FirstOrderDesorption);
    EXPECT_LT(best.aic, choice.candidates[0].aic);
    EXPECT_GT(choice.candidates[0].relativeResidual, 5.0 * best.relativeResidual) << "a Gaussian misses the tails";
    EXPECT_NEAR(best.rmsResidualMv, 0.05, 0.005) << "only the noise is left";
    // Each site's gas (mV·s × 5 points a second) comes back in its component with a fair u.
    const double areas[] = {3000.0 * 5.0, 5000.0 * 5.0};
    for (int k = 0; k < 2; ++k) {
        const FitComponent& c = best.components[k];
        EXPECT_EQ(c.shape, PeakShape::FirstOrderDesorption);
        EXPECT_NEAR(c.area, areas[k], 0.01 * areas[k]) << k;
        EXPECT_GT(c.areaU, 0.0);
        EXPECT_LT(c.areaU, 0.005 * areas[k]);
        EXPECT_NEAR(c.maximumTemperatureC, temperature[starts[k]], 1.0);
        EXPECT_NEAR(componentValueAt(c, c.centreIndex), c.heightMv, 1e-12);
        EXPECT_LT(componentValueAt(c, c.centreIndex + 3.0 * c.risingWidth), 1e-5 * c.heightMv) << "it falls sharply";
        EXPECT_GT(componentValueAt(c, c.centreIndex - 3.0 * c.risingWidth), 0.05 * c.heightMv) << "and rises slowly";
    }
    EXPECT_EQ(best.covariance.size, 6);
    EXPECT_EQ(peakShapeName(best.shape), "一级脱附");
}

TEST(PeakShapeChoice, GaussianPeaksKeepTheGaussian) {
    std::vector<float> signal(1200);
    for (size_t i = 0; i < signal.size(); ++i) {
        const double z1 = (i - 450.0) / 50.0, z2 = (i - 640.0) / 60.0;
        signal[i] = static_cast<float>(8.0 * std::exp(-0.5 * z1 * z1) + 5.0 * std::exp(-0.5 * z2 * z2));
    }
    signal = withNoise(signal, 0.05f, 8);
    const int32_t starts[] = {440, 650};
    const std::array<PeakShape, 3> all = {PeakShape::Gaussian, PeakShape::FirstOrderDesorption,
                                          PeakShape::AsymmetricGaussian};
    const ShapeChoice choice = fitBestPeakShape(signal, {}, starts, all);
    ASSERT_TRUE(choice.ok());
    EXPECT_EQ(choice.best().shape, PeakShape::Gaussian);
    EXPECT_GT(choice.candidates[1].aic, choice.candidates[0].aic + 100.0);
    // The split Gaussian fits as well but pays for the widths it does not need.
    EXPECT_EQ(choice.candidates[2].parameterCount, 8);
    EXPECT_NEAR(choice.candidates[2].rmsResidualMv, choice.candidates[0].rmsResidualMv, 0.002);
    // Area u of a Gaussian by hand: ∂A/∂h = √(2π)σ, ∂A/∂σ = √(2π)h with the covariance's block.
    const DeconvolutionResult& g = choice.candidates[0];
    const double r = std::sqrt(2.0 * std::numbers::pi);
    const double dh = r * g.components[0].risingWidth, ds = r * g.components[0].heightMv;
    const double var = dh * dh * g.covariance.at(1, 1) + ds * ds * g.covariance.at(2, 2) + 2.0 * dh * ds * g.covariance.at(1, 2);
    EXPECT_NEAR(g.components[0].areaU, std::sqrt(var), 1e-9 * std::sqrt(var));
    EXPECT_NEAR(g.components[0].centreU, std::sqrt(g.covariance.at(0, 0)), 1e-12);
}

TEST(PeakShapeChoice, NoConvergedCandidateLeavesNoChoice) {
    const std::vector<float> zero(100, 0.0f);
    const int32_t starts[] = {50};
    const ShapeChoice choice = fitBestPeakShape(zero, {}, starts);
    EXPECT_FALSE(choice.ok());
    EXPECT_EQ(choice.best().status, FitStatus::NoSignal);
}

}  // namespace
}  // namespace vespian
