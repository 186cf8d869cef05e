#include "analysis/tp_evaluation.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "analysis/tp_report.h"
#include "files/list_export.h"
#include "files/test_report.h"
#include "platform/printf_text.h"

namespace vespian {

TpEvaluation::TpEvaluation(std::span<const float> signalMv, std::span<const float> temperatureC) {
    const size_t n = std::min(signalMv.size(), temperatureC.size());
    signal_.assign(signalMv.begin(), signalMv.begin() + static_cast<std::ptrdiff_t>(n));
    temperature_.assign(temperatureC.begin(), temperatureC.begin() + static_cast<std::ptrdiff_t>(n));
    correct();
}

void TpEvaluation::correct() {
    corrected_.assign(signal_.size(), 0.0f);
    if (kind_ == BaselineKind::None) {
        corrected_ = signal_;
    } else {
        subtractBaseline(signal_, line_, corrected_);
    }
    proposals_ = {};
    hasFit_ = false;
}

BaselineStatus TpEvaluation::useNoBaseline() {
    kind_ = BaselineKind::None;
    line_ = {};
    correct();
    return BaselineStatus::Ok;
}

BaselineStatus TpEvaluation::useBaselineThrough(int32_t firstIndex, int32_t secondIndex) {
    const BaselineLine line = baselineThroughPoints(signal_, firstIndex, secondIndex);
    if (!line.ok()) return line.status;
    kind_ = BaselineKind::TwoPoints;
    line_ = line;
    correct();
    return BaselineStatus::Ok;
}

BaselineStatus TpEvaluation::useFlatEndsBaseline(double endShare) {
    const BaselineLine line = baselineFromFlatEnds(signal_, endShare);
    if (!line.ok()) return line.status;
    kind_ = BaselineKind::FlatEnds;
    line_ = line;
    correct();
    return BaselineStatus::Ok;
}

const TmProposals& TpEvaluation::propose(double minProminenceMv) {
    proposals_ = proposeTmValues(corrected_, temperature_, minProminenceMv);
    return proposals_;
}

DeconvolutionResult TpEvaluation::fit(std::span<const int32_t> startIndices, PeakShape shape) {
    FitOptions options;
    options.shape = shape;
    return fit(startIndices, options);
}

DeconvolutionResult TpEvaluation::fit(std::span<const int32_t> startIndices, const FitOptions& options) {
    DeconvolutionResult result = fitPeakComponents(corrected_, temperature_, startIndices, options);
    if (result.converged()) {
        fit_ = result;
        hasFit_ = true;
    }
    return result;
}

ShapeChoice TpEvaluation::fitBestShape(std::span<const int32_t> startIndices, std::span<const PeakShape> shapes) {
    ShapeChoice choice = fitBestPeakShape(corrected_, temperature_, startIndices, shapes);
    if (choice.ok()) {
        fit_ = choice.best();
        hasFit_ = true;
    }
    return choice;
}

std::string fitStatusText(FitStatus status) {
    switch (status) {
        case FitStatus::Converged: return {};
        case FitStatus::NotConverged: return "拟合未收敛，结果未采用，请调整起始Tm或峰形后重试。";
        case FitStatus::NoComponents: return "请先在Tm值列表中选定至少一个Tm作为拟合起点。";
        case FitStatus::TooManyComponents: return printfText("拟合最多%d个组分，请减少Tm值。", kMaxFitComponents);
        case FitStatus::StartOutside: return "有Tm值不在本谱图范围内，无法拟合。";
        case FitStatus::StartsTooClose: return "有两个Tm值落在同一点上，无法区分组分。";
        case FitStatus::TooFewPoints: return "谱图点数太少，无法拟合。";
        case FitStatus::NonFiniteSignal: return "谱图含有无效数据，无法拟合。";
        case FitStatus::NoSignal: return "谱图信号为零，无可拟合的峰。";
    }
    return "拟合失败。";
}

std::string baselineStatusText(BaselineStatus status) {
    switch (status) {
        case BaselineStatus::Ok: return {};
        case BaselineStatus::TooFewPoints: return "谱图点数太少，无法确定基线。";
        case BaselineStatus::PointOutside: return "基线点不在谱图范围内。";
        case BaselineStatus::SamePoint: return "两个基线点相同，请在谱图上点击两个不同的位置。";
        case BaselineStatus::NonFiniteSignal: return "谱图含有无效数据，无法确定基线。";
    }
    return "无法确定基线。";
}

bool appendTm(TestReportHeader& header, int32_t index, float tmC) {
    if (header.tmCount >= kMaxTmPicks) return false;
    if (index < 0 || index > header.reportPointCount || !std::isfinite(tmC)) return false;
    if (header.tmCount < 0) header.tmCount = 0;
    header.tmValues[header.tmCount] = tmC;
    header.tmIndices[header.tmCount] = index;
    ++header.tmCount;
    return true;
}

std::vector<PeakSegment> peakSegments(std::span<const float> correctedMv, std::span<const float> temperatureC,
                                      std::span<const int32_t> tmIndices) {
    const int32_t n = static_cast<int32_t>(correctedMv.size());
    std::vector<int32_t> maxima;
    for (int32_t i : tmIndices) {
        if (i >= 0 && i < n) maxima.push_back(i);
    }
    std::sort(maxima.begin(), maxima.end());
    maxima.erase(std::unique(maxima.begin(), maxima.end()), maxima.end());
    std::vector<PeakSegment> segments;
    int32_t first = 0;
    for (size_t k = 0; k < maxima.size(); ++k) {
        int32_t last = n - 1;
        if (k + 1 < maxima.size()) {
            // The valley between this maximum and the next divides the two peaks.
            last = maxima[k];
            for (int32_t i = maxima[k]; i <= maxima[k + 1]; ++i) {
                if (correctedMv[static_cast<size_t>(i)] < correctedMv[static_cast<size_t>(last)]) last = i;
            }
        }
        PeakSegment s;
        s.tmIndex = maxima[k];
        s.first = first;
        s.last = last;
        s.tmC = maxima[k] < static_cast<int32_t>(temperatureC.size()) ? temperatureC[static_cast<size_t>(maxima[k])] : 0.0f;
        for (int32_t i = first; i <= last; ++i) {
            const float v = correctedMv[static_cast<size_t>(i)];
            if (std::isfinite(v)) s.area += v;
        }
        segments.push_back(s);
        first = last + 1;
    }
    return segments;
}

std::vector<EvaluationRow> evaluationRows(std::span<const PeakSegment> peaks, const DeconvolutionResult* fit,
                                          const UptakeReference& reference) {
    std::vector<EvaluationRow> rows;
    double peakTotal = 0.0;
    for (const PeakSegment& p : peaks) peakTotal += p.area;
    int32_t number = 0;
    for (const PeakSegment& p : peaks) {
        EvaluationRow row;
        row.kind = "峰";
        row.number = ++number;
        row.tmC = p.tmC;
        row.area = p.area;
        row.share = peakTotal != 0.0 ? p.area / peakTotal : 0.0;
        row.amount = peakAmount(p.area, reference.referenceArea, reference.loop, reference.sampleWeightG);
        rows.push_back(row);
    }
    if (fit != nullptr) {
        number = 0;
        for (const FitComponent& c : fit->list()) {
            EvaluationRow row;
            row.kind = "组分";
            row.number = ++number;
            row.tmC = c.maximumTemperatureC;
            row.area = c.area;
            row.share = c.areaShare;
            row.amount = peakAmount(c.area, reference.referenceArea, reference.loop, reference.sampleWeightG);
            rows.push_back(row);
        }
    }
    return rows;
}

std::string evaluationCsv(std::span<const EvaluationRow> rows) {
    std::string csv = std::string(kCsvByteOrderMark) + "类别,序号,Tm[℃],面积[mV×点],份额[%],吸附量[µmol],吸附量[µmol/g]\n";
    for (const EvaluationRow& r : rows) {
        const bool amount = r.amount.status == UptakeStatus::Ok || r.amount.status == UptakeStatus::NoSampleWeight;
        const bool perGram = r.amount.status == UptakeStatus::Ok;
        csv += r.kind + "," + std::to_string(r.number) + "," + numberText("%.1f", r.tmC) + "," +
               numberText("%.3f", r.area) + "," + numberText("%.2f", 100.0 * r.share) + "," +
               (amount ? numberText("%.4f", r.amount.micromol) : std::string()) + "," +
               (perGram ? numberText("%.4f", r.amount.micromolPerGram) : std::string()) + "\n";
    }
    return csv;
}

int32_t evaluationChartX(int32_t index, int32_t pointCount) {
    if (pointCount < 2) return 0;
    const double x = static_cast<double>(index) * (kReportChartWidth - 1) / (pointCount - 1);
    return std::clamp(static_cast<int32_t>(std::lround(x)), 0, kReportChartWidth - 1);
}

int32_t evaluationChartIndex(int32_t chartX, int32_t pointCount) {
    if (pointCount < 2) return 0;
    const double i = static_cast<double>(std::clamp(chartX, 0, kReportChartWidth - 1)) * (pointCount - 1) /
                     (kReportChartWidth - 1);
    return std::clamp(static_cast<int32_t>(std::lround(i)), 0, pointCount - 1);
}

DrawColour componentColour(int32_t k) {
    static constexpr std::array<DrawColour, 8> kColours = {rgb(0, 90, 200),  rgb(0, 150, 150), rgb(150, 60, 200),
                                                           rgb(200, 150, 0), rgb(90, 140, 0),  rgb(200, 0, 0),
                                                           rgb(0, 60, 120),  rgb(160, 80, 40)};
    return kColours[static_cast<size_t>(std::abs(k)) % kColours.size()];
}

namespace {

// The vertical scale of the chart: the curves' range with a tenth added above and below.
struct ChartScale {
    double lo = 0.0;
    double hi = 1.0;
    int32_t y(double v) const {
        const double t = (v - lo) / (hi - lo);
        const double y = (kReportChartHeight - 1) * (1.0 - t);
        if (!std::isfinite(y)) return kReportChartHeight - 1;
        return static_cast<int32_t>(std::lround(std::clamp(y, 0.0, kReportChartHeight - 1.0)));
    }
};

}  // namespace

DrawList tpEvaluationChart(const TpEvaluation& evaluation, std::span<const int32_t> tmIndices,
                           std::span<const int32_t> pendingBaselineClicks) {
    DrawList list;
    addChartBackground(list);
    const int32_t n = evaluation.pointCount();
    if (n < 2) return list;
    // Without a subtracted baseline the recorded signal is shown; with one, the corrected curve.
    const std::span<const float> curve = evaluation.corrected();
    ChartScale scale;
    bool any = false;
    for (float v : curve) {
        if (!std::isfinite(v)) continue;
        if (!any) scale.lo = scale.hi = v;
        scale.lo = std::min(scale.lo, static_cast<double>(v));
        scale.hi = std::max(scale.hi, static_cast<double>(v));
        any = true;
    }
    if (evaluation.baselineKind() != BaselineKind::None) scale.lo = std::min(scale.lo, 0.0);
    if (scale.hi - scale.lo < 1e-6) scale.hi = scale.lo + 1.0;
    const double margin = 0.1 * (scale.hi - scale.lo);
    scale.lo -= margin;
    scale.hi += margin;

    // The temperature at each vertical grid line, along the top.
    for (int32_t k = 1; k < 10; ++k) {
        const int32_t x = kReportChartWidth * k / 10;
        const float t = evaluation.temperature()[static_cast<size_t>(evaluationChartIndex(x, n))];
        list.add(DrawText{x, 2, numberText("%.0f℃", t), 11, FontFace::Song, HAlign::Centre, VAlign::Top, kBaselineColour});
    }
    if (evaluation.baselineKind() != BaselineKind::None) {
        const int32_t zero = scale.y(0.0);
        list.add(DrawLine{{0, zero}, {kReportChartWidth - 1, zero}, kBaselineColour, 1, true});
    }
    // One polyline point per chart column: the column's highest value keeps peaks visible.
    auto polyline = [&](auto value, DrawColour colour, int32_t width) {
        DrawPolyline line;
        line.colour = colour;
        line.width = width;
        for (int32_t x = 0; x < kReportChartWidth; ++x) {
            const int32_t from = evaluationChartIndex(x, n);
            const int32_t to = x + 1 < kReportChartWidth ? std::max(from, evaluationChartIndex(x + 1, n) - 1) : n - 1;
            double best = value(from);
            for (int32_t i = from + 1; i <= to; ++i) best = std::max(best, value(i));
            line.points.push_back({x, scale.y(best)});
        }
        list.add(std::move(line));
    };
    polyline([&](int32_t i) { return static_cast<double>(curve[static_cast<size_t>(i)]); }, kSignalColour, 1);

    if (evaluation.hasFit()) {
        const DeconvolutionResult& fit = evaluation.fitted();
        for (int32_t k = 0; k < fit.componentCount; ++k) {
            const FitComponent& c = fit.components[static_cast<size_t>(k)];
            polyline([&](int32_t i) { return componentValueAt(c, i); }, componentColour(k), 1);
        }
        polyline([&](int32_t i) { return fittedValueAt(fit, i); }, kFitSumColour, 2);
    }
    for (int32_t i : tmIndices) {
        if (i < 0 || i >= n) continue;
        const int32_t x = evaluationChartX(i, n);
        list.add(DrawLine{{x, kReportChartHeight - 1}, {x, kReportChartHeight - 16}, kTmColour, 2});
        list.add(DrawText{x, kReportChartHeight - 30, numberText("%.0f", evaluation.temperature()[static_cast<size_t>(i)]),
                          12, FontFace::Song, HAlign::Centre, VAlign::Top, kTmColour});
    }
    for (const TmProposal& p : evaluation.proposals().list()) {
        const int32_t x = evaluationChartX(p.index, n);
        const int32_t y = scale.y(curve[static_cast<size_t>(p.index)]);
        list.add(DrawFrame{{x - 5, y - 5, x + 6, y + 6}, kProposalColour, 2});
    }
    for (int32_t i : pendingBaselineClicks) {
        if (i < 0 || i >= n) continue;
        const int32_t x = evaluationChartX(i, n);
        list.add(DrawLine{{x, 0}, {x, kReportChartHeight - 1}, kBaselineColour, 1, true});
    }
    return list;
}

}  // namespace vespian
