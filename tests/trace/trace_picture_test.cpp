#include "trace/trace_picture.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>
#include <vector>

#include "trace/chromatogram.h"

namespace vespian {
namespace {

TEST(TracePicture, VoltRangeIsTheFirstRoundStepAboveTheSignal) {
    EXPECT_EQ(pictureVoltRangeUv(0.0f), 500);
    EXPECT_EQ(pictureVoltRangeUv(0.4f), 500);
    EXPECT_EQ(pictureVoltRangeUv(0.48f), 1000);  // 0.48 mV with its headroom passes 500 µV
    EXPECT_EQ(pictureVoltRangeUv(-0.9f), 1000);
    EXPECT_EQ(pictureVoltRangeUv(1.5f), 2000);
    EXPECT_EQ(pictureVoltRangeUv(3.0f), 5000);
    EXPECT_EQ(pictureVoltRangeUv(9.5f), 10000);
    EXPECT_EQ(pictureVoltRangeUv(9.6f), 20000);
    EXPECT_EQ(pictureVoltRangeUv(1e12f), 1'000'000'000);
    EXPECT_EQ(pictureVoltRangeUv(std::numeric_limits<float>::quiet_NaN()), 500);
}

// Every point of the trace lands in the plot: the first on the time axis's origin, the last at the
// plot's right edge at most, the largest and smallest signal within the plot's height.
TEST(TracePicture, WholeTraceFitsThePlot) {
    auto trace = std::make_unique<Chromatogram>();
    for (int32_t n : {1, 7, 3000, 50'000}) {
        std::vector<float> signal(n), temperature(n);
        for (int32_t i = 0; i < n; ++i) {
            signal[i] = 4.2f * std::sin(static_cast<float>(i) * 0.003f) - 1.0f;
            temperature[i] = 25.0f + static_cast<float>(i % 1000);
        }
        signal[n / 2] = std::numeric_limits<float>::quiet_NaN();  // a damaged value does not widen the range
        trace->replace(signal.data(), temperature.data(), n);

        const TraceView view = wholeTraceView(*trace, 1200, 600);
        ASSERT_TRUE(view.roomToDraw);
        EXPECT_EQ(view.areaBottom - view.areaTop, 600);
        EXPECT_EQ(view.timeRangeS, std::max(1, (n + 4) / 5)) << n;
        if (n > 3000) EXPECT_EQ(view.voltRangeUv, 10000) << n;  // 5.2 mV at most
        const PixelRect plot = plotRect(view);
        const PointTransform t = pointTransform(view);
        EXPECT_EQ(t.screenX(0), view.xOrigin);
        EXPECT_LE(t.screenX(n - 1), plot.right) << n;
        // A whole number of seconds fills the width.
        if (n % 5 == 0) EXPECT_GE(t.screenX(n - 1), plot.right - 1) << n;
        for (int32_t i = 0; i < n; ++i) {
            if (std::isnan(signal[i])) continue;
            const int32_t y = t.screenYSignal(signal[i]);
            ASSERT_TRUE(y >= plot.top && y < plot.bottom) << n << " " << i << " y " << y;
        }
    }
}

TEST(TracePicture, EmptyTraceStillLaysOut) {
    auto trace = std::make_unique<Chromatogram>();
    const TraceView view = wholeTraceView(*trace, 320, 320);
    EXPECT_TRUE(view.roomToDraw);
    EXPECT_EQ(view.timeRangeS, 1);
    EXPECT_EQ(view.voltRangeUv, 500);
}

}  // namespace
}  // namespace vespian
