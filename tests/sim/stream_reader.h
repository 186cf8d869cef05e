#pragma once
// Helpers for the simulator tests: run an analyser, and read its bytes the way the acquisition
// thread does (four bytes a frame, one more byte dropped after a frame of unknown type),
// decoding them into a trace and the shared readings.

#include <cstdint>
#include <vector>

#include "link/command_set.h"
#include "link/frame_decoder.h"
#include "link/instrument_readings.h"
#include "sim/simulated_analyser.h"
#include "trace/chromatogram.h"

namespace vespian::sim::testing {

class StreamReader {
public:
    void feed(const uint8_t* bytes, size_t length) {
        for (size_t i = 0; i < length; ++i) {
            if (discardNext_) {
                discardNext_ = false;
                continue;
            }
            frame_[have_++] = bytes[i];
            if (have_ < kFrameLength) continue;
            have_ = 0;
            ++frames_;
            discardNext_ = !decoder.decode(frame_);
            unknownFrames_ += discardNext_ ? 1 : 0;
        }
    }
    void feed(const std::vector<uint8_t>& bytes) { feed(bytes.data(), bytes.size()); }

    long frames() const { return frames_; }
    long unknownFrames() const { return unknownFrames_; }
    int32_t points() const { return chromatogram.pointCount(); }
    float point(int32_t i) const { return chromatogram.signalMv()[i]; }
    float pointTemperature(int32_t i) const { return chromatogram.temperatureC()[i]; }
    float meanOf(int32_t from, int32_t to) const {
        double sum = 0.0;
        for (int32_t i = from; i < to; ++i) sum += point(i);
        return static_cast<float>(sum / (to - from));
    }
    // Where the trace rises above baseline + high, each time after it was back below
    // baseline + low: the starts of separate peaks, not fooled by noise on a flank.
    std::vector<int32_t> excursions(int32_t from, float baselineMv, float high, float low) const {
        std::vector<int32_t> starts;
        bool above = false;
        for (int32_t i = from; i < points(); ++i) {
            const float level = point(i) - baselineMv;
            if (!above && level > high) starts.push_back(i);
            above = above ? level >= low : level > high;
        }
        return starts;
    }

    Chromatogram chromatogram;
    InstrumentReadings readings;
    FrameDecoder decoder{chromatogram, readings};

private:
    uint8_t frame_[kFrameLength] = {};
    int have_ = 0;
    bool discardNext_ = false;
    long frames_ = 0;
    long unknownFrames_ = 0;
};

inline std::vector<uint8_t> emit(SimulatedAnalyser& analyser) {
    std::vector<uint8_t> bytes(kMaxPeriodBytes);
    bytes.resize(analyser.emitPeriod(bytes.data(), bytes.size()));
    return bytes;
}

// Runs `periods` periods, feeding them to `reader` when one is given.
inline void run(SimulatedAnalyser& analyser, long periods, StreamReader* reader = nullptr) {
    uint8_t buffer[kMaxPeriodBytes];
    for (long i = 0; i < periods; ++i) {
        const size_t n = analyser.emitPeriod(buffer, sizeof buffer);
        if (reader != nullptr) reader->feed(buffer, n);
    }
}

inline long periodsFor(double seconds) { return static_cast<long>(seconds / kPeriodSeconds + 0.5); }

inline void send(SimulatedAnalyser& analyser, const Command& command) {
    analyser.receive(command.bytes.data(), command.length);
}

// Readings stored for n decoded periods: the trace's clock runs slightly fast, so about one
// reading in 102 overwrites its predecessor.
inline int32_t pointsFor(int n) { return static_cast<int32_t>(static_cast<float>(n) * kIndexFactor); }

}  // namespace vespian::sim::testing
