#pragma once
// Desorption kinetics from whole peaks: the Polanyi–Wigner rate law
//     −dθ/dt = ν θⁿ exp(−E / R T)
// integrated along each run's own recorded temperature, its rate seen by the detector as the
// signal A·(−dθ/dt), fitted by least squares to the peaks of several runs at once (different
// heating rates pin E and ν apart). E, ν and — as an option — the order n are shared by the
// runs; each run has its amplitude A (the detector area of a full coverage, mV·s). Results come
// with standard uncertainties and 95 % confidence intervals from the fit's covariance, and each
// run with its fitted curve and residuals for the plot. The signal is the baseline-corrected
// stretch of the desorption peak; point i lies at i × secondsPerPoint.

#include <array>
#include <cstdint>
#include <span>
#include <vector>

#include "analysis/heating_rate.h"
#include "analysis/least_squares.h"

namespace vespian {

inline constexpr int32_t kMaxKineticRuns = 8;

struct KineticRun {
    std::span<const float> signalMv;      // baseline-corrected
    std::span<const float> temperatureC;  // of the same points
    double secondsPerPoint = kSecondsPerPoint;
};

struct KineticsOptions {
    bool fitOrder = false;  // fit n too; otherwise n is held at `order`
    double order = 1.0;     // the order held, or the starting order when fitted
    int32_t maxIterations = 100;
};

enum class KineticsStatus : uint8_t {
    Ok,
    NotConverged,    // the iteration limit was reached: the values are the last ones
    NoRuns,
    TooManyRuns,     // more than kMaxKineticRuns
    RunMismatch,     // a run's signal and temperature differ in length, or it has under 10 points
    NonFiniteData,
    NoPeak,          // a run without a positive signal to fit
    NoStart          // no starting energy: the runs' peak temperatures say nothing usable
};

// A value with its standard uncertainty and 95 % interval.
struct IntervalEstimate {
    double value = 0.0;
    double u = 0.0;     // k = 1; 0 without a covariance
    double low = 0.0;   // 95 %
    double high = 0.0;
};

struct KineticRunFit {
    double amplitudeMvS = 0.0;  // detector area of the full coverage
    double amplitudeU = 0.0;
    HeatingRate heatingRate{};  // read from the run's temperature
    double peakTemperatureC = 0.0;  // at the maximum of the fitted curve
    double rmsResidualMv = 0.0;
    std::vector<float> fittedMv;    // the model at every point
    std::vector<float> residualMv;  // signal − model
};

struct KineticsFit {
    KineticsStatus status = KineticsStatus::NoRuns;
    int32_t iterations = 0;
    IntervalEstimate energyKJPerMol;
    double frequencyPerS = 0.0;  // ν; its interval is multiplicative
    double lnFrequencyU = 0.0;   // u of ln ν
    double frequencyLowPerS = 0.0;
    double frequencyHighPerS = 0.0;
    bool orderFitted = false;
    IntervalEstimate order;
    double rmsResidualMv = 0.0;  // over every point of every run
    int32_t runCount = 0;
    std::array<KineticRunFit, kMaxKineticRuns> runs{};
    // Of (E in kJ/mol, ln ν, [n,] A of each run).
    ParameterCovariance covariance;

    bool ok() const { return status == KineticsStatus::Ok; }
    std::span<const KineticRunFit> list() const { return {runs.data(), static_cast<size_t>(runCount)}; }
};

KineticsFit fitDesorptionKinetics(std::span<const KineticRun> runs, const KineticsOptions& options = {});

// The detector signal (mV) of one run with the given kinetics along the given temperatures:
// what the fit compares with the data, and what a synthetic run is made of.
std::vector<float> polanyiWignerSignal(std::span<const float> temperatureC, double secondsPerPoint,
                                       double energyKJPerMol, double frequencyPerS, double order,
                                       double amplitudeMvS);

}  // namespace vespian
