#pragma once
// Decoding of the analyser's four-byte frames: type byte, then a 24-bit big-endian value.
// Detector frames are averaged in groups of 72 into one trace reading.

#include <cstdint>

namespace vespian {

class Chromatogram;
struct InstrumentReadings;

enum FrameType : uint8_t {
    kDetectorFrame = 0x60,
    kTemperatureFrame = 0x61,
    kAuxFrame = 0x62,
    kFlowFrame1 = 0x63,
    kFlowFrame2 = 0x64,
    kIgnoredFrame5 = 0x65,
    kIgnoredFrame6 = 0x66,
};

inline constexpr int kFrameLength = 4;
inline constexpr int kDetectorFramesPerPoint = 72;
inline constexpr int32_t kDetectorZero = 0x800000;  // offset binary: this value is 0 mV
inline constexpr float kDetectorFullScaleMv = 5000.0f;

// Offset-binary detector average to mV: 0x800000 -> 0, 0 -> -5000, 0xFFFFFF -> +4999.9994.
float detectorAverageToMv(float average);
// Signed 16-bit temperature in 0.1 ℃ from the two low bytes of a temperature frame.
float temperatureFromBytes(uint8_t high, uint8_t low);

class FrameDecoder {
public:
    FrameDecoder(Chromatogram& chromatogram, InstrumentReadings& readings);
    // Decodes one frame. Returns false for an unknown type byte: the caller then reads and
    // discards one more byte, which shifts the reading position by one byte.
    bool decode(const uint8_t frame[kFrameLength]);
    // Forgets pending detector frames (a restarted thread starts with an empty accumulator).
    void reset();
    int pendingDetectorFrames() const { return count_; }

private:
    Chromatogram& chromatogram_;
    InstrumentReadings& readings_;
    float sum_ = 0.0f;  // accumulated in float32, rounded after each addition
    int32_t count_ = 0;
};

}  // namespace vespian
