#include "analysis/kinetics_analysis.h"

#include <algorithm>
#include <cmath>

#include "analysis/evaluation_plots.h"
#include "analysis/result_text.h"
#include "analysis/run_overlay.h"
#include "analysis/tp_evaluation.h"
#include "platform/printf_text.h"

namespace vespian {

KineticsAnalysis analyseKinetics(std::span<const KineticsInputRun> runs, const KineticsOptions& options,
                                 double assumedFrequencyPerS) {
    KineticsAnalysis a;
    for (const KineticsInputRun& run : runs) {
        TpEvaluation evaluation(run.signalMv, run.temperatureC);
        evaluation.useFlatEndsBaseline();
        a.corrected.emplace_back(evaluation.corrected().begin(), evaluation.corrected().end());
        a.temperature.emplace_back(evaluation.temperature().begin(), evaluation.temperature().end());
        RunKinetics k;
        k.rate = heatingRateFromTrace(a.temperature.back());
        const std::vector<float>& c = a.corrected.back();
        const auto top = std::max_element(c.begin(), c.end());
        k.tmC = top == c.end() ? NAN : a.temperature.back()[static_cast<size_t>(top - c.begin())];
        k.redhead = redheadEstimate(k.tmC, k.rate.ok() ? k.rate.rateCPerMin : 0.0, assumedFrequencyPerS);
        a.runs.push_back(k);
    }
    std::vector<KineticRun> fitted;
    for (size_t r = 0; r < a.corrected.size(); ++r) fitted.push_back({a.corrected[r], a.temperature[r]});
    a.fit = fitDesorptionKinetics(fitted, options);
    return a;
}

std::vector<std::string> kineticsResultLines(const KineticsFit& fit) {
    switch (fit.status) {
        case KineticsStatus::Ok: break;
        case KineticsStatus::NotConverged: return {"联合拟合未收敛，请检查各谱图的峰和基线。"};
        case KineticsStatus::NoRuns: return {"请添加至少一个谱图。"};
        case KineticsStatus::TooManyRuns: return {printfText("最多%d个谱图。", kMaxKineticRuns)};
        case KineticsStatus::RunMismatch: return {"有谱图的点数不足10点，或信号与温度点数不一致。"};
        case KineticsStatus::NonFiniteData: return {"有谱图含有无效数值。"};
        case KineticsStatus::NoPeak: return {"有谱图扣除基线后没有正的脱附峰。"};
        case KineticsStatus::NoStart: return {"由各谱图的峰温得不到活化能的初值。"};
    }
    std::vector<std::string> lines;
    const IntervalEstimate& e = fit.energyKJPerMol;
    // The value and its interval to the place of u's second digit.
    const RoundedResult ea = roundToUncertainty(e.value, e.u, 1);
    const auto shown = [&](double v) { return printfText("%.*f", static_cast<int>(ea.decimals), v); };
    lines.push_back("Ea = " + ea.value + (ea.u.empty() ? "" : " ± " + ea.u) + " kJ/mol（95 %：" + shown(e.low) + "–" +
                    shown(e.high) + "）");
    lines.push_back(printfText("指前因子 ν = %.2e s⁻¹（95 %%：%.2e–%.2e）", fit.frequencyPerS, fit.frequencyLowPerS,
                               fit.frequencyHighPerS));
    if (fit.orderFitted) {
        lines.push_back(printfText("反应级数 n = %.2f ± %.2f（95 %%：%.2f–%.2f）", fit.order.value, fit.order.u,
                                   fit.order.low, fit.order.high));
    } else {
        lines.push_back(printfText("反应级数 n = %g（固定）", fit.order.value));
    }
    lines.push_back(printfText("残差RMS = %.4f mV，%d个谱图，迭代%d次", fit.rmsResidualMv, fit.runCount, fit.iterations));
    return lines;
}

std::vector<ResultLine> kineticsResults(const KineticsFit& fit) {
    if (!fit.ok()) return {};
    std::vector<ResultLine> results = {
        {"activation_energy", {fit.energyKJPerMol.value, fit.energyKJPerMol.u, true}, "kJ/mol"},
        {"ln_frequency", {std::log(fit.frequencyPerS), fit.lnFrequencyU, fit.frequencyPerS > 0.0}, "ln(s⁻¹)"}};
    if (fit.orderFitted) results.push_back({"order", {fit.order.value, fit.order.u, true}, ""});
    results.push_back({"residual_rms", {fit.rmsResidualMv, 0.0, true}, "mV"});
    return results;
}

std::vector<std::string> redheadLines(std::span<const std::string> names, std::span<const RedheadEstimate> estimates) {
    std::vector<std::string> lines;
    if (estimates.empty()) return lines;
    // The assumption, as the estimate states it, said once for all runs.
    const std::string first = redheadText(RedheadEstimate{RedheadStatus::Ok, 0.0, estimates[0].assumedFrequencyPerS, true});
    const size_t open = first.find("（");
    lines.push_back("Redhead估算" + (open == std::string::npos ? std::string() : first.substr(open)) + "：");
    for (size_t k = 0; k < estimates.size() && k < names.size(); ++k) {
        const RedheadEstimate& e = estimates[k];
        std::string line = names[k] + "：";
        if (e.ok()) {
            line += "Ea = " + numberText("%.1f", e.energyKJPerMol) + " kJ/mol" + (e.withinValidity ? "" : "（ν/β超出公式适用范围）");
        } else {
            const std::string why = redheadText(e);
            const size_t colon = why.find("：");
            line += colon == std::string::npos ? why : why.substr(colon + std::string_view("：").size());
        }
        lines.push_back(line);
    }
    return lines;
}

DrawList kineticsResidualChart(const KineticsAnalysis& analysis, int32_t width, int32_t height) {
    DrawList list;
    const KineticsFit& fit = analysis.fit;
    double tlo = INFINITY, thi = -INFINITY, rmax = 0.0;
    for (int32_t r = 0; r < fit.runCount && static_cast<size_t>(r) < analysis.temperature.size(); ++r) {
        const std::vector<float>& t = analysis.temperature[static_cast<size_t>(r)];
        for (size_t i = 0; i < t.size() && i < fit.runs[static_cast<size_t>(r)].residualMv.size(); ++i) {
            tlo = std::min(tlo, static_cast<double>(t[i]));
            thi = std::max(thi, static_cast<double>(t[i]));
            rmax = std::max(rmax, std::abs(static_cast<double>(fit.runs[static_cast<size_t>(r)].residualMv[i])));
        }
    }
    const bool any = std::isfinite(tlo) && thi > tlo;
    if (!any) {
        tlo = 0.0;
        thi = 1.0;
    }
    if (!(rmax > 0.0)) rmax = 1.0;
    PlotAxes axes{roundAxis(tlo, thi, 8), roundAxis(-1.1 * rmax, 1.1 * rmax, 6), "温度 [℃]", "残差 [mV]", "%g", "%.3g"};
    addPlotAxes(list, axes, width, height);
    if (!any) return list;
    const DrawBox area = plotArea(width, height);
    DrawPolyline zero;
    zero.colour = rgb(120, 120, 120);
    zero.clip = area;
    zero.points = {plotPoint(axes, width, height, axes.x.first, 0.0, false), plotPoint(axes, width, height, axes.x.last, 0.0, false)};
    list.add(std::move(zero));
    for (int32_t r = 0; r < fit.runCount && static_cast<size_t>(r) < analysis.temperature.size(); ++r) {
        const std::vector<float>& t = analysis.temperature[static_cast<size_t>(r)];
        const std::vector<float>& residual = fit.runs[static_cast<size_t>(r)].residualMv;
        DrawPolyline line;
        line.colour = componentColour(r);
        line.clip = area;
        // At most one point a pixel column: thousands of points draw as the same picture.
        const size_t n = std::min(t.size(), residual.size());
        const size_t step = std::max<size_t>(1, n / static_cast<size_t>(std::max(1, area.right - area.left)));
        for (size_t i = 0; i < n; i += step) line.points.push_back(plotPoint(axes, width, height, t[i], residual[i], false));
        list.add(std::move(line));
    }
    return list;
}

}  // namespace vespian
