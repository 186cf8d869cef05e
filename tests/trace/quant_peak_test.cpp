#include "trace/quant_peak.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>
#include <vector>

#include "trace/chromatogram.h"
#include "trace/peak_picture.h"
#include "trace/peak_table.h"

namespace vespian {
namespace {

TEST(QuantPeak, TakesTheStretchAreaAndACopy) {
    // 1, 3, 3, 3, 1: the ramp between the ends is 0; area 11.
    const std::vector<float> signal = {9.0f, 1.0f, 3.0f, 3.0f, 3.0f, 1.0f, 9.0f};
    auto quant = std::make_unique<QuantPeak>();
    quant->take(signal.data(), 1, 5);
    EXPECT_EQ(quant->area, 11.0f);
    EXPECT_EQ(quant->lastIndex, 4);
    EXPECT_EQ(quant->trace()[0], 1.0f);
    EXPECT_EQ(quant->trace()[4], 1.0f);
    // A rising ramp is removed: 0, 2, 4 → 0 + (2 − 2) + (4 − 4) = 0.
    const std::vector<float> ramp = {0.0f, 2.0f, 4.0f};
    quant->take(ramp.data(), 0, 2);
    EXPECT_EQ(quant->area, 0.0f);
}

TEST(QuantPeak, AStretchLongerThanTheCopyNamesOnlyWhatIsHeld) {
    const int32_t n = kQuantPeakPoints + 500;
    std::vector<float> signal(static_cast<size_t>(n), 1.0f);
    auto quant = std::make_unique<QuantPeak>();
    quant->take(signal.data(), 0, n - 1);
    EXPECT_EQ(quant->lastIndex, kQuantPeakPoints - 1);
    EXPECT_EQ(quant->area, stretchArea(signal.data(), 0, n - 1));
    // The picture reads only what the copy holds.
    EXPECT_FALSE(peakPicturePoints(quant->trace(), quant->lastIndex, kSmallPeakPicture).empty());
}

TEST(QuantPeak, SampleAmountByProportionAndNeverInfinite) {
    EXPECT_EQ(sampleAmount(1000.0f, 2000.0f, 0.5f), 0.25f);
    EXPECT_EQ(sampleAmount(1000.0f, 0.0f, 0.5f), 0.0f);
    EXPECT_EQ(sampleAmount(0.0f, 0.0f, 0.5f), 0.0f);
    EXPECT_EQ(sampleAmount(3e38f, 1e-10f, 10.0f), 0.0f);
    EXPECT_EQ(sampleAmount(-500.0f, 1000.0f, 0.5f), -0.25f);
}

TEST(QuantPeakWindow, ShowsVolumeAndAreaAndReadsTheVolumeOnClose) {
    auto quant = std::make_unique<QuantPeak>();
    quant->volumeMl = 0.5f;
    quant->area = 1234.6f;
    QuantWindowTexts t = quantWindowTexts(*quant);
    EXPECT_EQ(t.volume, "0.500");
    EXPECT_EQ(t.area, "1235");
    closeQuantWindow(*quant, "0.75 ml");
    EXPECT_EQ(quant->volumeMl, 0.75f);
    closeQuantWindow(*quant, "abc");
    EXPECT_EQ(quant->volumeMl, 0.0f);
    quant->area = std::numeric_limits<float>::infinity();
    EXPECT_EQ(quantWindowTexts(*quant).area, "—");

    auto table = std::make_unique<PeakTable>();
    table->count = 100;
    closeHandedOverQuantWindow(*table);
    EXPECT_EQ(table->count, 0);
}

TEST(PeakPicture, ScalesTheStretchIntoThePicture) {
    // 0, 10, 5, 0, 2 with lastIndex 4 on the small picture: lo 0, hi 10.
    const std::vector<float> s = {0.0f, 10.0f, 5.0f, 0.0f, 2.0f};
    const std::vector<DrawPoint> p = peakPicturePoints(s.data(), 4, kSmallPeakPicture);
    // Move to (0, 270); then i = 1, 2, 3: x = 100, 200, 300; y = 270 − 265, 270 − 132, 270.
    ASSERT_EQ(p.size(), 4u);
    EXPECT_EQ(p[0], (DrawPoint{0, 270}));
    EXPECT_EQ(p[1], (DrawPoint{100, 5}));
    EXPECT_EQ(p[2], (DrawPoint{200, 138}));
    EXPECT_EQ(p[3], (DrawPoint{300, 270}));

    const std::vector<DrawPoint> large = peakPicturePoints(s.data(), 4, kLargePeakPicture);
    EXPECT_EQ(large[1], (DrawPoint{193, 5}));  // trunc(0.25 × 775), 380 − 375

    // The last value is not drawn, so it does not scale the line: a high or far-off last value
    // (or one beyond ±90000 mV) leaves the drawn peak filling the picture.
    for (const float last : {40.0f, -1e6f, 2e5f}) {
        const std::vector<float> t = {0.0f, 10.0f, 5.0f, 0.0f, last};
        const std::vector<DrawPoint> q = peakPicturePoints(t.data(), 4, kSmallPeakPicture);
        ASSERT_EQ(q.size(), 4u) << last;
        EXPECT_EQ(q[1], (DrawPoint{100, 5})) << last;
        EXPECT_EQ(q[3], (DrawPoint{300, 270})) << last;
    }
}

TEST(PeakPicture, AFlatOrEmptySeriesLiesOnTheBottomEdge) {
    const std::vector<float> flat(50, 3.0f);
    for (const DrawPoint& p : peakPicturePoints(flat.data(), 49, kSmallPeakPicture)) EXPECT_EQ(p.y, 270);
    EXPECT_EQ(peakPicturePoints(flat.data(), 0, kSmallPeakPicture).size(), 1u);
    EXPECT_TRUE(peakPicturePoints(nullptr, 5, kSmallPeakPicture).empty());
    const std::vector<float> odd = {0.0f, std::nanf(""), std::numeric_limits<float>::infinity(), 1.0f, 0.0f};
    for (const DrawPoint& p : peakPicturePoints(odd.data(), 4, kSmallPeakPicture)) {
        EXPECT_GE(p.y, -1'000'000);
        EXPECT_LE(p.y, 1'000'270);
    }
}

TEST(PeakPicture, RunsInOneColumnKeepFirstLowestHighestAndLast) {
    PolylineBuilder b;
    for (DrawPoint p : {DrawPoint{0, 50}, DrawPoint{0, 10}, DrawPoint{0, 90}, DrawPoint{0, 40}, DrawPoint{1, 40},
                        DrawPoint{1, 40}, DrawPoint{2, 70}, DrawPoint{2, 20}}) {
        b.add(p);
    }
    const std::vector<DrawPoint> out = b.finish();
    const std::vector<DrawPoint> expected = {{0, 50}, {0, 10}, {0, 90}, {0, 40}, {1, 40}, {2, 70}, {2, 20}};
    EXPECT_EQ(out, expected);

    // A million points into 400 columns: at most four a column.
    std::vector<float> wave(1'000'000);
    for (size_t i = 0; i < wave.size(); ++i) wave[i] = static_cast<float>(std::sin(static_cast<double>(i) * 0.01));
    const std::vector<DrawPoint> thin = peakPicturePoints(wave.data(), 999'999, kSmallPeakPicture);
    EXPECT_LE(thin.size(), 4u * 400u + 1u);
    EXPECT_GE(thin.size(), 400u);
}

}  // namespace
}  // namespace vespian
