#include "analysis/gaussian_fit.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <numbers>
#include <random>
#include <vector>

namespace vespian {
namespace {

struct TruePeak {
    double centre, height, rising, falling;
    double area() const { return height * std::sqrt(std::numbers::pi / 2.0) * (rising + falling); }
};

std::vector<float> synthesise(int n, std::initializer_list<TruePeak> peaks, float noiseMv, unsigned seed) {
    std::mt19937 random(seed);
    std::normal_distribution<float> noise(0.0f, noiseMv);
    std::vector<float> signal(n);
    for (int i = 0; i < n; ++i) {
        double v = 0.0;
        for (const TruePeak& p : peaks) {
            const double z = (i - p.centre) / (i < p.centre ? p.rising : p.falling);
            v += p.height * std::exp(-0.5 * z * z);
        }
        signal[i] = static_cast<float>(v) + (noiseMv > 0.0f ? noise(random) : 0.0f);
    }
    return signal;
}

std::vector<float> rampC(int n) {
    std::vector<float> t(n);
    for (int i = 0; i < n; ++i) t[i] = 50.0f + 0.5f * static_cast<float>(i);
    return t;
}

TEST(Deconvolution, TwoOverlappingGaussiansInNoiseAreRecoveredWithinTwoPercent) {
    // Separated by 2.7 widths of the first: one lump with a shoulder to the eye.
    const TruePeak a{400.0, 10.0, 40.0, 40.0}, b{520.0, 6.0, 50.0, 50.0};
    const std::vector<float> signal = synthesise(1000, {a, b}, 0.1f, 11);
    const std::vector<float> temperature = rampC(1000);
    const int32_t starts[] = {395, 540};  // where the operator clicked, a little off
    const DeconvolutionResult fit = fitPeakComponents(signal, temperature, starts);
    ASSERT_TRUE(fit.converged()) << static_cast<int>(fit.status);
    ASSERT_EQ(fit.componentCount, 2);
    const FitComponent& first = fit.components[0];
    const FitComponent& second = fit.components[1];
    for (auto [found, truth] : {std::pair{first, a}, std::pair{second, b}}) {
        EXPECT_NEAR(found.centreIndex, truth.centre, 0.02 * truth.rising) << truth.centre;
        EXPECT_NEAR(found.area, truth.area(), 0.02 * truth.area()) << truth.centre;
        EXPECT_NEAR(found.heightMv, truth.height, 0.02 * truth.height) << truth.centre;
        EXPECT_DOUBLE_EQ(found.risingWidth, found.fallingWidth);
    }
    EXPECT_NEAR(first.maximumTemperatureC, 250.0f, 0.5f);
    EXPECT_NEAR(second.maximumTemperatureC, 310.0f, 0.5f);
    const double shareA = a.area() / (a.area() + b.area());
    EXPECT_NEAR(first.areaShare, shareA, 0.01);
    EXPECT_NEAR(first.areaShare + second.areaShare, 1.0, 1e-12);
    EXPECT_NEAR(fit.rmsResidualMv, 0.1, 0.01) << "what is left is the noise";
    EXPECT_LT(fit.relativeResidual, 0.05);
    EXPECT_NEAR(fittedValueAt(fit, 400.0), componentValueAt(first, 400.0) + componentValueAt(second, 400.0), 1e-12);
    EXPECT_NEAR(componentValueAt(first, first.centreIndex), first.heightMv, 1e-12);
}

TEST(Deconvolution, StartingOrderIsKeptAndNoiseFreeDataIsMetExactly) {
    const TruePeak a{300.0, 4.0, 25.0, 25.0}, b{360.0, 9.0, 30.0, 30.0}, c{480.0, 5.0, 35.0, 35.0};
    const std::vector<float> signal = synthesise(800, {a, b, c}, 0.0f, 1);
    const int32_t starts[] = {470, 290, 365};
    const DeconvolutionResult fit = fitPeakComponents(signal, {}, starts);
    ASSERT_TRUE(fit.converged());
    EXPECT_NEAR(fit.components[0].centreIndex, 480.0, 1e-3);
    EXPECT_NEAR(fit.components[1].centreIndex, 300.0, 1e-3);
    EXPECT_NEAR(fit.components[2].centreIndex, 360.0, 1e-3);
    EXPECT_NEAR(fit.components[2].area, b.area(), 1e-4 * b.area());
    EXPECT_LT(fit.rmsResidualMv, 1e-5) << "float rounding of the signal is all that is left";
    EXPECT_EQ(fit.components[0].maximumTemperatureC, 0.0f) << "no temperature given";
}

TEST(Deconvolution, AsymmetricComponentsRecoverBothFlanks) {
    // Desorption peaks rise slowly and fall fast.
    const TruePeak a{350.0, 8.0, 45.0, 20.0}, b{450.0, 5.0, 40.0, 18.0};
    const std::vector<float> signal = synthesise(900, {a, b}, 0.05f, 5);
    const int32_t starts[] = {340, 440};
    FitOptions options;
    options.shape = PeakShape::AsymmetricGaussian;
    const DeconvolutionResult fit = fitPeakComponents(signal, rampC(900), starts, options);
    ASSERT_TRUE(fit.converged());
    EXPECT_EQ(fit.shape, PeakShape::AsymmetricGaussian);
    for (auto [found, truth] : {std::pair{fit.components[0], a}, std::pair{fit.components[1], b}}) {
        EXPECT_NEAR(found.centreIndex, truth.centre, 2.0);
        EXPECT_NEAR(found.risingWidth, truth.rising, 0.03 * truth.rising);
        EXPECT_NEAR(found.fallingWidth, truth.falling, 0.03 * truth.falling);
        EXPECT_NEAR(found.area, truth.area(), 0.02 * truth.area());
    }
    // A symmetric fit of the same lopsided peaks misses: it cannot meet the signal as well.
    const DeconvolutionResult symmetric = fitPeakComponents(signal, rampC(900), starts);
    EXPECT_GT(symmetric.rmsResidualMv, 3.0 * fit.rmsResidualMv);
}

TEST(Deconvolution, AFitThatRunsOutOfIterationsSaysSo) {
    const std::vector<float> signal = synthesise(1000, {{400.0, 10.0, 40.0, 40.0}, {520.0, 6.0, 50.0, 50.0}}, 0.1f, 2);
    const int32_t starts[] = {300, 700};
    FitOptions options;
    options.maxIterations = 1;
    const DeconvolutionResult fit = fitPeakComponents(signal, {}, starts, options);
    EXPECT_EQ(fit.status, FitStatus::NotConverged);
    EXPECT_FALSE(fit.converged());
    EXPECT_EQ(fit.iterations, 1);
    for (const FitComponent& c : fit.list()) {
        EXPECT_TRUE(std::isfinite(c.area));
        EXPECT_TRUE(std::isfinite(c.centreIndex));
    }
}

TEST(Deconvolution, StartsAndSignalsItCannotWorkWithAreRefusedWithoutComponents) {
    const std::vector<float> signal = synthesise(200, {{100.0, 3.0, 10.0, 10.0}}, 0.0f, 1);
    auto statusOf = [](std::span<const float> s, std::vector<int32_t> starts) {
        const DeconvolutionResult fit = fitPeakComponents(s, {}, starts);
        EXPECT_EQ(fit.componentCount, 0);
        return fit.status;
    };
    EXPECT_EQ(statusOf(signal, {}), FitStatus::NoComponents);
    EXPECT_EQ(statusOf(signal, {1, 2, 3, 4, 5, 6, 7, 8, 9}), FitStatus::TooManyComponents);
    EXPECT_EQ(statusOf(signal, {100, 200}), FitStatus::StartOutside);
    EXPECT_EQ(statusOf(signal, {-1}), FitStatus::StartOutside);
    EXPECT_EQ(statusOf(signal, {100, 100}), FitStatus::StartsTooClose);
    EXPECT_EQ(statusOf(std::vector<float>(6, 1.0f), {2, 3}), FitStatus::TooFewPoints);
    EXPECT_EQ(statusOf(std::vector<float>(50, 0.0f), {25}), FitStatus::NoSignal);
    std::vector<float> broken = signal;
    broken[150] = std::numeric_limits<float>::quiet_NaN();
    EXPECT_EQ(statusOf(broken, {100}), FitStatus::NonFiniteSignal);
}

TEST(Deconvolution, AStartOnEmptyBaselineFadesAwayWithoutBreakingTheFit) {
    // One real peak and a click far out on the noise: the extra component shrinks to nothing
    // (or to a wisp of noise) and the real one keeps its area.
    const TruePeak a{300.0, 7.0, 30.0, 30.0};
    const std::vector<float> signal = synthesise(1000, {a}, 0.05f, 9);
    const int32_t starts[] = {300, 800};
    const DeconvolutionResult fit = fitPeakComponents(signal, {}, starts);
    ASSERT_NE(fit.componentCount, 0);
    for (const FitComponent& c : fit.list()) {
        EXPECT_TRUE(std::isfinite(c.area) && std::isfinite(c.risingWidth) && std::isfinite(c.areaShare));
        EXPECT_GE(c.heightMv, 0.0);
    }
    EXPECT_NEAR(fit.components[0].area, a.area(), 0.02 * a.area());
    EXPECT_LT(fit.components[1].areaShare, 0.02);
}

TEST(Deconvolution, TemperatureIsInterpolatedBetweenPointsAndClampedToTheStretch) {
    const std::vector<float> t = {100.0f, 102.0f, 110.0f};
    EXPECT_FLOAT_EQ(temperatureAtIndex(t, 0.5), 101.0f);
    EXPECT_FLOAT_EQ(temperatureAtIndex(t, 1.25), 104.0f);
    EXPECT_FLOAT_EQ(temperatureAtIndex(t, 2.0), 110.0f);
    EXPECT_FLOAT_EQ(temperatureAtIndex(t, 7.0), 110.0f);
    EXPECT_FLOAT_EQ(temperatureAtIndex(t, -3.0), 100.0f);
    EXPECT_FLOAT_EQ(temperatureAtIndex(t, std::numeric_limits<double>::quiet_NaN()), 100.0f);
    EXPECT_FLOAT_EQ(temperatureAtIndex({}, 1.0), 0.0f);
}

}  // namespace
}  // namespace vespian
