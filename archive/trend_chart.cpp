#include "archive/trend_chart.h"

#include <algorithm>

#include "platform/printf_text.h"

namespace vespian {

TrendChartScale trendChartScale(const Trend& trend) {
    if (trend.points.empty()) return {};
    double low = trend.points.front().value, high = low;
    for (const TrendPoint& t : trend.points) {
        low = std::min(low, t.value);
        high = std::max(high, t.value);
    }
    if (trend.lowerLimit) low = std::min(low, *trend.lowerLimit);
    if (trend.upperLimit) high = std::max(high, *trend.upperLimit);
    if (high - low < 1e-12) {
        low -= 1.0;
        high += 1.0;
    }
    const double margin = 0.08 * (high - low);
    return {low - margin, high + margin};
}

double trendChartPosition(const Trend& trend, size_t i) {
    const std::vector<TrendPoint>& points = trend.points;
    if (points.empty() || i >= points.size()) return 0.0;
    const WallMs first = points.front().atMs, last = points.back().atMs;
    if (last == first) return (static_cast<double>(i) + 0.5) / static_cast<double>(points.size());
    return static_cast<double>(points[i].atMs - first) / static_cast<double>(last - first);
}

std::string trendNumberText(double value) { return printfText("%.6g", value); }

std::string resultCellText(const Registration& registration, const std::string& resultName) {
    std::string text;
    for (const ResultValue& v : registration.results) {
        if (v.name == resultName) text = trendNumberText(v.value) + (v.unit.empty() ? "" : " " + v.unit);
    }
    return text;
}

std::string findSummaryText(size_t found, const Trend& trend) {
    std::string line = "找到 " + std::to_string(found) + " 条";
    if (!trend.resultName.empty() && trend.mean) {
        line += "；" + trend.resultName + " 均值 " + trendNumberText(*trend.mean);
        if (trend.sigma) line += "，σ " + trendNumberText(*trend.sigma);
        line += "，超出 ±3σ 的 " + std::to_string(trend.outsideCount) + " 点";
    }
    return line;
}

}  // namespace vespian
