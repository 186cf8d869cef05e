// The recogniser over a whole saved trace: every peak, also past the live table's hundred, with
// the same area for the same shape, and the settings it used for the archive.

#include "app/trace_reevaluation.h"

#include <gtest/gtest.h>

#include <vector>

namespace vespian {
namespace {

// `count` triangular peaks of 20 mV, 1000 points wide, every 1500 points after a flat start.
std::vector<float> peaks(int32_t count) {
    std::vector<float> signal(static_cast<size_t>(1000 + count * 1500 + 1000), 0.0f);
    for (int32_t k = 0; k < count; ++k) {
        const int32_t start = 1000 + k * 1500;
        for (int32_t i = 0; i <= 1000; ++i) {
            signal[static_cast<size_t>(start + i)] = 20.0f * static_cast<float>(i <= 500 ? i : 1000 - i) / 500.0f;
        }
    }
    return signal;
}

TEST(TraceReevaluationTest, FindsEveryPeakOfTheWholeTraceBeyondTheLiveTablesHundred) {
    const std::vector<float> signal = peaks(120);
    const std::vector<FoundPeak> found =
        recognisePeaks(signal.data(), static_cast<int32_t>(signal.size()), kPeakSettingsPreset);
    ASSERT_EQ(found.size(), 120u);
    for (size_t k = 0; k < found.size(); ++k) {
        const int32_t start = 1000 + static_cast<int32_t>(k) * 1500;
        EXPECT_GE(found[k].start, start - 10);
        EXPECT_LE(found[k].end, start + 1500);
        EXPECT_LT(found[k].start, found[k].end);
        EXPECT_GT(found[k].area, 0);
        EXPECT_EQ(found[k].area, found[0].area);  // the same shape measures the same
    }
    // A flat trace has none; a trace shorter than the recogniser's wait is not read past its end.
    const std::vector<float> flat(5000, 1.0f);
    EXPECT_TRUE(recognisePeaks(flat.data(), 5000, kPeakSettingsPreset).empty());
    EXPECT_TRUE(recognisePeaks(flat.data(), 50, kPeakSettingsPreset).empty());

    const std::vector<ResultValue> results = reevaluationResults(found);
    EXPECT_EQ(results.size(), 121u);
    EXPECT_EQ(results.back().name, "peak_count");
    EXPECT_EQ(reevaluationParameters(kPeakSettingsPreset, 7)["min_height_uV"], kPeakSettingsPreset.minHeightUv);
}

}  // namespace
}  // namespace vespian
