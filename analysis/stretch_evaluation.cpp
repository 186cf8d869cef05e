#include "analysis/stretch_evaluation.h"

#include <algorithm>
#include <cmath>

namespace vespian {

std::vector<PlausibilityFlag> StretchEvaluation::allFlags() const {
    std::vector<PlausibilityFlag> all = flags;
    for (const EvaluatedPeak& p : peaks) all.insert(all.end(), p.flags.begin(), p.flags.end());
    return all;
}

double segmentAreaUncertainty(double noiseMv, int32_t points, int32_t curvePoints, bool flatEndsBaseline) {
    if (!flatEndsBaseline) return integratedAreaUncertainty(noiseMv, points);
    const int32_t endPoints = std::max(2, static_cast<int32_t>(std::lround(kDefaultFlatEndShare * curvePoints)));
    return integratedAreaUncertainty(noiseMv, points, 2 * endPoints);
}

StretchEvaluation evaluateStretch(std::span<const float> signalMv, std::span<const float> temperatureC,
                          const StretchEvaluationSettings& settings) {
    StretchEvaluation r;
    TpEvaluation evaluation(signalMv, temperatureC);
    const bool flatEnds = settings.flatEndsBaseline;
    if (flatEnds) r.baselineStatus = evaluation.useFlatEndsBaseline();
    const bool subtracted = flatEnds && r.baselineStatus == BaselineStatus::Ok;
    r.baseline = evaluation.baseline();
    const std::span<const float> corrected = evaluation.corrected();
    const std::span<const float> temperature = evaluation.temperature();
    const auto n = static_cast<int32_t>(corrected.size());
    r.noiseMv = pointNoiseMv(evaluation.signal());

    r.programmeLowC = settings.programmeLowC;
    r.programmeHighC = settings.programmeHighC;
    if (!temperature.empty()) {
        const auto [low, high] = std::minmax_element(temperature.begin(), temperature.end());
        if (!std::isfinite(r.programmeLowC)) r.programmeLowC = *low;
        if (!std::isfinite(r.programmeHighC)) r.programmeHighC = *high;
    }

    r.flags = checkPeakEdges(corrected, evaluation.signal());
    r.proposals = evaluation.propose(settings.prominenceMv > 0.0 ? settings.prominenceMv : evaluation.suggestedProminence());
    std::vector<int32_t> tm;
    for (const TmProposal& p : r.proposals.list()) tm.push_back(p.index);

    const UptakeReference& ref = settings.reference;
    r.hasAmounts = ref.referenceArea > 0.0;
    const auto amountOf = [&](double area, double areaU) {
        return peakAmountUncertainty({area, areaU}, {ref.referenceArea, settings.referenceAreaU}, ref.loop,
                                     ref.sampleWeightG, settings.stated);
    };
    for (const PeakSegment& s : peakSegments(corrected, temperature, tm)) {
        EvaluatedPeak peak;
        peak.segment = s;
        const int32_t points = s.last - s.first + 1;
        peak.areaU = segmentAreaUncertainty(r.noiseMv, points, n, subtracted);
        if (r.hasAmounts) peak.amount = amountOf(s.area, peak.areaU);
        if (auto f = checkTmInProgramme(s.tmC, r.programmeLowC, r.programmeHighC)) peak.flags.push_back(*f);
        if (auto f = checkBaselineOffset(corrected.subspan(static_cast<size_t>(s.first), static_cast<size_t>(points)))) {
            peak.flags.push_back(*f);
        }
        r.peaks.push_back(std::move(peak));
    }

    if (!tm.empty() && tm.size() <= static_cast<size_t>(kMaxFitComponents)) {
        r.shapes = evaluation.fitBestShape(tm);
        if (r.shapes.ok()) {
            for (const FitComponent& c : r.shapes.best().list()) {
                EvaluatedComponent component{c, {}};
                if (r.hasAmounts) component.amount = amountOf(c.area, c.areaU);
                r.components.push_back(std::move(component));
            }
        }
    }
    return r;
}

}  // namespace vespian
