#include "analysis/baseline.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

namespace vespian {
namespace {

// A desorption peak on a tilted baseline: 2.5 mV + 0.003 mV per point.
std::vector<float> peakOnSlope(int n, std::vector<float>* peakOnly = nullptr) {
    std::vector<float> signal(n);
    if (peakOnly != nullptr) peakOnly->assign(n, 0.0f);
    for (int i = 0; i < n; ++i) {
        const double z = (i - 500.0) / 30.0;
        const float peak = static_cast<float>(12.0 * std::exp(-0.5 * z * z));
        signal[i] = static_cast<float>(2.5 + 0.003 * i + peak);
        if (peakOnly != nullptr) (*peakOnly)[i] = peak;
    }
    return signal;
}

TEST(Baseline, StraightLineUnderAPeakIsRemovedExactlyByClicksAndByTheFlatEnds) {
    std::vector<float> peak;
    const std::vector<float> signal = peakOnSlope(1000, &peak);
    std::vector<float> corrected(signal.size());

    for (const BaselineLine& line : {baselineThroughPoints(signal, 990, 10), baselineThroughPoints(signal, 0, 999),
                                     baselineFromFlatEnds(signal)}) {
        ASSERT_TRUE(line.ok());
        EXPECT_NEAR(line.offsetMv, 2.5, 1e-5);
        EXPECT_NEAR(line.slopeMvPerPoint, 0.003, 1e-8);
        subtractBaseline(signal, line, corrected);
        for (size_t i = 0; i < signal.size(); ++i) ASSERT_NEAR(corrected[i], peak[i], 2e-6) << "point " << i;
    }
}

TEST(Baseline, AClickTakesTheMeanOfItsNeighboursSoOneSpikeDoesNotTiltTheLine) {
    std::vector<float> signal(200, 1.0f);
    signal[20] = 6.0f;  // a spike exactly where the operator clicked
    const BaselineLine line = baselineThroughPoints(signal, 20, 180);
    ASSERT_TRUE(line.ok());
    // The click's anchor is the mean of 18..22: (4 × 1 + 6) / 5 = 2 at point 20; the other is 1.
    EXPECT_NEAR(line.levelAt(20), 2.0, 1e-12);
    EXPECT_NEAR(line.levelAt(180), 1.0, 1e-12);
}

TEST(Baseline, FailuresSayWhyAndSubtractNothing) {
    const std::vector<float> signal = peakOnSlope(100);
    EXPECT_EQ(baselineThroughPoints(signal, 5, 100).status, BaselineStatus::PointOutside);
    EXPECT_EQ(baselineThroughPoints(signal, -1, 50).status, BaselineStatus::PointOutside);
    EXPECT_EQ(baselineThroughPoints(signal, 40, 40).status, BaselineStatus::SamePoint);
    EXPECT_EQ(baselineThroughPoints(std::vector<float>{1.0f}, 0, 0).status, BaselineStatus::TooFewPoints);
    EXPECT_EQ(baselineFromFlatEnds(std::vector<float>{1.0f, 2.0f, 3.0f}).status, BaselineStatus::TooFewPoints);

    std::vector<float> broken = signal;
    broken[3] = std::numeric_limits<float>::quiet_NaN();
    EXPECT_EQ(baselineFromFlatEnds(broken).status, BaselineStatus::NonFiniteSignal);
    EXPECT_EQ(baselineThroughPoints(broken, 2, 60).status, BaselineStatus::NonFiniteSignal);
    EXPECT_TRUE(baselineThroughPoints(broken, 10, 60).ok()) << "the bad sample lies outside both clicks";

    const BaselineLine failed = baselineThroughPoints(signal, 7, 7);
    EXPECT_EQ(failed.offsetMv, 0.0);
    EXPECT_EQ(failed.slopeMvPerPoint, 0.0);
    std::vector<float> corrected(signal.size(), -1.0f);
    subtractBaseline(signal, failed, corrected);
    EXPECT_EQ(corrected, signal);
}

TEST(Baseline, NeighbouringClicksAtTheEndOfTheStretchStillGiveAProperSlope) {
    // Points 0 and 1 have clipped windows 0..2 and 0..3 with means 1 and 1.5: still apart.
    std::vector<float> ramp(50);
    for (int i = 0; i < 50; ++i) ramp[i] = 0.5f * i;
    const BaselineLine line = baselineThroughPoints(ramp, 1, 0);
    ASSERT_TRUE(line.ok());
    EXPECT_NEAR(line.slopeMvPerPoint, 0.5, 1e-12);
    EXPECT_NEAR(line.offsetMv, 0.0, 1e-12);
}

TEST(Baseline, FlatEndShareIsClampedAndLongStretchesStayAccurate) {
    // Ten million points of a line: the centred sums keep the slope to its float resolution.
    std::vector<float> longLine(10'000'000);
    for (size_t i = 0; i < longLine.size(); ++i) longLine[i] = static_cast<float>(-4.0 + 1e-6 * static_cast<double>(i));
    const BaselineLine line = baselineFromFlatEnds(longLine, 0.9);  // clamped to a half
    ASSERT_TRUE(line.ok());
    EXPECT_NEAR(line.slopeMvPerPoint, 1e-6, 1e-11);
    EXPECT_NEAR(line.offsetMv, -4.0, 1e-5);
    EXPECT_TRUE(baselineFromFlatEnds(longLine, std::numeric_limits<double>::quiet_NaN()).ok());
}

}  // namespace
}  // namespace vespian
