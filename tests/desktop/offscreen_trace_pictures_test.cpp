#include "trace/desktop/offscreen_trace_pictures.h"

#include <gtest/gtest.h>

#include <QImage>
#include <filesystem>
#include <memory>
#include <vector>

#include "platform/pixel_surface.h"
#include "support/test_files.h"
#include "trace/chromatogram.h"
#include "trace/trace_drawing.h"

namespace vespian {
namespace {

namespace fs = std::filesystem;
using testing::TestFolder;

// Columns of the picture where a pixel of the colour appears.
std::vector<int> columnsWith(const QImage& image, StoredColour colour) {
    const QRgb wanted = pixelFromStored(colour);
    std::vector<int> columns;
    for (int x = 0; x < image.width(); ++x) {
        for (int y = 0; y < image.height(); ++y) {
            if ((image.pixel(x, y) | 0xFF000000u) == wanted) {
                columns.push_back(x);
                break;
            }
        }
    }
    return columns;
}

// The picture is a PNG of the asked size in which the signal and the temperature run across the
// whole plot, from the time axis to its right edge.
TEST(OffscreenTracePictures, WholeTraceIsDrawnAtTheAskedSize) {
    TestFolder folder("trace-picture");
    auto trace = std::make_unique<Chromatogram>();
    const int32_t n = 5000;
    std::vector<float> signal(n), temperature(n);
    for (int32_t i = 0; i < n; ++i) {
        signal[i] = 20.0f * static_cast<float>(i) / n - 10.0f;  // −10 .. 10 mV
        temperature[i] = 100.0f + 0.1f * static_cast<float>(i);
    }
    trace->replace(signal.data(), temperature.data(), n);

    OffscreenTracePictures pictures;
    std::string error;
    const std::string path = folder.file("trace.png");
    ASSERT_TRUE(pictures.savePng(path, *trace, 900, 450, &error)) << error;
    EXPECT_FALSE(fs::exists(path + ".part"));
    QImage image;
    ASSERT_TRUE(image.load(QString::fromStdString(path), "PNG"));
    EXPECT_EQ(image.width(), 900);
    EXPECT_EQ(image.height(), 450);

    const TraceView view = TraceView{};
    const std::vector<int> signalColumns = columnsWith(image, view.traceColour);
    const std::vector<int> temperatureColumns = columnsWith(image, kTemperatureTraceColour);
    ASSERT_FALSE(signalColumns.empty());
    ASSERT_FALSE(temperatureColumns.empty());
    // The plot runs from x = 96 to X1 − 52 = 900 − 50 − 52.
    EXPECT_LE(signalColumns.front(), 97);
    EXPECT_GE(signalColumns.back(), 900 - 50 - 53);
    EXPECT_GE(temperatureColumns.back(), 900 - 50 - 53);
    EXPECT_GT(signalColumns.size(), 700u);  // a continuous line, not a few dots
}

TEST(OffscreenTracePictures, UnwritablePlaceIsReported) {
    TestFolder folder("trace-picture");
    auto trace = std::make_unique<Chromatogram>();
    OffscreenTracePictures pictures;
    std::string error;
    const std::string path = folder.file("no/such/folder/trace.png");
    EXPECT_FALSE(pictures.savePng(path, *trace, 400, 400, &error));
    EXPECT_NE(error.find("无法建立"), std::string::npos);
    EXPECT_NE(error.find("cannot write the file"), std::string::npos);
    EXPECT_FALSE(fs::exists(path));
}

}  // namespace
}  // namespace vespian
