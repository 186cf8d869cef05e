#pragma once
// The results each evaluation panel states with their uncertainties and the flags raised on
// them: the pulse titration, the least-squares and automatic BET, and the amounts of a
// temperature-programmed stretch. The panels show these lines and export them as they are.

#include <span>
#include <vector>

#include "analysis/bet_least_squares.h"
#include "analysis/bet_range_selection.h"
#include "analysis/result_text.h"
#include "analysis/result_uncertainty.h"
#include "analysis/titration_uptake.h"
#include "analysis/tp_evaluation.h"

namespace vespian {

// A propagated result in the unit shown (dispersion: × 100 for per cent).
UncertainValue shownValue(const PropagatedResult& r, double scale = 1.0);

struct PanelResults {
    std::vector<ResultLine> lines;
    std::vector<PlausibilityFlag> flags;
};

// The pulse titration: total and per-gram uptake, dispersion, particle size, metal area; the
// dispersion and pulse-series checks. Each pulse's area has the same u (the noise over a
// pulse), the full pulse its own.
PanelResults titrationResults(std::span<const double> pulseAreas, double pulseAreaU, const TitrationInput& input,
                              double fullPulseAreaU, const StatedUncertainties& stated);

// The least-squares BET over the chosen points of a committed record: area and C with their
// propagated u, the written two-point area beside them; the line's checks. Peak areas are
// taken as read (their u from the stated inputs only: the record keeps no trace).
PanelResults betResults(const SurfaceReportRecord& record, const BetLeastSquares& fit, std::span<const bool> chosen,
                        const StatedUncertainties& stated);

// A temperature-programmed stretch: each peak's and component's amount (µmol, µmol/g) and each
// component's Tm with their u; the stretch's checks (cut off, detector limit), each peak's
// (a level offset under it, its Tm outside the programme's temperatures). The quantitative
// peak's area is taken as typed (exact); the areas carry the detector's noise over their points
// and, with the flat-ends baseline, over the baseline's.
PanelResults tpResults(const TpEvaluation& evaluation, std::span<const PeakSegment> peaks,
                       const DeconvolutionResult* fit, const UptakeReference& reference, double programmeLowC,
                       double programmeHighC, const StatedUncertainties& stated);

// The shape choice for the screen: "峰形按AIC选择：一级脱附（AIC …，残差RMS … mV）；高斯（AIC …，…）".
std::string shapeChoiceText(const ShapeChoice& choice);

// One line per row of the automatic range table: "第1–6点 P/Po 0.059–0.246  C = 100.2  87.2 m²/g  通过".
std::vector<std::string> betRangeTableLines(const BetRangeSelection& selection);

}  // namespace vespian
