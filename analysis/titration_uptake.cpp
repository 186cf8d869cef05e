#include "analysis/titration_uptake.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "analysis/baseline.h"
#include "analysis/evaluation_plots.h"
#include "analysis/peak_maxima.h"
#include "analysis/tp_evaluation.h"
#include "files/list_export.h"
#include "platform/printf_text.h"

namespace vespian {

TitrationPulses findTitrationPulses(std::span<const float> signalMv, double minProminenceMv) {
    TitrationPulses pulses;
    std::vector<float> corrected(signalMv.size());
    const BaselineLine line = baselineFromFlatEnds(signalMv);
    if (line.ok()) {
        subtractBaseline(signalMv, line, corrected);
    } else {
        corrected.assign(signalMv.begin(), signalMv.end());
    }
    // The maxima need a temperature series of the same length; the titration holds one
    // temperature, so any series serves.
    const std::vector<float> flat(signalMv.size(), 0.0f);
    const double prominence = minProminenceMv > 0.0 ? minProminenceMv : suggestedProminenceMv(corrected);
    const TmProposals found = proposeTmValues(corrected, flat, prominence);
    for (const TmProposal& p : found.list()) pulses.maxima.push_back(p.index);
    for (const PeakSegment& s : peakSegments(corrected, flat, pulses.maxima)) {
        pulses.areas.push_back(s.area);
        pulses.ends.push_back(s.last);
    }
    return pulses;
}

TitrationUptake titrationUptake(std::span<const double> pulseAreas, const TitrationInput& input) {
    TitrationUptake result;
    result.uptake = pulseUptake(pulseAreas, input.fullPulseArea, input.loop, input.sampleWeightG);
    const MetalConstants& metal = metalConstants(input.metal);
    const bool amounts = result.uptake.status == UptakeStatus::Ok || result.uptake.status == UptakeStatus::TooManyPulses;
    if (!amounts) {
        result.dispersion.status = MetalStatus::InvalidSample;
        result.size.status = MetalStatus::InvalidSample;
        return result;
    }
    result.dispersion = metalDispersion(result.uptake.totalMicromol, input.atomsPerGasMolecule, metal.atomicMassGPerMol,
                                        input.metalContent.massFraction(), input.sampleWeightG);
    if (result.dispersion.status == MetalStatus::Ok) {
        result.size = meanParticleSize(result.dispersion.value, metal);
    } else {
        result.size.status = result.dispersion.status;
    }
    return result;
}

namespace {

std::string metalProblem(MetalStatus status) {
    switch (status) {
        case MetalStatus::Ok: return {};
        case MetalStatus::InvalidSample: return "样品重量、质量分数或原子量不大于0";
        case MetalStatus::NoDispersion: return "样品未吸附气体";
        case MetalStatus::DispersionAboveOne: return "分散度大于100%，请检查吸附量与金属数据";
    }
    return "无法计算";
}

std::string uptakeProblem(UptakeStatus status) {
    switch (status) {
        case UptakeStatus::Ok:
        case UptakeStatus::TooManyPulses: return {};
        case UptakeStatus::InvalidLoop: return "定量管体积、温度或压力无效";
        case UptakeStatus::NoReferenceArea: return "标定脉冲面积不大于0";
        case UptakeStatus::NoSampleWeight: return "样品重量不大于0";
    }
    return "无法计算";
}

}  // namespace

std::vector<std::string> titrationUptakeLines(const TitrationUptake& result, const TitrationInput& input) {
    std::vector<std::string> lines;
    const PulseUptake& u = result.uptake;
    if (std::string problem = uptakeProblem(u.status); !problem.empty() && u.status != UptakeStatus::NoSampleWeight) {
        lines.push_back("无法计算吸附量：" + problem + "。");
        return lines;
    }
    lines.push_back(printfText("脉冲数：%d", u.count));
    lines.push_back("累计吸附量 = " + numberText("%.4f", u.totalMicromol) + " µmol");
    if (u.status == UptakeStatus::NoSampleWeight) {
        lines.push_back("单位重量吸附量：样品重量不大于0，无法计算。");
    } else {
        lines.push_back("单位重量吸附量 = " + numberText("%.4f", u.totalMicromolPerGram) + " µmol/g");
    }
    if (u.status == UptakeStatus::TooManyPulses) lines.push_back(printfText("只计入前%d个脉冲。", kMaxTitrationPulses));
    const MetalConstants& metal = metalConstants(input.metal);
    if (result.dispersion.status == MetalStatus::Ok || result.dispersion.status == MetalStatus::DispersionAboveOne) {
        lines.push_back(std::string(metal.name) + " 分散度 = " + numberText("%.2f", 100.0 * result.dispersion.value) + " %");
    }
    if (result.size.status == MetalStatus::Ok) {
        lines.push_back("平均粒径（半球模型） = " + numberText("%.2f", result.size.diameterNm) + " nm");
    } else {
        lines.push_back("平均粒径（半球模型）：" + metalProblem(result.size.status) + "。");
    }
    return lines;
}

std::string titrationUptakeCsv(std::span<const double> pulseAreas, const TitrationUptake& result) {
    std::string csv = std::string(kCsvByteOrderMark) + "脉冲,面积[mV×点],吸附量[µmol],累计吸附量[µmol]\n";
    const PulseUptake& u = result.uptake;
    for (int32_t k = 0; k < u.count && k < static_cast<int32_t>(pulseAreas.size()); ++k) {
        csv += std::to_string(k + 1) + "," + numberText("%.3f", pulseAreas[static_cast<size_t>(k)]) + "," +
               numberText("%.4f", u.pulseMicromol[static_cast<size_t>(k)]) + "," +
               numberText("%.4f", u.cumulativeMicromol[static_cast<size_t>(k)]) + "\n";
    }
    return csv;
}

DrawList titrationPulseChart(std::span<const float> signalMv, const TitrationPulses& pulses, int32_t width,
                             int32_t height) {
    DrawList list;
    double lo = 0.0, hi = 0.0;
    bool any = false;
    for (float v : signalMv) {
        if (!std::isfinite(v)) continue;
        lo = any ? std::min(lo, static_cast<double>(v)) : v;
        hi = any ? std::max(hi, static_cast<double>(v)) : v;
        any = true;
    }
    const double n = std::max<double>(1.0, static_cast<double>(signalMv.size()) - 1.0);
    PlotAxes axes{roundAxis(0.0, n, 10), roundAxis(lo, hi + 0.08 * (hi - lo), 6), "点", "信号 [mV]", "%g", "%g"};
    addPlotAxes(list, axes, width, height);
    if (!any) return list;
    const DrawBox a = plotArea(width, height);
    // One point per pixel column, its highest value, so no pulse top is lost.
    DrawPolyline line;
    line.colour = rgb(200, 0, 100);
    line.clip = a;
    const int32_t columns = std::max(1, a.right - a.left);
    for (int32_t c = 0; c < columns; ++c) {
        const auto from = static_cast<size_t>(static_cast<double>(c) / columns * static_cast<double>(signalMv.size()));
        const auto to = std::max(from + 1, static_cast<size_t>(static_cast<double>(c + 1) / columns *
                                                               static_cast<double>(signalMv.size())));
        double best = -std::numeric_limits<double>::infinity();
        for (size_t i = from; i < to && i < signalMv.size(); ++i) {
            if (std::isfinite(signalMv[i])) best = std::max(best, static_cast<double>(signalMv[i]));
        }
        if (std::isfinite(best)) line.points.push_back(plotPoint(axes, width, height, static_cast<double>(from), best));
    }
    list.add(std::move(line));
    for (size_t k = 0; k < pulses.maxima.size(); ++k) {
        const auto i = static_cast<size_t>(pulses.maxima[k]);
        if (i >= signalMv.size()) continue;
        const DrawPoint p = plotPoint(axes, width, height, static_cast<double>(i), signalMv[i]);
        list.add(DrawFrame{{p.x - 4, p.y - 4, p.x + 5, p.y + 5}, rgb(0, 90, 200), 2});
        list.add(DrawText{p.x, p.y - 20, std::to_string(k + 1), 12, FontFace::Song, HAlign::Centre, VAlign::Top,
                          rgb(0, 90, 200)});
        if (k + 1 < pulses.maxima.size() && k < pulses.ends.size()) {
            const DrawPoint e = plotPoint(axes, width, height, pulses.ends[k] + 0.5, lo);
            list.add(DrawLine{{e.x, a.top}, {e.x, a.bottom - 1}, rgb(120, 120, 120), 1, true});
        }
    }
    return list;
}

Metal metalByAtomicMass(double atomicMassGPerMol) {
    Metal best = Metal::Platinum;
    double distance = std::numeric_limits<double>::infinity();
    for (const MetalConstants& m : supportedMetals()) {
        const double d = std::abs(m.atomicMassGPerMol - atomicMassGPerMol);
        if (d < distance) {
            distance = d;
            best = m.metal;
        }
    }
    return best;
}

}  // namespace vespian
