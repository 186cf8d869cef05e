#include "link/frame_decoder.h"

#include "link/instrument_readings.h"
#include "trace/chromatogram.h"

namespace vespian {

namespace {

uint32_t valueOf(const uint8_t frame[kFrameLength]) {
    return (static_cast<uint32_t>(frame[1]) << 16) | (static_cast<uint32_t>(frame[2]) << 8) |
           static_cast<uint32_t>(frame[3]);
}

}  // namespace

float detectorAverageToMv(float average) {
    // float32 throughout: (average − 8388608) / 8388608 × 5000.
    const float zero = static_cast<float>(kDetectorZero);
    return (average - zero) / zero * kDetectorFullScaleMv;
}

float temperatureFromBytes(uint8_t high, uint8_t low) {
    int32_t value = static_cast<int32_t>(high) * 256 + static_cast<int32_t>(low);
    if ((value & 0x8000) != 0) {
        value -= 65536;
    }
    return static_cast<float>(value / 10.0);
}

FrameDecoder::FrameDecoder(Chromatogram& chromatogram, InstrumentReadings& readings)
    : chromatogram_(chromatogram), readings_(readings) {}

void FrameDecoder::reset() {
    sum_ = 0.0f;
    count_ = 0;
}

// The readings are independent values with one writer each; relaxed stores keep them tear-free
// without fences on the per-frame path.
bool FrameDecoder::decode(const uint8_t frame[kFrameLength]) {
    switch (frame[0]) {
    case kDetectorFrame: {
        sum_ = sum_ + static_cast<float>(valueOf(frame));  // rounded to float32 after each addition
        ++count_;
        if (count_ >= kDetectorFramesPerPoint) {
            const float average = sum_ / static_cast<float>(kDetectorFramesPerPoint);
            chromatogram_.appendReading(detectorAverageToMv(average),
                                        readings_.temperatureC.load(std::memory_order_relaxed));
            sum_ = 0.0f;
            count_ = 0;
        }
        return true;
    }
    case kTemperatureFrame:
        readings_.alarmCode.store(static_cast<int32_t>(frame[1]), std::memory_order_relaxed);
        readings_.temperatureC.store(temperatureFromBytes(frame[2], frame[3]), std::memory_order_relaxed);
        return true;
    case kFlowFrame1:
        readings_.flow1MlMin.store(static_cast<float>(valueOf(frame) / 10.0), std::memory_order_relaxed);
        return true;
    case kFlowFrame2:
        readings_.flow2MlMin.store(static_cast<float>(valueOf(frame) / 10.0), std::memory_order_relaxed);
        return true;
    case kAuxFrame:       // consumed; its value is not used
    case kIgnoredFrame5:  // consumed and ignored
    case kIgnoredFrame6:
        return true;
    default:
        return false;  // the caller reads and discards one more byte
    }
}

}  // namespace vespian
