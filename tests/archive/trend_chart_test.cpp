#include "archive/trend_chart.h"

#include <gtest/gtest.h>

namespace vespian {
namespace {

Trend trendOf3(double a, double b, double c, WallMs step) {
    return computeTrend("dispersion", {{1000, a}, {1000 + step, b}, {1000 + 2 * step, c}});
}

TEST(TrendChart, TheValueAxisHoldsEveryPointAndBothLimitsWithRoomAndAFlatSeriesGetsOneEitherSide) {
    const Trend trend = trendOf3(10.0, 12.0, 11.0, 60'000);
    ASSERT_TRUE(trend.lowerLimit && trend.upperLimit);
    const TrendChartScale scale = trendChartScale(trend);
    const double low = std::min(10.0, *trend.lowerLimit), high = std::max(12.0, *trend.upperLimit);
    EXPECT_DOUBLE_EQ(scale.low, low - 0.08 * (high - low));
    EXPECT_DOUBLE_EQ(scale.high, high + 0.08 * (high - low));

    Trend flat;
    flat.points = {{1000, 5.0}};
    const TrendChartScale one = trendChartScale(flat);
    EXPECT_DOUBLE_EQ(one.low, 4.0 - 0.16);
    EXPECT_DOUBLE_EQ(one.high, 6.0 + 0.16);
}

TEST(TrendChart, PointsLieByTimeOrEvenlyWhenTheyShareOneMoment) {
    const Trend timed = computeTrend("x", {{0, 1.0}, {1000, 2.0}, {4000, 3.0}});
    EXPECT_DOUBLE_EQ(trendChartPosition(timed, 0), 0.0);
    EXPECT_DOUBLE_EQ(trendChartPosition(timed, 1), 0.25);
    EXPECT_DOUBLE_EQ(trendChartPosition(timed, 2), 1.0);
    const Trend together = trendOf3(1.0, 2.0, 3.0, 0);
    EXPECT_DOUBLE_EQ(trendChartPosition(together, 0), 0.5 / 3.0);
    EXPECT_DOUBLE_EQ(trendChartPosition(together, 2), 2.5 / 3.0);
}

TEST(TrendChart, TheTextsOfAResultAndOfTheFind) {
    Registration saved;
    saved.results = {{"dispersion", 64.1234567, 0.0, "%"}, {"bet_area", 87.2, 0.0, "m²/g"}};
    EXPECT_EQ(resultCellText(saved, "dispersion"), "64.1235 %");
    EXPECT_EQ(resultCellText(saved, "active_area"), "");
    EXPECT_EQ(findSummaryText(0, Trend{}), "找到 0 条");
    const Trend trend = trendOf3(10.0, 12.0, 11.0, 60'000);
    const std::string line = findSummaryText(3, trend);
    EXPECT_EQ(line.rfind("找到 3 条；dispersion 均值 11，σ ", 0), 0u) << line;
    EXPECT_NE(line.find("，超出 ±3σ 的 0 点"), std::string::npos) << line;
}

}  // namespace
}  // namespace vespian
