// The trend of a result over time: limits from the moving range so that a wild point shows, the
// points in time order whatever order they were archived in, only the chosen result.

#include <gtest/gtest.h>

#include "archive/result_trend.h"
#include "archive/sql_archive.h"
#include "archive_behaviour.h"

namespace vespian {
namespace {

using testing::kDay;
using testing::kJan1;

TEST(ResultTrend, AWildPointLiesOutsideLimitsFromTheMovingRange) {
    const std::vector<double> areas = {10, 10.2, 9.8, 10.1, 9.9, 10, 10.2, 9.8, 10.1, 13};
    std::vector<TrendPoint> points;
    for (size_t i = 0; i < areas.size(); ++i) {
        TrendPoint p;
        p.atMs = kJan1 + static_cast<WallMs>(i) * kDay;
        p.value = areas[i];
        points.push_back(p);
    }
    const Trend trend = computeTrend("pulse_area", points);
    // By hand: mean 10.31; mean moving range 5.0 / 9 = 0.5556, σ = 0.5556 / 1.128 = 0.4925.
    EXPECT_NEAR(*trend.mean, 10.31, 1e-12);
    EXPECT_NEAR(*trend.sigma, 0.492514, 1e-6);
    EXPECT_NEAR(*trend.upperLimit, 11.787541, 1e-6);
    EXPECT_NEAR(*trend.lowerLimit, 8.832459, 1e-6);
    EXPECT_NEAR(*trend.standardDeviation, 0.956208, 1e-6);
    EXPECT_EQ(trend.outsideCount, 1);
    EXPECT_TRUE(trend.points.back().outside);
    // Limits of the plain standard deviation would have let it through: 10.31 + 3 × 0.956 > 13.
    EXPECT_LT(13.0, *trend.mean + 3 * *trend.standardDeviation);

    EXPECT_FALSE(computeTrend("x", {points.front()}).sigma.has_value());
    EXPECT_FALSE(computeTrend("x", {}).mean.has_value());
}

TEST(ResultTrend, FollowsTheChosenResultOfTheArchivedSavesInTimeOrder) {
    testing::TestFolder folder("trend");
    OpenedArchive opened = openSqliteArchive(folder.file("archive.sqlite"));
    ASSERT_TRUE(opened.archive);
    const Registration base = testing::traceRegistration("", "", "loop", kJan1);
    for (int day : {3, 1, 2}) {  // archived out of order
        Registration e = testing::evaluationOf(base, "pulse_area", 100.0 + day, kJan1 + day * kDay);
        e.results.push_back({"dispersion", 40.0, 1.0, "%", {}});
        ASSERT_TRUE(opened.archive->registerSave(e).ok);
    }
    Registration other = testing::evaluationOf(base, "bet_area", 200.0, kJan1 + 4 * kDay);
    ASSERT_TRUE(opened.archive->registerSave(other).ok);

    FindQuery query;
    query.sample = "loop";
    const TrendResult result = trendOf(*opened.archive, "pulse_area", query);
    ASSERT_TRUE(result.ok) << result.message;
    ASSERT_EQ(result.trend.points.size(), 3u);
    EXPECT_DOUBLE_EQ(result.trend.points[0].value, 101.0);
    EXPECT_DOUBLE_EQ(result.trend.points[2].value, 103.0);
    EXPECT_DOUBLE_EQ(result.trend.points[1].uncertainty, 102.0 * 0.02);
    EXPECT_EQ(result.trend.unit, "µmol/g");
    EXPECT_DOUBLE_EQ(*result.trend.mean, 102.0);
}

}  // namespace
}  // namespace vespian
