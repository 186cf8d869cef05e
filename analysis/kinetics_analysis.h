#pragma once
// The desorption kinetics of several saved runs as the kinetics window and vespian-report
// --kinetics give it: each run's peak over its flat-ends baseline, its heating rate read from
// its temperature, its Tm and the Redhead estimate with the ν it assumes, and the simultaneous
// Polanyi–Wigner fit over all of them; the lines stating the results and the residual chart.

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "analysis/desorption_kinetics.h"
#include "analysis/heating_rate.h"
#include "analysis/redhead.h"
#include "analysis/result_text.h"
#include "platform/draw_list.h"

namespace vespian {

struct KineticsInputRun {
    std::span<const float> signalMv;  // as recorded
    std::span<const float> temperatureC;
};

struct RunKinetics {
    HeatingRate rate{};
    double tmC = 0.0;  // at the corrected peak's highest point
    RedheadEstimate redhead{};
};

struct KineticsAnalysis {
    std::vector<std::vector<float>> corrected;  // each run over its flat-ends baseline
    std::vector<std::vector<float>> temperature;
    std::vector<RunKinetics> runs;
    KineticsFit fit{};
};

KineticsAnalysis analyseKinetics(std::span<const KineticsInputRun> runs, const KineticsOptions& options = {},
                                 double assumedFrequencyPerS = kRedheadDefaultFrequencyPerS);

// "Ea = 150.2 ± 0.4 kJ/mol（95 %：149.4–151.0）", ν with its interval, n, the residual; or
// why there is no fit.
std::vector<std::string> kineticsResultLines(const KineticsFit& fit);
// The fit's results for the archive: Ea and ln ν with their u, n when fitted, the residual;
// none without a fit.
std::vector<ResultLine> kineticsResults(const KineticsFit& fit);

// Redhead's estimates of several runs: the ν they assume, then one line a run ("name：Ea =
// 149.6 kJ/mol", marked where ν/β lies outside the formula's range), or why there is none.
std::vector<std::string> redheadLines(std::span<const std::string> names, std::span<const RedheadEstimate> estimates);

// The residual (signal − model, mV) of each run against its temperature, a colour a run.
DrawList kineticsResidualChart(const KineticsAnalysis& analysis, int32_t width, int32_t height);

}  // namespace vespian
