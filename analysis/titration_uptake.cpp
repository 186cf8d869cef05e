#include "analysis/titration_uptake.h"

#include <cmath>
#include <limits>

#include "analysis/baseline.h"
#include "analysis/peak_maxima.h"
#include "analysis/tp_evaluation.h"
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
    for (const PeakSegment& s : peakSegments(corrected, flat, pulses.maxima)) pulses.areas.push_back(s.area);
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
                                        input.metalPercent / 100.0, input.sampleWeightG);
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
        case MetalStatus::InvalidSample: return "样品重量、金属含量或原子量不大于0";
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
        lines.push_back(std::string(metal.symbol) + " 分散度 = " + numberText("%.2f", 100.0 * result.dispersion.value) + " %");
    }
    if (result.size.status == MetalStatus::Ok) {
        lines.push_back("平均粒径（半球模型） = " + numberText("%.2f", result.size.diameterNm) + " nm");
    } else {
        lines.push_back("平均粒径（半球模型）：" + metalProblem(result.size.status) + "。");
    }
    return lines;
}

std::string titrationUptakeCsv(std::span<const double> pulseAreas, const TitrationUptake& result) {
    std::string csv = "脉冲,面积[mV×点],吸附量[µmol],累计吸附量[µmol]\n";
    const PulseUptake& u = result.uptake;
    for (int32_t k = 0; k < u.count && k < static_cast<int32_t>(pulseAreas.size()); ++k) {
        csv += std::to_string(k + 1) + "," + numberText("%.3f", pulseAreas[static_cast<size_t>(k)]) + "," +
               numberText("%.4f", u.pulseMicromol[static_cast<size_t>(k)]) + "," +
               numberText("%.4f", u.cumulativeMicromol[static_cast<size_t>(k)]) + "\n";
    }
    return csv;
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
