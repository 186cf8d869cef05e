#include "analysis/desorption_kinetics.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

#include "analysis/heating_rate.h"
#include "analysis/kinetics_analysis.h"
#include "analysis/kissinger.h"
#include "analysis/redhead.h"

namespace vespian {
namespace {

constexpr double kR = 8.314462618;
constexpr double kZeroC = 273.15;

struct SyntheticRun {
    std::vector<float> signal;
    std::vector<float> temperature;
};

// A TPD peak of order n along a linear ramp, integrated in fine steps independently of the
// evaluation's own stepping: point i is the mean desorption rate over the 0.2 s around it. The
// thermocouple reads with 0.2 ℃ of noise in steps of 0.1 ℃; the detector adds 0.5 % of the
// peak's height.
SyntheticRun synthesise(double rateCPerMin, double energyJ, double nu, double order, double amplitude,
                        unsigned seed) {
    const double beta = rateCPerMin / 60.0;
    const double tm = firstOrderPeakTemperatureK(rateCPerMin, energyJ, nu);
    const double startK = tm - 90.0;
    const int points = static_cast<int>(150.0 / beta / 0.2);
    constexpr int kSub = 40;
    const double h = 0.2 / kSub;
    SyntheticRun run;
    double theta = 1.0;
    double t = -0.1;  // the first point's interval starts half a step before it
    std::vector<double> rate(points);
    for (int i = 0; i < points; ++i) {
        const double before = theta;
        for (int s = 0; s < kSub; ++s) {
            const double kelvin = startK + beta * (t + 0.5 * h);
            const double k = nu * std::exp(-energyJ / (kR * kelvin));
            theta = order == 1.0 ? theta * std::exp(-k * h)
                                 : std::pow(std::pow(theta, 1.0 - order) + (order - 1.0) * k * h, 1.0 / (1.0 - order));
            t += h;
        }
        rate[i] = amplitude * (before - theta) / 0.2;
    }
    const double top = *std::max_element(rate.begin(), rate.end());
    std::mt19937 random(seed);
    std::normal_distribution<double> detector(0.0, 0.005 * top), thermocouple(0.0, 0.2);
    for (int i = 0; i < points; ++i) {
        run.signal.push_back(static_cast<float>(rate[i] + detector(random)));
        const double reading = startK + beta * 0.2 * i - kZeroC + thermocouple(random);
        run.temperature.push_back(static_cast<float>(std::round(reading * 10.0) / 10.0));
    }
    return run;
}

std::vector<KineticRun> asRuns(const std::vector<SyntheticRun>& data) {
    std::vector<KineticRun> runs;
    for (const SyntheticRun& d : data) runs.push_back({d.signal, d.temperature});
    return runs;
}

TEST(DesorptionKinetics, FourHeatingRatesGiveBackTheEnergyAndFrequencyOfFirstOrderPeaks) {
    const double energy = 150e3, nu = 1e13;
    std::vector<SyntheticRun> data;
    const double rates[] = {5.0, 10.0, 20.0, 30.0};
    for (int r = 0; r < 4; ++r) data.push_back(synthesise(rates[r], energy, nu, 1.0, 2000.0 * (r + 1), 40 + r));
    const KineticsFit fit = fitDesorptionKinetics(asRuns(data));
    ASSERT_TRUE(fit.ok()) << static_cast<int>(fit.status);
    EXPECT_NEAR(fit.energyKJPerMol.value, 150.0, 1.5);
    EXPECT_GT(fit.frequencyPerS, nu / 1.5);
    EXPECT_LT(fit.frequencyPerS, nu * 1.5);
    EXPECT_FALSE(fit.orderFitted);
    EXPECT_EQ(fit.order.value, 1.0);
    // The detector's scatter leaves E uncertain by well under the 1 % asked for; the intervals
    // lie around the values.
    EXPECT_GT(fit.energyKJPerMol.u, 0.0);
    EXPECT_LT(fit.energyKJPerMol.u, 0.5);
    EXPECT_NEAR(fit.energyKJPerMol.high - fit.energyKJPerMol.value, 1.96 * fit.energyKJPerMol.u, 1e-3);
    EXPECT_LT(fit.frequencyLowPerS, fit.frequencyPerS);
    EXPECT_GT(fit.frequencyHighPerS, fit.frequencyPerS);
    EXPECT_GT(fit.lnFrequencyU, 0.0);
    ASSERT_EQ(fit.runCount, 4);
    for (int r = 0; r < 4; ++r) {
        const KineticRunFit& run = fit.runs[r];
        EXPECT_NEAR(run.amplitudeMvS, 2000.0 * (r + 1), 0.01 * 2000.0 * (r + 1)) << r;
        EXPECT_NEAR(run.heatingRate.rateCPerMin, rates[r], 0.005 * rates[r]) << r;
        const double tmC = firstOrderPeakTemperatureK(rates[r], energy, nu) - kZeroC;
        EXPECT_NEAR(run.peakTemperatureC, tmC, 1.0) << r;
        // What is left is the detector's noise, and the residuals are signal − model.
        const double top = *std::max_element(data[r].signal.begin(), data[r].signal.end());
        EXPECT_NEAR(run.rmsResidualMv, 0.005 * top, 0.001 * top) << r;
        ASSERT_EQ(run.residualMv.size(), data[r].signal.size());
        EXPECT_NEAR(run.residualMv[1000], data[r].signal[1000] - run.fittedMv[1000], 1e-5);
    }
}

TEST(DesorptionKinetics, TheOrderIsFoundWhenAskedAndAFirstOrderModelMissesSecondOrderPeaks) {
    const double energy = 120e3, nu = 1e12;
    std::vector<SyntheticRun> data;
    for (double rate : {5.0, 10.0, 20.0}) data.push_back(synthesise(rate, energy, nu, 2.0, 3000.0, 7));
    KineticsOptions free;
    free.fitOrder = true;
    const KineticsFit fit = fitDesorptionKinetics(asRuns(data), free);
    ASSERT_TRUE(fit.ok()) << static_cast<int>(fit.status);
    EXPECT_TRUE(fit.orderFitted);
    EXPECT_NEAR(fit.order.value, 2.0, 0.05);
    EXPECT_GT(fit.order.u, 0.0);
    EXPECT_NEAR(fit.energyKJPerMol.value, 120.0, 2.4);
    EXPECT_EQ(fit.covariance.size, 2 + 1 + 3);
    // As the archive keeps it: Ea, ln ν, the fitted order, each with its u, and the residual.
    const std::vector<ResultLine> kept = kineticsResults(fit);
    ASSERT_EQ(kept.size(), 4u);
    EXPECT_EQ(kept[2].name, "order");
    EXPECT_DOUBLE_EQ(kept[2].value.u, fit.order.u);
    EXPECT_DOUBLE_EQ(kept[1].value.u, fit.lnFrequencyU);

    const KineticsFit first = fitDesorptionKinetics(asRuns(data));
    ASSERT_NE(first.status, KineticsStatus::NoStart);
    EXPECT_GT(first.rmsResidualMv, 3.0 * fit.rmsResidualMv) << "a first-order peak has the wrong shape";
}

TEST(DesorptionKinetics, RunsItCannotFitAreRefused) {
    const std::vector<float> flat(100, 0.0f), ramp = [] {
        std::vector<float> t(100);
        for (int i = 0; i < 100; ++i) t[i] = 100.0f + i;
        return t;
    }();
    std::vector<float> shortRamp(ramp.begin(), ramp.begin() + 50), broken = ramp;
    broken[3] = std::nanf("");
    auto statusOf = [](std::vector<KineticRun> runs) { return fitDesorptionKinetics(runs).status; };
    EXPECT_EQ(statusOf({}), KineticsStatus::NoRuns);
    EXPECT_TRUE(kineticsResults(fitDesorptionKinetics({})).empty()) << "no fit, nothing to keep";
    EXPECT_EQ(statusOf(std::vector<KineticRun>(9, KineticRun{ramp, ramp})), KineticsStatus::TooManyRuns);
    EXPECT_EQ(statusOf({{ramp, shortRamp}}), KineticsStatus::RunMismatch);
    EXPECT_EQ(statusOf({{broken, ramp}}), KineticsStatus::NonFiniteData);
    EXPECT_EQ(statusOf({{flat, ramp}}), KineticsStatus::NoPeak);
    // A peak on an isothermal stretch gives no heating rate, so no estimate to start from.
    const SyntheticRun real = synthesise(10.0, 150e3, 1e13, 1.0, 1000.0, 1);
    const std::vector<float> isothermal(real.signal.size(), 300.0f);
    EXPECT_EQ(statusOf({{real.signal, isothermal}}), KineticsStatus::NoStart);
}

TEST(HeatingRate, TheRampIsReadBetweenItsHoldsDespiteTheThermocouplesNoise) {
    // 200 points at 40 ℃, a ramp of 10 ℃/min (1/30 ℃ a point) to 540 ℃, a hold and a cooling.
    std::mt19937 random(3);
    std::normal_distribution<double> noise(0.0, 0.3);
    std::vector<float> t;
    for (int i = 0; i < 200; ++i) t.push_back(40.0f);
    for (int i = 0; i < 15000; ++i) t.push_back(static_cast<float>(40.0 + i / 30.0));
    for (int i = 0; i < 1000; ++i) t.push_back(540.0f);
    for (int i = 0; i < 3000; ++i) t.push_back(static_cast<float>(540.0 - i / 10.0));
    for (float& v : t) v = static_cast<float>(v + noise(random));
    const HeatingRate rate = heatingRateFromTrace(t);
    ASSERT_TRUE(rate.ok());
    EXPECT_NEAR(rate.rateCPerMin, 10.0, 0.01);
    EXPECT_GT(rate.firstIndex, 200);
    EXPECT_LT(rate.lastIndex, 15200);
    EXPECT_GT(rate.rSquared, 0.999);

    EXPECT_EQ(heatingRateFromTrace(std::vector<float>(500, 300.0f)).status, HeatingRateStatus::NoRamp);
    EXPECT_EQ(heatingRateFromTrace(std::vector<float>(5, 300.0f)).status, HeatingRateStatus::TooFewPoints);
    t[10] = std::nanf("");
    EXPECT_EQ(heatingRateFromTrace(t).status, HeatingRateStatus::NonFiniteTemperature);
}

TEST(Redhead, EstimateByHandAndAgainstTheExactFirstOrderMaximum) {
    // Tm = 500 K (226.85 ℃), β = 10 K/min: E = R·500·(ln(1e13 · 500 / (1/6)) − 3.64).
    const RedheadEstimate e = redheadEstimate(226.85, 10.0);
    ASSERT_TRUE(e.ok());
    EXPECT_NEAR(e.energyKJPerMol, kR * 500.0 * (std::log(3e16) - 3.64) / 1000.0, 1e-9);
    EXPECT_EQ(e.assumedFrequencyPerS, 1e13);
    EXPECT_FALSE(e.withinValidity) << "ν/β = 6×10¹³ K⁻¹ lies beyond the formula's range";
    EXPECT_TRUE(redheadEstimate(226.85, 10.0, 1e11).withinValidity);
    EXPECT_NE(redheadText(e).find("1.0×10^13"), std::string::npos);
    // The maximum of a true first-order peak gives its energy back within Redhead's 1.5 %.
    const double tm = firstOrderPeakTemperatureK(10.0, 150e3, 1e13);
    EXPECT_NEAR(redheadEstimate(tm - kZeroC, 10.0).energyKJPerMol, 150.0, 2.25);
    // Another assumed ν gives another energy: the estimate is only as good as the assumption.
    EXPECT_LT(redheadEstimate(226.85, 10.0, 1e10).energyKJPerMol, e.energyKJPerMol - 20.0);

    EXPECT_EQ(redheadEstimate(226.85, 0.0).status, RedheadStatus::InvalidRate);
    EXPECT_EQ(redheadEstimate(-300.0, 10.0).status, RedheadStatus::InvalidTemperature);
    EXPECT_EQ(redheadEstimate(226.85, 10.0, 0.0).status, RedheadStatus::InvalidFrequency);
    EXPECT_EQ(redheadEstimate(226.85, 10.0, 1e-5).status, RedheadStatus::NoEnergy);
}

}  // namespace
}  // namespace vespian
