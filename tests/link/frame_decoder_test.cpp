#include "link/frame_decoder.h"

#include <gtest/gtest.h>

#include "link/instrument_readings.h"
#include "trace/chromatogram.h"

namespace vespian {
namespace {

class FrameDecoderTest : public ::testing::Test {
protected:
    bool decode(uint8_t type, uint8_t b1, uint8_t b2, uint8_t b3) {
        const uint8_t frame[kFrameLength] = {type, b1, b2, b3};
        return decoder.decode(frame);
    }
    void detectorFrames(int count, uint32_t value) {
        for (int i = 0; i < count; ++i) {
            decode(kDetectorFrame, static_cast<uint8_t>(value >> 16), static_cast<uint8_t>(value >> 8),
                   static_cast<uint8_t>(value));
        }
    }
    // Number of readings the trace has stored (the clock counts every append, stalls included).
    float readings() const { return chromatogram.sampleClock(); }

    Chromatogram chromatogram;
    InstrumentReadings shared;
    FrameDecoder decoder{chromatogram, shared};
};

TEST_F(FrameDecoderTest, SeventyTwoDetectorFramesMakeOneReading) {
    detectorFrames(71, 0x800000);
    EXPECT_EQ(readings(), 0.0f);
    EXPECT_EQ(decoder.pendingDetectorFrames(), 71);
    detectorFrames(1, 0x800000);
    EXPECT_EQ(readings(), 1.0f);
    EXPECT_EQ(decoder.pendingDetectorFrames(), 0);
    detectorFrames(143, 0x800000);
    EXPECT_EQ(readings(), 2.0f);
    detectorFrames(1, 0x800000);
    EXPECT_EQ(readings(), 3.0f);
}

TEST_F(FrameDecoderTest, OffsetBinaryScalesToFiveVolts) {
    EXPECT_EQ(detectorAverageToMv(8388608.0f), 0.0f);
    EXPECT_EQ(detectorAverageToMv(0.0f), -5000.0f);
    EXPECT_NEAR(detectorAverageToMv(16777215.0f), 4999.9994f, 0.0001f);

}

TEST_F(FrameDecoderTest, AverageIsSummedInSinglePrecision) {
    detectorFrames(144, 0x000000);  // two readings: both land in slot 0
    detectorFrames(72, 0xFFFFFF);
    detectorFrames(72, 0x800000);
    EXPECT_EQ(chromatogram.signalMv()[0], -5000.0f);
    // The float32 sum rounds after every addition: 72 × 0xFFFFFF averages to 16777214, which is
    // 4999.9990234375 mV; a double sum would give 4999.9994.
    EXPECT_EQ(chromatogram.signalMv()[1], 4999.9990234375f);
    EXPECT_EQ(chromatogram.signalMv()[2], 0.0f);
}

TEST_F(FrameDecoderTest, ReadingCarriesTheLatestTemperatureAndOffset) {
    decode(kTemperatureFrame, 0x00, 0x03, 0xE8);
    detectorFrames(144, 0x800000);
    EXPECT_EQ(chromatogram.temperatureC()[0], 100.0f);
    decode(kTemperatureFrame, 0x00, 0xFF, 0x9C);
    detectorFrames(72, 0x800000);
    EXPECT_EQ(chromatogram.temperatureC()[1], -10.0f);
}

TEST_F(FrameDecoderTest, TemperatureAlarmAndFlows) {
    EXPECT_TRUE(decode(kTemperatureFrame, 0x02, 0x03, 0xE8));
    EXPECT_EQ(shared.temperatureC.load(), 100.0f);
    EXPECT_EQ(shared.alarmCode.load(), kAlarmSensorNotInFurnace);
    EXPECT_TRUE(decode(kTemperatureFrame, 0x00, 0xFF, 0x9C));
    EXPECT_EQ(shared.temperatureC.load(), -10.0f);
    EXPECT_EQ(shared.alarmCode.load(), kAlarmNone);
    EXPECT_FLOAT_EQ(temperatureFromBytes(0x2A, 0xF8), 1100.0f);
    EXPECT_FLOAT_EQ(temperatureFromBytes(0x80, 0x00), -3276.8f);

    EXPECT_TRUE(decode(kFlowFrame1, 0x00, 0x01, 0x2C));  // 300 -> 30.0 ml/min
    EXPECT_TRUE(decode(kFlowFrame2, 0x01, 0x00, 0x00));  // 65536 -> 6553.6
    EXPECT_EQ(shared.flow1MlMin.load(), 30.0f);
    EXPECT_FLOAT_EQ(shared.flow2MlMin.load(), 6553.6f);
}

TEST_F(FrameDecoderTest, AuxAndSpareFramesChangeNothing) {
    decode(kTemperatureFrame, 0x00, 0x00, 0xFA);
    for (uint8_t type : {kAuxFrame, kIgnoredFrame5, kIgnoredFrame6}) {
        EXPECT_TRUE(decode(type, 0xFF, 0xFF, 0xFF));
    }
    EXPECT_EQ(shared.temperatureC.load(), 25.0f);
    EXPECT_EQ(shared.flow1MlMin.load(), 0.0f);
    EXPECT_EQ(decoder.pendingDetectorFrames(), 0);
    EXPECT_EQ(readings(), 0.0f);
}

TEST_F(FrameDecoderTest, UnknownTypesAskForResynchronisation) {
    for (int type : {0x00, 0x5F, 0x67, 0x37, 0xFF}) {
        EXPECT_FALSE(decode(static_cast<uint8_t>(type), 0x60, 0x61, 0x62)) << type;
    }
    EXPECT_EQ(decoder.pendingDetectorFrames(), 0);
    EXPECT_EQ(shared.temperatureC.load(), 0.0f);
}

TEST_F(FrameDecoderTest, ResetForgetsPendingFrames) {
    detectorFrames(70, 0xFFFFFF);
    decoder.reset();
    detectorFrames(72, 0x800000);
    EXPECT_EQ(chromatogram.signalMv()[0], 0.0f);
}

}  // namespace
}  // namespace vespian
