#include "analysis/result_uncertainty.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <random>
#include <vector>

#include "analysis/bet.h"
#include "analysis/bet_least_squares.h"
#include "analysis/desorption_test.h"
#include "files/test_report.h"
#include "support/titration_header.h"

namespace vespian {
namespace {

// The spread (standard deviation) of `draw` over 1,000 seeded repetitions.
double monteCarloSpread(const std::function<double(std::mt19937&)>& draw, unsigned seed) {
    std::mt19937 random(seed);
    double sum = 0.0, squares = 0.0;
    constexpr int kRepetitions = 1000;
    for (int i = 0; i < kRepetitions; ++i) {
        const double v = draw(random);
        sum += v;
        squares += v * v;
    }
    const double mean = sum / kRepetitions;
    return std::sqrt((squares - kRepetitions * mean * mean) / (kRepetitions - 1));
}

double normal(std::mt19937& random, double value, double u) { return std::normal_distribution<double>(value, u)(random); }

TEST(Propagation, AProductAndQuotientByHandWithItsBudget) {
    // y = a·b / c: (u/y)² = (ua/a)² + (ub/b)² + (uc/c)² to first order; d has no uncertainty.
    const InputQuantity inputs[] = {{"a", 4.0, 0.04}, {"b", 10.0, 0.3}, {"c", 2.0, 0.01}, {"d", 7.0, 0.0}};
    const auto r = propagate(inputs, 2, [](std::span<const double> x, std::span<double> out) {
        out[0] = x[0] * x[1] / x[2] + 0.0 * x[3];
        out[1] = x[2] > 2.0 ? std::nan("") : x[0];  // leaves its domain above c = 2
    });
    ASSERT_EQ(r.size(), 2u);
    ASSERT_TRUE(r[0].value.ok);
    EXPECT_DOUBLE_EQ(r[0].value.value, 20.0);
    const double relative = std::sqrt(0.01 * 0.01 + 0.03 * 0.03 + 0.005 * 0.005);
    EXPECT_NEAR(r[0].value.u / 20.0, relative, 1e-4 * relative);
    ASSERT_EQ(r[0].budget.size(), 3u) << "an exact input adds no line";
    EXPECT_EQ(r[0].budget[1].name, "b");
    EXPECT_NEAR(r[0].budget[1].contribution, 0.6, 1e-12);
    EXPECT_LT(r[0].budget[2].contribution, 0.0) << "a larger divisor lowers the result";
    EXPECT_NEAR(r[0].value.expanded(), 2.0 * r[0].value.u, 1e-15);
    EXPECT_EQ(uncertainText(r[0].value, "%.2f"), "20.00 ± 0.64");  // 20 × 0.03202
    EXPECT_NE(uncertainText(r[0].value, "%.2f", true).find("(k=2)"), std::string::npos);
    // One side out of the domain: the other side gives the sensitivity.
    ASSERT_TRUE(r[1].value.ok);
    EXPECT_NEAR(r[1].value.u, 0.04, 1e-15);

    const auto none = propagate(inputs, 1, [](std::span<const double>, std::span<double> out) { out[0] = std::nan(""); });
    EXPECT_FALSE(none[0].value.ok);
    EXPECT_TRUE(none[0].budget.empty());
    EXPECT_EQ(uncertainText(none[0].value, "%.2f"), "—");
}

TEST(StatedUncertainties, NoiseWeightAndCalibrationScatterByHand) {
    EXPECT_NEAR(weightUncertaintyG(0.0001), 0.0001 * std::sqrt(2.0 / 12.0), 1e-18);
    // White noise of 0.1 mV on a peak and a drift: the neighbour differences see the noise only.
    std::mt19937 random(5);
    std::normal_distribution<float> noise(0.0f, 0.1f);
    std::vector<float> signal(20000);
    for (size_t i = 0; i < signal.size(); ++i) {
        const double z = (static_cast<double>(i) - 10000.0) / 800.0;
        signal[i] = static_cast<float>(20.0 * std::exp(-0.5 * z * z) + 1e-4 * i) + noise(random);
    }
    EXPECT_NEAR(pointNoiseMv(signal), 0.1, 0.005);
    EXPECT_EQ(pointNoiseMv(std::vector<float>{1.0f, 2.0f}), 0.0);
    // σ √(N + N²/Nb): 0.1 √(400 + 160000/100) = 0.1 √2000.
    EXPECT_NEAR(integratedAreaUncertainty(0.1, 400, 100), 0.1 * std::sqrt(2000.0), 1e-12);
    EXPECT_NEAR(integratedAreaUncertainty(0.1, 400), 2.0, 1e-12);
    const CalibrationScatter s = calibrationScatter(std::vector<double>{10.0, 12.0, 14.0});
    EXPECT_EQ(s.count, 3);
    EXPECT_DOUBLE_EQ(s.meanArea, 12.0);
    EXPECT_DOUBLE_EQ(s.standardDeviation, 2.0);
    EXPECT_NEAR(s.meanUncertainty, 2.0 / std::sqrt(3.0), 1e-15);
    EXPECT_EQ(calibrationScatter(std::vector<double>{10.0}).standardDeviation, 0.0);
}

const StatedUncertainties kStated{};  // the defaults

TEST(ResultUncertainty, TheAmountsSpreadInMonteCarloAsPropagated) {
    const AreaWithUncertainty peak{5000.0, 40.0}, reference{12000.0, 90.0};
    const GasLoop loop{0.5, 25.0, 101.3};
    const double weight = 0.0500;
    const AmountUncertainty a = peakAmountUncertainty(peak, reference, loop, weight, kStated);
    ASSERT_TRUE(a.micromol.value.ok && a.micromolPerGram.value.ok);
    EXPECT_NEAR(a.micromol.value.value, peakAmount(5000.0, 12000.0, loop, weight).micromol, 1e-12);
    const double uWeight = weightUncertaintyG(kStated.balanceResolutionG);
    auto draw = [&](std::mt19937& r, bool perGram) {
        const GasAmount g = peakAmount(normal(r, peak.area, peak.u), normal(r, reference.area, reference.u),
                                       GasLoop{normal(r, 0.5, 0.005), normal(r, 25.0, 0.5), normal(r, 101.3, 0.3)},
                                       normal(r, weight, uWeight));
        return perGram ? g.micromolPerGram : g.micromol;
    };
    const double spread = monteCarloSpread([&](std::mt19937& r) { return draw(r, false); }, 11);
    EXPECT_NEAR(a.micromol.value.u, spread, 0.2 * spread);
    const double spreadPerGram = monteCarloSpread([&](std::mt19937& r) { return draw(r, true); }, 12);
    EXPECT_NEAR(a.micromolPerGram.value.u, spreadPerGram, 0.2 * spreadPerGram);
    EXPECT_GT(a.micromolPerGram.value.relative(), a.micromol.value.relative()) << "the weight adds to it";

    const AmountUncertainty noWeight = peakAmountUncertainty(peak, reference, loop, 0.0, kStated);
    EXPECT_EQ(noWeight.status, UptakeStatus::NoSampleWeight);
    EXPECT_TRUE(noWeight.micromol.value.ok);
    EXPECT_FALSE(noWeight.micromolPerGram.value.ok);
}

TEST(ResultUncertainty, TheDispersionSpreadsInMonteCarloAsPropagated) {
    // Six pulses on 1 % platinum: uptake falling to saturation.
    const std::vector<double> areas = {2000.0, 5200.0, 8100.0, 9600.0, 9950.0, 10010.0};
    TitrationInput input;
    input.fullPulseArea = 10000.0;
    input.loop = {0.05, 30.0, 101.3};
    input.sampleWeightG = 0.2000;
    input.metalContent = MetalContent::fromPercent(1.0);
    const double pulseU = 30.0, fullU = 50.0;
    const TitrationUncertainty t = titrationUptakeUncertainty(areas, pulseU, input, fullU, kStated);
    ASSERT_TRUE(t.dispersion.value.ok && t.particleSizeNm.value.ok && t.metalAreaPerGramSampleM2.value.ok);
    const TitrationUptake nominal = titrationUptake(areas, input);
    EXPECT_NEAR(t.dispersion.value.value, nominal.dispersion.value, 1e-12);
    EXPECT_GT(t.dispersion.value.u, 0.0);
    const double spread = monteCarloSpread(
        [&](std::mt19937& r) {
            std::vector<double> a;
            for (double v : areas) a.push_back(normal(r, v, pulseU));
            TitrationInput in = input;
            in.fullPulseArea = normal(r, 10000.0, fullU);
            in.loop = {normal(r, 0.05, 0.0005), normal(r, 30.0, 0.5), normal(r, 101.3, 0.3)};
            in.sampleWeightG = normal(r, 0.2, weightUncertaintyG(kStated.balanceResolutionG));
            return titrationUptake(a, in).dispersion.value;
        },
        21);
    EXPECT_NEAR(t.dispersion.value.u, spread, 0.2 * spread);
    // Size ∝ 1/D and the metal area ∝ D: the same relative uncertainty.
    EXPECT_NEAR(t.particleSizeNm.value.relative(), t.dispersion.value.relative(), 0.02 * t.dispersion.value.relative());
    EXPECT_NEAR(t.metalAreaPerGramSampleM2.value.relative(), t.dispersion.value.relative(),
                1e-6 * t.dispersion.value.relative());
    // The full pulse is shared by every pulse: its line in the budget is the largest here.
    double largest = 0.0;
    std::string_view name;
    for (const BudgetLine& b : t.dispersion.budget) {
        if (std::abs(b.contribution) > largest) {
            largest = std::abs(b.contribution);
            name = b.name;
        }
    }
    EXPECT_EQ(name, "定量峰面积");
}

// A committed BET record of six points on an isotherm of C = 100, Vm = 20 ml/g, as the point
// and calibration dialogs leave it.
SurfaceReportRecord betRecord() {
    SurfaceReportRecord r{};
    r.weight_mg = 150.0f;
    r.calib_volume_ml = 1.0f;
    r.n2_temp_c = 20.0f;
    r.ads_pressure_kpa = 101.3f;
    r.p0_kpa = 103.0f;
    r.point_count = 6;
    r.calib_count = 6;
    const double n2[] = {6.0, 9.0, 12.0, 16.0, 20.0, 25.0};
    for (int k = 0; k < 6; ++k) {
        r.n2_flow[k] = static_cast<float>(n2[k]);
        r.he_flow[k] = static_cast<float>(100.0 - n2[k]);
        const double x = n2[k] / 100.0 * 101.3 / 103.0;
        const double v = 20.0 * 100.0 * x / ((1.0 - x) * (1.0 + 99.0 * x));  // ml/g at 273 K
        // Back to ml measured at the loop: the inverse of the record's normalisation.
        const double measured = v * (0.150) * 101.3 / 101.3 * (20.0 + 273.0) / 273.0;
        r.calib_area[k] = 20000;
        r.peak_area[k] = static_cast<int32_t>(std::lround(measured / 1.0 * 20000.0));
    }
    BetRawVolumes raw;
    for (int k = 0; k < 6; ++k) r.volume[k] = static_cast<float>(measuredVolumeMl(r.peak_area[k], r.calib_volume_ml, r.calib_area[k]));
    ComputeBet(r, raw, true);
    return r;
}

TEST(ResultUncertainty, TheBetAreaSpreadsInMonteCarloAsPropagated) {
    const SurfaceReportRecord record = betRecord();
    const std::vector<double> peakU(6, 60.0), calibU(6, 40.0);
    const BetUncertainty b = betUncertainty(record, peakU, calibU, {}, kStated);
    ASSERT_TRUE(b.areaM2g.value.ok && b.cConstant.value.ok && b.writtenAreaM2g.value.ok);
    EXPECT_NEAR(b.areaM2g.value.value, 20.0 * 4.36, 0.01 * 20.0 * 4.36);
    EXPECT_NEAR(b.cConstant.value.value, 100.0, 2.0);
    EXPECT_NEAR(b.writtenAreaM2g.value.value, record.bet_area, 1e-4);
    EXPECT_GT(b.areaM2g.value.u, 0.0);
    EXPECT_EQ(b.areaM2g.budget.size(), 6u * 4u + 5u);

    // The program's own chain at each draw: areas as the peak table holds them (whole numbers),
    // the measured volume, the record's normalisation and the least-squares line.
    const double uWeightMg = 1000.0 * weightUncertaintyG(kStated.balanceResolutionG);
    const double spread = monteCarloSpread(
        [&](std::mt19937& r) {
            SurfaceReportRecord s = record;
            s.calib_volume_ml = static_cast<float>(normal(r, 1.0, 0.01));
            s.n2_temp_c = static_cast<float>(normal(r, 20.0, 0.5));
            s.ads_pressure_kpa = static_cast<float>(normal(r, 101.3, 0.3));
            s.p0_kpa = static_cast<float>(normal(r, 103.0, 0.3));
            s.weight_mg = static_cast<float>(normal(r, 150.0, uWeightMg));
            BetRawVolumes raw;
            for (int k = 0; k < 6; ++k) {
                s.peak_area[k] = static_cast<int32_t>(std::lround(normal(r, record.peak_area[k], 60.0)));
                s.calib_area[k] = static_cast<int32_t>(std::lround(normal(r, record.calib_area[k], 40.0)));
                s.n2_flow[k] = static_cast<float>(normal(r, record.n2_flow[k], 0.01 * record.n2_flow[k]));
                s.he_flow[k] = static_cast<float>(normal(r, record.he_flow[k], 0.01 * record.he_flow[k]));
                raw.volume[k] = static_cast<float>(measuredVolumeMl(s.peak_area[k], s.calib_volume_ml, s.calib_area[k]));
            }
            ComputeBet(s, raw, false);
            std::vector<double> x, v;
            for (int k = 0; k < 6; ++k) {
                x.push_back(s.rel_pressure[k]);
                v.push_back(s.volume[k]);
            }
            return fitBetLeastSquares(x, v).areaM2PerG;
        },
        31);
    EXPECT_NEAR(b.areaM2g.value.u, spread, 0.2 * spread);
}

TEST(ResultUncertainty, WrittenReportsByHand) {
    // Desorbed total = V / A_pulse × A_desorbed: relative uncertainties add in quadrature.
    const TestReportHeader h = testing::handWorkedTitration();
    const DesorbedAmountUncertainty d = desorbedAmountUncertainty(h, 10.0, 20.0, kStated);
    ASSERT_TRUE(d.totalMl.value.ok);
    EXPECT_NEAR(d.totalMl.value.value, 1.5, 1e-6);
    const double rel = std::sqrt(0.01 * 0.01 + 0.01 * 0.01 + (20.0 / 3000.0) * (20.0 / 3000.0));
    EXPECT_NEAR(d.totalMl.value.relative(), rel, 1e-3 * rel);
    const double uw = weightUncertaintyG(kStated.balanceResolutionG) / 0.25;
    EXPECT_NEAR(d.perGramMl.value.relative(), std::sqrt(rel * rel + uw * uw), 1e-3 * rel);

    // Titration: adsorbed = 8 × 0.5 − 1.5 = 2.5 ml; the loop volume enters both terms.
    const WrittenTitrationUncertainty t = writtenTitrationUncertainty(h, 10.0, 20.0, kStated);
    ASSERT_TRUE(t.adsorbedVolumeMl.value.ok && t.dispersion.value.ok && t.activeAreaM2g.value.ok);
    EXPECT_NEAR(t.adsorbedVolumeMl.value.value, 2.5, 1e-6);
    // ∂/∂V = 8 − 3 = 5, ∂/∂A_pulse = 1.5/1000, ∂/∂A_residual = −0.5/1000.
    const double u = std::sqrt(std::pow(5.0 * 0.005, 2) + std::pow(1.5e-3 * 10.0, 2) + std::pow(0.5e-3 * 20.0, 2));
    EXPECT_NEAR(t.adsorbedVolumeMl.value.u, u, 1e-3 * u);
    EXPECT_NEAR(t.dispersion.value.relative(), t.activeAreaM2g.value.relative(), 1e-4);
}

}  // namespace
}  // namespace vespian
