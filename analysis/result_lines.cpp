#include "analysis/result_lines.h"

#include <algorithm>

#include "analysis/peak_shape_choice.h"
#include "analysis/stretch_evaluation.h"
#include "platform/printf_text.h"

namespace vespian {

UncertainValue shownValue(const PropagatedResult& r, double scale) {
    return {r.value.value * scale, r.value.u * scale, r.value.ok};
}

PanelResults titrationResults(std::span<const double> pulseAreas, double pulseAreaU, const TitrationInput& input,
                              double fullPulseAreaU, const StatedUncertainties& stated) {
    const TitrationUncertainty u = titrationUptakeUncertainty(pulseAreas, pulseAreaU, input, fullPulseAreaU, stated);
    PanelResults r;
    r.lines = {{"累计吸附量", shownValue(u.totalMicromol), "µmol", 4},
               {"单位重量吸附量", shownValue(u.micromolPerGram), "µmol/g", 4},
               {"分散度", shownValue(u.dispersion, 100.0), "%", 2},
               {"平均粒径（半球模型）", shownValue(u.particleSizeNm), "nm", 2},
               {"金属比表面积（每克样品）", shownValue(u.metalAreaPerGramSampleM2), "m²/g", 3},
               {"金属比表面积（每克金属）", shownValue(u.metalAreaPerGramMetalM2), "m²/g", 3}};
    if (u.dispersion.value.ok) {
        if (auto f = checkDispersion(u.dispersion.value.value)) r.flags.push_back(*f);
    }
    if (auto f = checkPulseSeries(pulseAreas, input.fullPulseArea)) r.flags.push_back(*f);
    return r;
}

PanelResults betResults(const SurfaceReportRecord& record, const BetLeastSquares& fit, std::span<const bool> chosen,
                        const StatedUncertainties& stated) {
    const auto n = static_cast<size_t>(std::clamp(record.point_count, 0, kBetMaxPoints));
    const std::vector<double> zeros(n, 0.0);
    const BetUncertainty u = betUncertainty(record, zeros, zeros, chosen.first(std::min(chosen.size(), n)), stated);
    PanelResults r;
    const bool line = fit.ok();
    r.lines = {{"比表面积（最小二乘）", line ? shownValue(u.areaM2g) : UncertainValue{}, "m²/g", 3},
               {"C", line ? shownValue(u.cConstant) : UncertainValue{}, "", 1},
               {"比表面积（书面两点法）", shownValue(u.writtenAreaM2g), "m²/g", 3}};
    if (line) r.flags = checkBetLine(fit);
    return r;
}

PanelResults tpResults(const TpEvaluation& evaluation, std::span<const PeakSegment> peaks,
                       const DeconvolutionResult* fit, const UptakeReference& reference, double programmeLowC,
                       double programmeHighC, const StatedUncertainties& stated) {
    PanelResults r;
    const std::span<const float> corrected = evaluation.corrected();
    const auto n = static_cast<int32_t>(corrected.size());
    const bool flatEnds = evaluation.baselineKind() == BaselineKind::FlatEnds;
    const double noise = pointNoiseMv(evaluation.signal());
    const bool amounts = reference.referenceArea > 0.0;
    const auto amountLines = [&](const std::string& name, double area, double areaU) {
        if (!amounts) return;
        const AmountUncertainty a =
            peakAmountUncertainty({area, areaU}, {reference.referenceArea, 0.0}, reference.loop, reference.sampleWeightG, stated);
        r.lines.push_back({name + " 吸附量", shownValue(a.micromol), "µmol", 4});
        r.lines.push_back({name + " 单位重量吸附量", shownValue(a.micromolPerGram), "µmol/g", 4});
    };
    r.flags = checkPeakEdges(corrected, evaluation.signal());
    int32_t number = 0;
    for (const PeakSegment& p : peaks) {
        const int32_t points = p.last - p.first + 1;
        amountLines(printfText("峰%d", ++number), p.area, segmentAreaUncertainty(noise, points, n, flatEnds));
        if (auto f = checkTmInProgramme(p.tmC, programmeLowC, programmeHighC)) r.flags.push_back(*f);
        if (p.first >= 0 && p.last < n) {
            if (auto f = checkBaselineOffset(corrected.subspan(static_cast<size_t>(p.first), static_cast<size_t>(points)))) {
                r.flags.push_back(*f);
            }
        }
    }
    if (fit != nullptr) {
        number = 0;
        for (const FitComponent& c : fit->list()) {
            const std::string name = printfText("组分%d", ++number);
            r.lines.push_back({name + " Tm", {c.maximumTemperatureC, c.maximumTemperatureU, true}, "℃", 1});
            amountLines(name, c.area, c.areaU);
        }
    }
    return r;
}

std::string shapeChoiceText(const ShapeChoice& choice) {
    if (choice.candidateCount == 0) return {};
    std::string text = "峰形按AIC选择：";
    for (int32_t k = 0; k < choice.candidateCount; ++k) {
        const DeconvolutionResult& c = choice.candidates[static_cast<size_t>(k)];
        text += (k == 0 ? "" : "；") + peakShapeName(c.shape) + (k == choice.chosen ? "（采用）" : "") + " ";
        text += c.converged() ? printfText("AIC %.1f，残差RMS %.4f mV", c.aic, c.rmsResidualMv) : std::string("未收敛");
    }
    return text;
}

std::vector<std::string> betRangeTableLines(const BetRangeSelection& selection) {
    std::vector<std::string> lines;
    for (size_t k = 0; k < selection.ranges.size(); ++k) {
        const BetRange& range = selection.ranges[k];
        const bool proposed = static_cast<int32_t>(k) == selection.proposed;
        lines.push_back(printfText("%s第%d–%d点  P/Po %.3f–%.3f  C = %s  %s m²/g  ", proposed ? "★ " : "",
                                   range.first + 1, range.last + 1, range.lowPressure, range.highPressure,
                                   numberText("%.1f", range.cConstant).c_str(),
                                   numberText("%.2f", range.areaM2PerG).c_str()) +
                        betRangeReasons(range));
    }
    return lines;
}

}  // namespace vespian
