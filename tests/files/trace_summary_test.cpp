#include "files/trace_summary.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

namespace vespian {
namespace {

TEST(TraceSummary, CountsDurationAndRanges) {
    const std::vector<float> signal = {0.5f, -2.25f, 7.0f, 1.0f, 3.0f, -1.0f};
    const std::vector<float> temperature = {25.0f, 30.0f, 29.0f, 410.5f, 35.0f, 24.5f};
    const TraceSummary s = summarizeTrace(signal.data(), temperature.data(), 6);
    EXPECT_EQ(s.points, 6);
    EXPECT_DOUBLE_EQ(s.durationS, 1.2);
    ASSERT_TRUE(s.signalMv && s.temperatureC);
    EXPECT_EQ(s.signalMv->min, -2.25f);
    EXPECT_EQ(s.signalMv->max, 7.0f);
    EXPECT_EQ(s.temperatureC->min, 24.5f);
    EXPECT_EQ(s.temperatureC->max, 410.5f);
    // Only the first n points count.
    const TraceSummary two = summarizeTrace(signal.data(), temperature.data(), 2);
    EXPECT_EQ(two.signalMv->max, 0.5f);
    EXPECT_EQ(two.temperatureC->max, 30.0f);
}

TEST(TraceSummary, EmptyTracesAndValuesThatAreNotNumbersHaveNoRange) {
    const TraceSummary empty = summarizeTrace(nullptr, nullptr, 0);
    EXPECT_EQ(empty.points, 0);
    EXPECT_EQ(empty.durationS, 0.0);
    EXPECT_FALSE(empty.signalMv);
    EXPECT_FALSE(empty.temperatureC);

    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    const std::vector<float> signal = {nan, 4.0f, -inf, -3.0f, inf};
    const std::vector<float> temperature = {nan, nan, nan, nan, nan};
    const TraceSummary s = summarizeTrace(signal.data(), temperature.data(), 5);
    ASSERT_TRUE(s.signalMv);
    EXPECT_EQ(s.signalMv->min, -3.0f);
    EXPECT_EQ(s.signalMv->max, 4.0f);
    EXPECT_FALSE(s.temperatureC);
}

}  // namespace
}  // namespace vespian
