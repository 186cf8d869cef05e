#include "analysis/evaluation_plots.h"

#include <algorithm>
#include <cmath>

#include "platform/printf_text.h"

namespace vespian {

namespace {

constexpr DrawColour kPlotPaper = rgb(255, 255, 255);
constexpr DrawColour kPlotGrid = rgb(225, 225, 225);
constexpr DrawColour kPointColour = rgb(0, 90, 200);
constexpr DrawColour kLineColour = rgb(200, 0, 100);
constexpr DrawColour kFlagColour = rgb(210, 0, 0);
constexpr DrawColour kRangeColour = rgb(235, 245, 235);

double axisSpan(const AxisTicks& t) { return t.last > t.first ? t.last - t.first : 1.0; }

void hollowMark(DrawList& list, DrawPoint p, DrawColour colour) {
    list.add(DrawFrame{{p.x - 4, p.y - 4, p.x + 5, p.y + 5}, colour, 2});
}

void filledMark(DrawList& list, DrawPoint p, DrawColour colour) {
    list.add(DrawFill{{p.x - 4, p.y - 4, p.x + 5, p.y + 5}, colour});
}

}  // namespace

DrawBox plotArea(int32_t width, int32_t height) {
    return {kPlotLeftMargin, kPlotTopMargin, std::max(kPlotLeftMargin + 1, width - kPlotRightMargin),
            std::max(kPlotTopMargin + 1, height - kPlotBottomMargin)};
}

DrawPoint plotPoint(const PlotAxes& axes, int32_t width, int32_t height, double x, double y, bool clamp) {
    const DrawBox a = plotArea(width, height);
    // Unclamped, a line still ends within a few frames of the plot, far from integer overflow.
    const double lo = clamp ? 0.0 : -4.0, hi = clamp ? 1.0 : 5.0;
    const double tx = std::clamp((x - axes.x.first) / axisSpan(axes.x), lo, hi);
    const double ty = std::clamp((y - axes.y.first) / axisSpan(axes.y), lo, hi);
    const double px = a.left + tx * (a.right - 1 - a.left);
    const double py = a.bottom - 1 - ty * (a.bottom - 1 - a.top);
    return {static_cast<int32_t>(std::lround(std::isfinite(px) ? px : a.left)),
            static_cast<int32_t>(std::lround(std::isfinite(py) ? py : a.bottom - 1))};
}

void addPlotAxes(DrawList& list, const PlotAxes& axes, int32_t width, int32_t height) {
    const DrawBox a = plotArea(width, height);
    list.add(DrawFill{{0, 0, width, height}, kPlotPaper});
    const int32_t nx = std::min(axes.x.count(), 40);
    const int32_t ny = std::min(axes.y.count(), 40);
    for (int32_t k = 0; k < nx; ++k) {
        const double v = axes.x.first + k * axes.x.step;
        const DrawPoint p = plotPoint(axes, width, height, v, axes.y.first);
        list.add(DrawLine{{p.x, a.top}, {p.x, a.bottom - 1}, kPlotGrid});
        list.add(DrawText{p.x, a.bottom + 4, numberText(axes.xPattern, std::abs(v) < 1e-12 ? 0.0 : v), 12,
                          FontFace::Song, HAlign::Centre});
    }
    for (int32_t k = 0; k < ny; ++k) {
        const double v = axes.y.first + k * axes.y.step;
        const DrawPoint p = plotPoint(axes, width, height, axes.x.first, v);
        list.add(DrawLine{{a.left, p.y}, {a.right - 1, p.y}, kPlotGrid});
        list.add(DrawText{a.left - 4, p.y, numberText(axes.yPattern, std::abs(v) < 1e-12 ? 0.0 : v), 12,
                          FontFace::Song, HAlign::Right, VAlign::Centre});
    }
    list.add(DrawFrame{a, kBlack});
    list.add(DrawText{(a.left + a.right) / 2, height - 20, axes.xTitle, 13, FontFace::Song, HAlign::Centre});
    list.add(DrawText{12, (a.top + a.bottom) / 2, axes.yTitle, 13, FontFace::Song, HAlign::Centre, VAlign::Top,
                      kBlack, true});
}

// ---- Kissinger ------------------------------------------------------------------------------

std::vector<std::string> kissingerResultLines(const KissingerFit& fit) {
    switch (fit.status) {
        case KissingerStatus::Ok: break;
        case KissingerStatus::TooFewRuns: return {"至少需要两个不同升温速率的谱图。"};
        case KissingerStatus::TooManyRuns: return {printfText("最多%d个谱图。", kMaxKissingerRuns)};
        case KissingerStatus::InvalidRate: return {"有谱图的升温速率不大于0，请输入升温速率。"};
        case KissingerStatus::InvalidTemperature: return {"有Tm值无效（不高于绝对零度），无法计算。"};
        case KissingerStatus::SameTemperature: return {"各谱图的Tm值相同，无法拟合直线。"};
        case KissingerStatus::EnergyNotPositive:
            return {"拟合直线斜率为正（升温越快Tm越低），得不到活化能。", "请检查各谱图所选的峰和升温速率。"};
    }
    std::vector<std::string> lines;
    if (fit.hasStandardError) {
        lines.push_back(printfText("Ea = %.1f ± %.1f kJ/mol", fit.energyKJPerMol, fit.energyStandardErrorKJPerMol));
    } else {
        lines.push_back(printfText("Ea = %.1f kJ/mol（两个谱图，无标准误差）", fit.energyKJPerMol));
    }
    lines.push_back(printfText("r² = %.4f", fit.rSquared));
    lines.push_back(printfText("斜率 = %.1f K，截距 = %.3f", fit.slopeK, fit.intercept));
    if (fit.frequencyFactorPerS > 0.0) lines.push_back(printfText("指前因子 A = %.3e 1/s", fit.frequencyFactorPerS));
    return lines;
}

DrawList kissingerChart(const KissingerFit& fit, int32_t width, int32_t height) {
    DrawList list;
    double xlo = 0.0, xhi = 0.0, ylo = 0.0, yhi = 0.0;
    bool any = false;
    for (const KissingerPoint& p : fit.list()) {
        const double x = 1000.0 * p.inverseTmPerK;
        if (!std::isfinite(x) || !std::isfinite(p.lnRateOverTm2)) continue;
        if (!any) {
            xlo = xhi = x;
            ylo = yhi = p.lnRateOverTm2;
        }
        xlo = std::min(xlo, x);
        xhi = std::max(xhi, x);
        ylo = std::min(ylo, p.lnRateOverTm2);
        yhi = std::max(yhi, p.lnRateOverTm2);
        any = true;
    }
    const double mx = 0.08 * (xhi - xlo), my = 0.08 * (yhi - ylo);
    PlotAxes axes{roundAxis(xlo - mx, xhi + mx, 8), roundAxis(ylo - my, yhi + my, 8), "1000/Tm [1/K]", "ln(β/Tm²)",
                  "%.3g", "%.2f"};
    addPlotAxes(list, axes, width, height);
    if (!any) return list;
    const bool line = fit.count >= 2 && fit.status != KissingerStatus::SameTemperature &&
                      fit.status != KissingerStatus::TooFewRuns && fit.status != KissingerStatus::TooManyRuns;
    if (line) {
        const DrawBox a = plotArea(width, height);
        DrawPolyline fitted;
        fitted.colour = kLineColour;
        fitted.width = 2;
        fitted.clip = a;
        for (double x : {axes.x.first, axes.x.last}) {
            fitted.points.push_back(plotPoint(axes, width, height, x, fit.intercept + fit.slopeK * x / 1000.0, false));
        }
        list.add(std::move(fitted));
    }
    for (const KissingerPoint& p : fit.list()) {
        hollowMark(list, plotPoint(axes, width, height, 1000.0 * p.inverseTmPerK, p.lnRateOverTm2), kPointColour);
    }
    return list;
}

// ---- overlay --------------------------------------------------------------------------------

DrawColour overlayDrawColour(int32_t run) {
    const StoredColour c = overlayColour(run);
    return rgb(c & 0xFFu, (c >> 8) & 0xFFu, (c >> 16) & 0xFFu);
}

DrawList overlayChart(std::span<const OverlayRun> runs, std::span<const std::string> legends, bool perGram,
                      int32_t width, int32_t height) {
    DrawList list;
    const OverlayPlan plan = planOverlay(runs, perGram);
    PlotAxes axes{plan.temperatureAxis, plan.signalAxis, "温度 [℃]", perGram ? "信号 [mV/g]" : "信号 [mV]", "%g", "%g"};
    addPlotAxes(list, axes, width, height);
    const DrawBox a = plotArea(width, height);
    std::vector<PlotPoint> pixels;
    for (int32_t k = 0; k < plan.runCount; ++k) {
        const double scale = plan.scale[static_cast<size_t>(k)];
        if (!(scale != 0.0)) continue;
        overlayPolyline(runs[static_cast<size_t>(k)], scale, plan, a.right - a.left, a.bottom - a.top, pixels);
        DrawPolyline line;
        line.colour = overlayDrawColour(k);
        line.clip = a;
        line.points.reserve(pixels.size());
        for (const PlotPoint& p : pixels) line.points.push_back({a.left + p.x, a.top + p.y});
        list.add(std::move(line));
    }
    // The legend, top left where a temperature-programmed run is still on its baseline: a short
    // line in the run's colour and its text, one row per run.
    int32_t y = a.top + 8;
    for (int32_t k = 0; k < plan.runCount && k < static_cast<int32_t>(legends.size()); ++k) {
        const DrawColour colour = overlayDrawColour(k);
        std::string text = legends[static_cast<size_t>(k)];
        if (plan.unweighed[static_cast<size_t>(k)]) text += "（无样品重量，未画出）";
        list.add(DrawLine{{a.left + 10, y + 7}, {a.left + 34, y + 7}, colour, 3});
        list.add(DrawText{a.left + 40, y, text, 12, FontFace::Song, HAlign::Left, VAlign::Top, colour});
        y += 18;
    }
    if (plan.status == OverlayStatus::TooManyRuns) {
        list.add(DrawText{a.left + 10, y + 4, printfText("只画出前%d个谱图", kMaxOverlayRuns), 12});
    }
    return list;
}

// ---- least-squares BET ---------------------------------------------------------------------

std::vector<std::string> betLeastSquaresLines(const BetLeastSquares& fit) {
    switch (fit.status) {
        case BetFitStatus::Ok: break;
        case BetFitStatus::TooFewPoints: return {"请至少选择两个测量点。"};
        case BetFitStatus::TooManyPoints: return {printfText("最多%d个测量点。", kMaxBetFitPoints)};
        case BetFitStatus::InvalidPoint: return {"所选测量点中有P/Po不在0与1之间或吸附量不大于0的点。"};
        case BetFitStatus::SamePressure: return {"所选测量点的P/Po相同，无法拟合直线。"};
        case BetFitStatus::NonPhysicalLine: return {"斜率与截距之和不大于0，得不到单层吸附量。"};
    }
    auto yesNo = [](bool passed) { return passed ? std::string("通过") : std::string("未通过"); };
    std::vector<std::string> lines;
    lines.push_back(printfText("所用测量点：%d个", fit.chosenCount));
    lines.push_back(printfText("斜率 = %.5g，截距 = %.5g，r = %.5f", fit.slope, fit.intercept, fit.correlation));
    lines.push_back("C = " + numberText("%.1f", fit.cConstant));
    lines.push_back("Vm = " + numberText("%.4f", fit.monolayerMlPerG) + " ml/g");
    lines.push_back("比表面积 = " + numberText("%.3f", fit.areaM2PerG) + " m²/g");
    if (fit.outsideRangeCount > 0) {
        lines.push_back(printfText("注意：%d个所用测量点在0.05–0.30 P/Po范围之外", fit.outsideRangeCount));
    }
    lines.push_back("Rouquerol判据：");
    lines.push_back("  C > 0：" + yesNo(fit.cPositive));
    lines.push_back("  V(1−P/Po)随P/Po递增：" + yesNo(fit.uptakeRising));
    lines.push_back("  单层对应P/Po = " + numberText("%.3f", fit.monolayerRelativePressure) + " 在所用范围内：" +
                    yesNo(fit.monolayerInRange));
    return lines;
}

DrawList betLeastSquaresChart(std::span<const double> relativePressure, const BetLeastSquares& fit, int32_t width,
                              int32_t height) {
    DrawList list;
    const int32_t n = std::min<int32_t>(fit.pointCount, static_cast<int32_t>(relativePressure.size()));
    double ylo = 0.0, yhi = 0.0;
    bool any = false;
    for (int32_t k = 0; k < n; ++k) {
        const double y = fit.points[static_cast<size_t>(k)].betY;
        if (!(y > 0.0) || !std::isfinite(y)) continue;
        if (!any) ylo = yhi = y;
        ylo = std::min(ylo, y);
        yhi = std::max(yhi, y);
        any = true;
    }
    if (fit.ok()) ylo = std::min(ylo, fit.intercept);
    PlotAxes axes{roundAxis(0.0, 0.4, 8), roundAxis(std::min(0.0, ylo), yhi * 1.1, 8), "P/Po", "1/(V(Po/P−1))",
                  "%.2f", "%.3g"};
    addPlotAxes(list, axes, width, height);
    const DrawPoint lo = plotPoint(axes, width, height, kBetRangeLow, axes.y.last);
    const DrawPoint hi = plotPoint(axes, width, height, kBetRangeHigh, axes.y.first);
    list.items.insert(list.items.begin() + 1, DrawFill{{lo.x, lo.y, hi.x, hi.y}, kRangeColour});
    if (fit.ok()) {
        double xlo = 1.0, xhi = 0.0;
        for (int32_t k = 0; k < n; ++k) {
            if (!fit.points[static_cast<size_t>(k)].chosen) continue;
            xlo = std::min(xlo, relativePressure[static_cast<size_t>(k)]);
            xhi = std::max(xhi, relativePressure[static_cast<size_t>(k)]);
        }
        DrawPolyline line;
        line.colour = kLineColour;
        line.width = 2;
        line.clip = plotArea(width, height);
        for (double x : {xlo, xhi}) {
            line.points.push_back(plotPoint(axes, width, height, x, fit.intercept + fit.slope * x, false));
        }
        list.add(std::move(line));
    }
    for (int32_t k = 0; k < n; ++k) {
        const BetFitPoint& p = fit.points[static_cast<size_t>(k)];
        if (!(p.betY > 0.0)) continue;
        const DrawPoint at = plotPoint(axes, width, height, relativePressure[static_cast<size_t>(k)], p.betY);
        const DrawColour colour = p.outsideRange ? kFlagColour : kPointColour;
        if (p.chosen) {
            filledMark(list, at, colour);
        } else {
            hollowMark(list, at, colour);
        }
    }
    return list;
}

}  // namespace vespian
