#include "archive/result_trend.h"

#include <algorithm>
#include <cmath>

namespace vespian {

Trend computeTrend(std::string resultName, std::vector<TrendPoint> points) {
    Trend trend;
    trend.resultName = std::move(resultName);
    std::stable_sort(points.begin(), points.end(),
                     [](const TrendPoint& a, const TrendPoint& b) { return a.atMs < b.atMs; });
    trend.points = std::move(points);
    const size_t n = trend.points.size();
    if (n == 0) return trend;
    double sum = 0.0;
    for (const TrendPoint& p : trend.points) sum += p.value;
    const double mean = sum / static_cast<double>(n);
    trend.mean = mean;
    if (n < 2) return trend;
    double squares = 0.0;
    double ranges = 0.0;
    for (size_t i = 0; i < n; ++i) {
        squares += (trend.points[i].value - mean) * (trend.points[i].value - mean);
        if (i > 0) ranges += std::fabs(trend.points[i].value - trend.points[i - 1].value);
    }
    trend.standardDeviation = std::sqrt(squares / static_cast<double>(n - 1));
    const double sigma = ranges / static_cast<double>(n - 1) / kMovingRangeD2;
    trend.sigma = sigma;
    trend.lowerLimit = mean - 3.0 * sigma;
    trend.upperLimit = mean + 3.0 * sigma;
    for (TrendPoint& p : trend.points) {
        p.outside = p.value < *trend.lowerLimit || p.value > *trend.upperLimit;
        if (p.outside) ++trend.outsideCount;
    }
    return trend;
}

TrendResult trendOf(Archive& archive, const std::string& resultName, FindQuery query) {
    TrendResult result;
    if (!query.result) query.result = ResultRange{resultName, std::nullopt, std::nullopt};
    const FindResult found = archive.find(query);
    if (!found.ok) {
        result.message = found.message;
        return result;
    }
    std::vector<TrendPoint> points;
    std::string unit;
    for (const ArchivedSave& save : found.saves) {
        for (const ResultValue& v : save.registration.results) {
            if (v.name != resultName || !std::isfinite(v.value)) continue;
            if (unit.empty()) unit = v.unit;
            points.push_back({save.registration.savedMs, v.value, v.uncertainty, save.registration.id,
                              save.registration.sample, false});
            break;
        }
    }
    result.trend = computeTrend(resultName, std::move(points));
    result.trend.unit = unit;
    result.ok = true;
    return result;
}

}  // namespace vespian
