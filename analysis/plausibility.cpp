#include "analysis/plausibility.h"

#include <algorithm>
#include <cmath>

#include "analysis/bet_least_squares.h"
#include "platform/printf_text.h"

namespace vespian {

namespace {

PlausibilityFlag flag(CheckCode code, std::string reason) { return {code, std::move(reason)}; }

// Mean of the first or last `count` points.
double endLevel(std::span<const float> s, size_t count, bool atStart) {
    double sum = 0.0;
    for (size_t i = 0; i < count; ++i) sum += atStart ? s[i] : s[s.size() - 1 - i];
    return sum / static_cast<double>(count);
}

size_t edgePoints(size_t n) { return std::max<size_t>(3, n / 100); }

}  // namespace

std::string_view checkCodeName(CheckCode code) {
    switch (code) {
        case CheckCode::DispersionAboveOne: return "dispersion_above_100";
        case CheckCode::NotSaturated: return "pulses_not_saturated";
        case CheckCode::TooFewPulses: return "too_few_pulses";
        case CheckCode::PeakCutAtStart: return "peak_cut_at_start";
        case CheckCode::PeakCutAtEnd: return "peak_cut_at_end";
        case CheckCode::DetectorLimit: return "detector_limit";
        case CheckCode::BaselineOffset: return "baseline_offset";
        case CheckCode::BetCNegative: return "bet_c_negative";
        case CheckCode::BetInterceptNegative: return "bet_intercept_negative";
        case CheckCode::BetCriteriaFailed: return "bet_criteria_failed";
        case CheckCode::TmOutsideProgramme: return "tm_outside_programme";
    }
    return "unknown";
}

std::optional<PlausibilityFlag> checkDispersion(double dispersion) {
    if (!(dispersion > 1.0)) return std::nullopt;
    return flag(CheckCode::DispersionAboveOne, "分散度" + numberText("%.1f", 100.0 * dispersion) +
                                                   "%超过100%：可能存在溢流或载体吸附，结果不代表金属表面。");
}

std::optional<PlausibilityFlag> checkPulseSeries(std::span<const double> pulseAreas, double fullPulseArea) {
    if (pulseAreas.size() < 2) {
        return flag(CheckCode::TooFewPulses, printfText("只有%d个脉冲：至少需要2个脉冲才能判断是否吸附饱和。",
                                                        static_cast<int>(pulseAreas.size())));
    }
    if (!(fullPulseArea > 0.0)) return std::nullopt;  // nothing to compare with
    const double share = pulseAreas.back() / fullPulseArea;
    if (share >= kSaturatedPulseShare) return std::nullopt;
    return flag(CheckCode::NotSaturated, "最后一个脉冲仍被吸附" + numberText("%.0f", 100.0 * (1.0 - share)) +
                                             "%：脉冲序列未达到饱和，吸附量偏低。");
}

std::vector<PlausibilityFlag> checkPeakEdges(std::span<const float> correctedMv, std::span<const float> recordedMv,
                                             double limitMv) {
    std::vector<PlausibilityFlag> flags;
    const size_t n = correctedMv.size();
    if (n < 6) return flags;
    double top = 0.0;
    for (float v : correctedMv) {
        if (std::isfinite(v)) top = std::max(top, static_cast<double>(v));
    }
    if (top > 0.0) {
        const size_t edge = std::min(edgePoints(n), n / 2);
        if (endLevel(correctedMv, edge, true) > kCutOffShare * top) {
            flags.push_back(flag(CheckCode::PeakCutAtStart, "峰在谱图起点处被截断：起点信号仍为峰高的" +
                                                                numberText("%.0f", 100.0 * endLevel(correctedMv, edge, true) / top) + "%。"));
        }
        if (endLevel(correctedMv, edge, false) > kCutOffShare * top) {
            flags.push_back(flag(CheckCode::PeakCutAtEnd, "峰在谱图终点处被截断：终点信号仍为峰高的" +
                                                              numberText("%.0f", 100.0 * endLevel(correctedMv, edge, false) / top) + "%。"));
        }
    }
    const std::span<const float> recorded = recordedMv.empty() ? correctedMv : recordedMv;
    const auto highest = std::max_element(recorded.begin(), recorded.end());
    // A converter at its end reads the same value again and again.
    int32_t run = 0, longest = 0;
    for (float v : recorded) {
        run = v == *highest ? run + 1 : 0;
        longest = std::max(longest, run);
    }
    bool atLimit = false;
    for (float v : recorded) atLimit = atLimit || std::abs(static_cast<double>(v)) >= limitMv - 1e-3;
    if (atLimit || (longest >= kFlatTopPoints && *highest > 0.0f)) {
        flags.push_back(flag(CheckCode::DetectorLimit, "峰顶达到检测器量程上限：峰被削平，面积偏小，请减小进样量或衰减。"));
    }
    return flags;
}

std::optional<PlausibilityFlag> checkBaselineOffset(std::span<const float> integratedMv) {
    const size_t n = integratedMv.size();
    if (n < 6) return std::nullopt;
    const size_t edge = std::min(edgePoints(n), n / 2);
    const double level = std::min(endLevel(integratedMv, edge, true), endLevel(integratedMv, edge, false));
    double area = 0.0;
    for (float v : integratedMv) area += v;
    if (!(area > 0.0) || !(level > 0.0)) return std::nullopt;
    const double share = level * static_cast<double>(n) / area;
    if (share <= kBaselineOffsetShare) return std::nullopt;
    return flag(CheckCode::BaselineOffset, "基线偏移占峰面积的" + numberText("%.0f", 100.0 * std::min(share, 1.0)) +
                                               "%：测量前未调零或未扣除基线。");
}

std::vector<PlausibilityFlag> checkBetConstants(double slope, double intercept) {
    std::vector<PlausibilityFlag> flags;
    if (intercept < 0.0) {
        flags.push_back(flag(CheckCode::BetInterceptNegative, "BET直线截距为负（" + numberText("%g", intercept) +
                                                                  "）：所选点不在BET适用范围内。"));
    }
    if (intercept != 0.0) {
        const double c = 1.0 + slope / intercept;
        if (std::isfinite(c) && c < 0.0) {
            flags.push_back(flag(CheckCode::BetCNegative, "BET常数C为负（" + numberText("%.1f", c) +
                                                              "）：无物理意义，请选择其他测量点。"));
        }
    }
    return flags;
}

std::vector<PlausibilityFlag> checkBetLine(const BetLeastSquares& fit) {
    if (fit.status != BetFitStatus::Ok && fit.status != BetFitStatus::NonPhysicalLine) return {};
    std::vector<PlausibilityFlag> flags = checkBetConstants(fit.slope, fit.intercept);
    std::string failed;
    if (!fit.uptakeRising) failed += "V(1−P/Po)未随P/Po单调上升；";
    if (fit.cPositive && !fit.monolayerInRange) failed += "单层对应的P/Po不在所选点范围内；";
    if (!failed.empty()) {
        failed.erase(failed.size() - std::string_view("；").size());
        flags.push_back(flag(CheckCode::BetCriteriaFailed, "BET一致性判据未满足：" + failed + "。"));
    }
    return flags;
}

std::optional<PlausibilityFlag> checkTmInProgramme(double tmC, double programmeLowC, double programmeHighC) {
    const double low = std::min(programmeLowC, programmeHighC), high = std::max(programmeLowC, programmeHighC);
    if (tmC >= low && tmC <= high) return std::nullopt;
    return flag(CheckCode::TmOutsideProgramme, "Tm = " + numberText("%.0f", tmC) + " ℃超出程序升温范围（" +
                                                   numberText("%.0f", low) + "–" + numberText("%.0f", high) + " ℃）。");
}

}  // namespace vespian
