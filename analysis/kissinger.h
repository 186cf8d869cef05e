#pragma once
// Activation energy of desorption from runs at several heating rates (Kissinger): for
// first-order kinetics the peak maximum Tm at heating rate β satisfies
//     ln(β / Tm²) = ln(A R / E) − E / (R Tm),
// so ln(β/Tm²) against 1/Tm is a straight line of slope −E/R. The line is fitted by least
// squares; the energy comes with its standard error (from the scatter about the line, for
// three runs or more) and r², and the line with the covariance of its slope and intercept.

#include <array>
#include <cstdint>
#include <span>

#include "analysis/least_squares.h"

namespace vespian {

inline constexpr double kGasConstantJPerMolK = 8.314462618;
inline constexpr int32_t kMaxKissingerRuns = 32;

enum class KissingerStatus : uint8_t {
    Ok,
    TooFewRuns,           // fewer than two, or rates and temperatures of different count
    TooManyRuns,          // more than kMaxKissingerRuns
    InvalidRate,          // a heating rate not above 0
    InvalidTemperature,   // a Tm not above absolute zero
    SameTemperature,      // every run peaks at the same Tm: no slope
    EnergyNotPositive     // the fitted line rises: Tm falls with faster heating, no energy
};

struct KissingerPoint {
    double inverseTmPerK = 0.0;  // 1 / Tm
    double lnRateOverTm2 = 0.0;  // ln(β / Tm²), β in K/min and Tm in K
};

struct KissingerFit {
    KissingerStatus status = KissingerStatus::TooFewRuns;
    int32_t count = 0;
    std::array<KissingerPoint, kMaxKissingerRuns> points{};  // in the order given, for the plot
    double slopeK = 0.0;    // of ln(β/Tm²) against 1/Tm, = −E/R
    double intercept = 0.0;
    double energyKJPerMol = 0.0;
    double energyStandardErrorKJPerMol = 0.0;  // 0 with two runs (hasStandardError false)
    bool hasStandardError = false;
    double rSquared = 0.0;
    double frequencyFactorPerS = 0.0;  // A of the first-order rate, from the intercept
    // Of (slope, intercept), from the scatter about the line: three runs or more.
    ParameterCovariance covariance;

    bool ok() const { return status == KissingerStatus::Ok; }
    std::span<const KissingerPoint> list() const { return {points.data(), static_cast<size_t>(count)}; }
};

// Heating rates in ℃/min (= K/min) and peak maxima in ℃, one pair per run. Points, line and r²
// are filled whenever the line exists (also for EnergyNotPositive, so the plot can show why);
// energy and frequency factor only when status is Ok.
KissingerFit kissingerFit(std::span<const double> rateCPerMin, std::span<const double> tmC);

// The temperature (K) at which a first-order desorption of the given energy and frequency
// factor peaks when heated at `rateKPerMin`: the root of E β / (R T²) = A exp(−E / (R T)).
// 0 when an input is not above 0.
double firstOrderPeakTemperatureK(double rateKPerMin, double energyJPerMol, double frequencyPerS);

}  // namespace vespian
