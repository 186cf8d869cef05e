#pragma once
// One temperature-programmed stretch evaluated without an operator, as a script asks for it:
// the flat-ends baseline (or none), the Tm proposals above the prominence, the deconvolution
// started from them with the peak shape the information criterion prefers, each peak's and
// component's amount against the quantitative peak with its uncertainty, and the plausibility
// checks. The evaluation panel's own functions (TpEvaluation and the checks) do the work.

#include <cstdint>
#include <limits>
#include <span>
#include <vector>

#include "analysis/plausibility.h"
#include "analysis/result_uncertainty.h"
#include "analysis/tp_evaluation.h"

namespace vespian {

struct StretchEvaluationSettings {
    bool flatEndsBaseline = true;  // false: the signal as recorded
    double prominenceMv = 0.0;     // ≤ 0: the suggested one (ten times the noise)
    UptakeReference reference{};   // referenceArea ≤ 0: no amounts
    double referenceAreaU = 0.0;
    // The temperatures the programme ran over; NaN: those the stretch recorded.
    double programmeLowC = std::numeric_limits<double>::quiet_NaN();
    double programmeHighC = std::numeric_limits<double>::quiet_NaN();
    StatedUncertainties stated{};
};

struct EvaluatedPeak {
    PeakSegment segment;
    double areaU = 0.0;  // the detector's noise over the segment and the baseline
    AmountUncertainty amount;
    std::vector<PlausibilityFlag> flags;  // its Tm outside the programme, a level offset under it
};

struct EvaluatedComponent {
    FitComponent component;
    AmountUncertainty amount;
};

struct StretchEvaluation {
    BaselineStatus baselineStatus = BaselineStatus::Ok;
    BaselineLine baseline{};
    double noiseMv = 0.0;
    double programmeLowC = 0.0;
    double programmeHighC = 0.0;
    TmProposals proposals{};
    ShapeChoice shapes{};  // no candidate when there was no proposal
    std::vector<EvaluatedPeak> peaks;
    std::vector<EvaluatedComponent> components;  // of the chosen shape, when it converged
    std::vector<PlausibilityFlag> flags;         // of the whole stretch: cut off, detector limit
    bool hasAmounts = false;

    // Every flag, the stretch's first, then each peak's.
    std::vector<PlausibilityFlag> allFlags() const;
};

StretchEvaluation evaluateStretch(std::span<const float> signalMv, std::span<const float> temperatureC,
                          const StretchEvaluationSettings& settings);

// u of an area summed over `points` of the corrected curve with the held baseline: the
// flat-ends line is the mean of its two end stretches, no baseline is exact.
double segmentAreaUncertainty(double noiseMv, int32_t points, int32_t curvePoints, bool flatEndsBaseline);

}  // namespace vespian
