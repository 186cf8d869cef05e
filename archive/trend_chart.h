#pragma once
// What the find window's trend chart and its summary line show of a trend: the value axis, where
// each point lies along the time axis, and the texts of a found save's result and of the find.

#include <cstddef>
#include <string>

#include "archive/registration.h"
#include "archive/result_trend.h"

namespace vespian {

struct TrendChartScale {
    double low = 0.0;
    double high = 1.0;
};

// Every point and both ±3σ limits inside, with 8 % room above and below; a flat series ±1.
TrendChartScale trendChartScale(const Trend& trend);
// Where point i lies along the time axis, 0..1: by its time, or evenly by order when every point
// shares one moment.
double trendChartPosition(const Trend& trend, size_t i);

// A result as the window shows it: six significant digits, the point as decimal mark.
std::string trendNumberText(double value);
// The named result of a save with its unit ("64.1 %"), empty when the save has none.
std::string resultCellText(const Registration& registration, const std::string& resultName);
// "找到 N 条", and with a trend "；name 均值 m，σ s，超出 ±3σ 的 k 点".
std::string findSummaryText(size_t found, const Trend& trend);

}  // namespace vespian
