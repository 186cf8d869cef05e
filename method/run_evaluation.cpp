#include "method/run_evaluation.h"

#include <algorithm>
#include <cstdio>
#include <span>
#include <vector>

#include "analysis/peak_maxima.h"
#include "analysis/titration.h"
#include "analysis/tp_report.h"
#include "files/peak_application.h"
#include "trace/chromatogram.h"
#include "trace/quant_peak.h"

namespace vespian {

namespace {

// Two surface metal atoms hold one hydrogen molecule.
constexpr float kAtomsPerHydrogen = 2.0f;

void fillSample(const MethodFile& method, EvaluatedKind kind, const ReportDate& date, TestReportHeader& h) {
    storeSampleName(method.sample.name, h);
    storeTester(method.sample.tester, h);
    storeHeading(std::string(reportKindName(kind)) + "：" + method.name, h);
    h.sampleWeightG = static_cast<float>(method.sample.weightG);
    h.testDate = date;
}

// The area of pulse k as the residual counts it: from the last point before its injection to
// the last before the next one (or the end of the series), tails and switching blips included.
float pulseWindowArea(const RunPulseSeries& series, size_t k, const Chromatogram& trace) {
    const int32_t first = series.pulses[k].injectPoint;
    int32_t last = k + 1 < series.pulses.size() ? series.pulses[k + 1].injectPoint : series.stretch.last;
    last = std::min(last, trace.pointCount() - 1);
    if (last <= first) return 0.0f;
    return stretchArea(trace.signalMv(), first, last);
}

// The pulse that came through whole: at saturation the agreeing pulses (their mean area),
// otherwise the largest one. -1 when no pulse showed a peak.
int32_t fullPulse(const RunPulseSeries& series, int32_t agreeing, const Chromatogram& trace, float* area) {
    int32_t best = -1;
    float bestArea = 0.0f;
    for (size_t i = 0; i < series.pulses.size(); ++i) {
        if (series.pulses[i].peakFirst < 0) continue;
        const float a = pulseWindowArea(series, i, trace);
        if (best < 0 || a > bestArea) {
            best = static_cast<int32_t>(i);
            bestArea = a;
        }
    }
    if (best >= 0 && series.saturated && agreeing > 0 && series.pulses.size() >= static_cast<size_t>(agreeing)) {
        double sum = 0.0;
        for (size_t i = series.pulses.size() - static_cast<size_t>(agreeing); i < series.pulses.size(); ++i) {
            sum += pulseWindowArea(series, i, trace);
        }
        best = static_cast<int32_t>(series.pulses.size()) - 1;
        bestArea = static_cast<float>(sum / agreeing);
    }
    *area = bestArea;
    return best;
}

// How many pulses the series' step asked to agree.
int32_t agreeCountOf(const MethodFile& method, const RunPulseSeries& series) {
    const size_t index = static_cast<size_t>(series.step - 1);
    if (index >= method.steps.size()) return 0;
    const auto* pulses = std::get_if<PulsesStep>(&method.steps[index]);
    return pulses != nullptr ? pulses->agreeCount : 0;
}

}  // namespace

EvaluationOutcome evaluateRun(EvaluatedKind kind, const MethodFile& method, const RunResults& results,
                              const Chromatogram& trace, TestReport& report, QuantPeak& quant, const ReportDate& date) {
    EvaluationOutcome outcome;
    TestReportHeader& h = report.header();
    const int32_t count = trace.pointCount();

    if (kind == EvaluatedKind::Titration) {
        if (!results.pulses || results.pulses->pulses.empty()) {
            outcome.message = "没有脉冲，无法评价滴定";
            return outcome;
        }
        const RunPulseSeries& series = *results.pulses;
        float area = 0.0f;
        const int32_t full = fullPulse(series, agreeCountOf(method, series), trace, &area);
        if (full < 0) {
            outcome.message = "没有一个脉冲出峰，样品吸附了全部脉冲：请增加脉冲数";
            return outcome;
        }
        const RunPulse& reference = series.pulses[static_cast<size_t>(full)];
        const size_t next = static_cast<size_t>(full) + 1;
        quant.take(trace.signalMv(), reference.injectPoint,
                   std::min(next < series.pulses.size() ? series.pulses[next].injectPoint : series.stretch.last,
                            count - 1));
        quant.area = area;
        quant.volumeMl = static_cast<float>(series.loopMl);
        const int32_t last = std::min(series.stretch.last, count - 1);
        applySampleStretch(report, trace, series.stretch.first, std::max(series.stretch.first, last), quant);
        fillSample(method, kind, date, h);
        h.pulseCount = static_cast<int32_t>(series.pulses.size());
        h.titrationTempC = series.stretch.first < count ? trace.temperatureC()[series.stretch.first] : 0.0f;
        for (const MetalPreset& preset : kMetalPresets) {
            if (method.sample.metal != metalConstants(preset.metal).name) continue;
            h.stoichiometry = preset.stoichiometry;
            h.crossSectionNm2 = preset.crossSectionNm2;
            h.atomicMass = preset.atomicMass;
        }
        if (method.test == TestKind::Chemisorption) h.stoichiometry = kAtomsPerHydrogen;
        h.massFraction = static_cast<float>(method.sample.metalFraction.value_or(0.0));
        computeTitration(h);
        char text[160];
        std::snprintf(text, sizeof text, "滴定：%d 个脉冲，吸附体积 %.3f ml，金属分散度 %.4f", h.pulseCount,
                      static_cast<double>(h.adsorbedVolumeMl), static_cast<double>(h.dispersion));
        outcome.ok = true;
        outcome.message = text;
        return outcome;
    }

    if (!results.recorded || results.recorded->first >= count) {
        outcome.message = "没有记录的谱图段，无法评价";
        return outcome;
    }
    const RunStretch stretch{results.recorded->first, std::min(results.recorded->last, count - 1)};
    if (kind == EvaluatedKind::Desorption) {
        float area = 0.0f;
        if (results.pulses && fullPulse(*results.pulses, agreeCountOf(method, *results.pulses), trace, &area) >= 0) {
            quant.area = area;
            quant.volumeMl = static_cast<float>(results.pulses->loopMl);
        }
        applySampleStretch(report, trace, stretch.first, stretch.last, quant);
        fillSample(method, kind, date, h);
        h.titrationTempC = results.programmeTopC > 0.0 ? static_cast<float>(results.programmeTopC) : 0.0f;
        computeTitration(h);
        outcome.ok = true;
        outcome.message = "脱附量：峰面积 " + std::to_string(static_cast<int64_t>(h.residualArea));
        return outcome;
    }

    // Temperature-programmed: the trace without a quantitative peak, Tm from the proposals.
    QuantPeak none;
    applySampleStretch(report, trace, stretch.first, stretch.last, none);
    fillSample(method, kind, date, h);
    h.upperTempC = static_cast<float>(results.programmeTopC);
    h.rampRateCPerMin = static_cast<float>(results.programmeRateCPerMin);
    const auto points = static_cast<size_t>(h.reportPointCount) + 1;
    const std::span<const float> signal(report.signalMv(), points);
    const std::span<const float> temperature(report.temperatureC(), points);
    const TmProposals proposals = proposeTmValues(signal, temperature, suggestedProminenceMv(signal));
    h.tmCount = 0;
    for (const TmProposal& tm : proposals.list()) {
        if (h.tmCount >= kMaxTmPicks) break;
        h.tmValues[h.tmCount] = tm.temperatureC;
        h.tmIndices[h.tmCount] = tm.index;
        ++h.tmCount;
    }
    outcome.ok = true;
    outcome.tmCount = h.tmCount;
    outcome.message = std::string(reportKindName(kind)) + "：" + std::to_string(h.tmCount) + " 个 Tm";
    for (int32_t i = 0; i < h.tmCount; ++i) {
        char tm[32];
        std::snprintf(tm, sizeof tm, "%s%.0f ℃", i == 0 ? " " : "，", static_cast<double>(h.tmValues[i]));
        outcome.message += tm;
    }
    return outcome;
}

}  // namespace vespian
