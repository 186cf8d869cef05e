#include "analysis/kissinger.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace vespian {

namespace {

constexpr double kZeroCelsiusK = 273.15;
constexpr double kSecondsPerMinute = 60.0;

bool positive(double v) { return std::isfinite(v) && v > 0.0; }

}  // namespace

KissingerFit kissingerFit(std::span<const double> rateCPerMin, std::span<const double> tmC) {
    KissingerFit fit;
    if (rateCPerMin.size() != tmC.size() || tmC.size() < 2) return fit;  // TooFewRuns
    if (tmC.size() > static_cast<size_t>(kMaxKissingerRuns)) {
        fit.status = KissingerStatus::TooManyRuns;
        return fit;
    }
    const auto n = static_cast<int32_t>(tmC.size());
    for (int32_t i = 0; i < n; ++i) {
        if (!positive(rateCPerMin[i])) {
            fit.status = KissingerStatus::InvalidRate;
            return fit;
        }
        const double kelvin = tmC[i] + kZeroCelsiusK;
        if (!positive(kelvin)) {
            fit.status = KissingerStatus::InvalidTemperature;
            return fit;
        }
        fit.points[i] = {1.0 / kelvin, std::log(rateCPerMin[i] / (kelvin * kelvin))};
    }
    fit.count = n;

    std::array<double, kMaxKissingerRuns> x{}, y{};
    double meanY = 0.0;
    for (int32_t i = 0; i < n; ++i) {
        x[i] = fit.points[i].inverseTmPerK;
        y[i] = fit.points[i].lnRateOverTm2;
        meanY += y[i];
    }
    meanY /= n;
    const StraightLine line = fitStraightLine(std::span(x).first(n), std::span(y).first(n));
    // 1/Tm of different runs differ by 1e-6 /K and more; equal Tm values leave no line.
    if (!line.ok) {
        fit.status = KissingerStatus::SameTemperature;
        return fit;
    }
    fit.slopeK = line.slope;
    fit.intercept = line.intercept;
    fit.covariance = line.covariance;
    double syy = 0.0;
    for (int32_t i = 0; i < n; ++i) syy += (y[i] - meanY) * (y[i] - meanY);
    const double residualSquares = line.residualSquares;
    fit.rSquared = syy > 0.0 ? 1.0 - residualSquares / syy : 1.0;
    if (fit.slopeK >= 0.0) {
        fit.status = KissingerStatus::EnergyNotPositive;
        return fit;
    }
    fit.status = KissingerStatus::Ok;
    const double energyOverR = -fit.slopeK;
    fit.energyKJPerMol = energyOverR * kGasConstantJPerMolK / 1000.0;
    if (fit.covariance.available()) {
        fit.hasStandardError = true;
        fit.energyStandardErrorKJPerMol = fit.covariance.standardError(0) * kGasConstantJPerMolK / 1000.0;
    }
    // intercept = ln(A R / E) with β per minute; per second it is ln 60 lower.
    fit.frequencyFactorPerS = std::exp(fit.intercept - std::log(kSecondsPerMinute)) * energyOverR;
    if (!std::isfinite(fit.frequencyFactorPerS)) fit.frequencyFactorPerS = 0.0;
    return fit;
}

double firstOrderPeakTemperatureK(double rateKPerMin, double energyJPerMol, double frequencyPerS) {
    if (!positive(rateKPerMin) || !positive(energyJPerMol) || !positive(frequencyPerS)) return 0.0;
    const double beta = rateKPerMin / kSecondsPerMinute;
    const double eOverR = energyJPerMol / kGasConstantJPerMolK;
    // The fixed point T = (E/R) / ln(A R T² / (E β)) converges from any sensible start; Newton
    // on f(T) = ln(E β / (R T²)) − ln A + E / (R T) then polishes the last digits.
    double t = 500.0;
    for (int i = 0; i < 60; ++i) {
        const double l = std::log(frequencyPerS * t * t / (eOverR * beta));
        if (!(l > 0.0)) return 0.0;
        t = eOverR / l;
    }
    for (int i = 0; i < 20; ++i) {
        const double f = std::log(eOverR * beta / (t * t)) - std::log(frequencyPerS) + eOverR / t;
        const double df = -2.0 / t - eOverR / (t * t);
        t -= f / df;
    }
    return std::isfinite(t) && t > 0.0 ? t : 0.0;
}

}  // namespace vespian
