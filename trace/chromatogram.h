#pragma once
// The one detector trace: signal (mV, zero offset subtracted at storage time) and furnace
// temperature (℃), 5 points per second, up to 10,000,000 points. The acquisition thread appends;
// the UI thread takes points over for display and edits the trace.

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>

namespace vespian {

inline constexpr int32_t kMaxPoints = 10'000'000;
inline constexpr int32_t kLastPointIndex = kMaxPoints - 1;  // highest value pointCount reaches
inline constexpr int32_t kPointsPerSecond = 5;
// The instrument's sample clock runs slightly fast against the 5 Hz time base: the point index
// is truncate(clock × this factor), so about one reading in 102 overwrites the previous slot.
inline constexpr float kIndexFactor = 0.990181f;

class Chromatogram {
public:
    Chromatogram();  // the two arrays are allocated once, zero-filled lazily by the system
    Chromatogram(const Chromatogram&) = delete;
    Chromatogram& operator=(const Chromatogram&) = delete;

    // Acquisition thread: store one averaged reading with the current temperature.
    void appendReading(float rawMv, float temperatureC);

    // UI thread edits. Each is serialised against appendReading.
    void zeroSignal();       // offset += newest shown point (nothing when none is shown)
    void restoreSignal();    // offset = 0
    void reversePolarity();  // negate the shown points (the question is the caller's)
    void clearTrace();       // counters and clock to 0; array contents stay
    void deleteStretch(int32_t a, int32_t b);  // remove a .. b-1, re-derive the counters
    // Replaces the trace with n loaded points (n in 0 .. kLastPointIndex, checked by the caller).
    void replace(const float* signal, const float* temperature, int32_t n);

    // Display side: take over one new point; false when none is waiting.
    bool takeOverPoint();

    int32_t pointCount() const { return pointCount_.load(std::memory_order_acquire); }
    int32_t shownCount() const { return shownCount_; }
    float sampleClock() const;
    float zeroOffsetMv() const;
    const float* signalMv() const { return signal_.get(); }
    const float* temperatureC() const { return temperature_.get(); }
    float* signalMv() { return signal_.get(); }
    float* temperatureC() { return temperature_.get(); }

    // Sets the counters directly (start-up resets them to 0).
    void resetCounters();

    // Grows with every edit that changes or moves stored points (polarity, clear, delete,
    // replace), so a display cache of the points knows to rebuild. Appending leaves it alone:
    // appends only write at or beyond pointCount. UI thread.
    uint64_t editGeneration() const { return editGeneration_; }

private:
    struct FreeDeleter { void operator()(float* p) const; };
    std::unique_ptr<float[], FreeDeleter> signal_;
    std::unique_ptr<float[], FreeDeleter> temperature_;
    std::atomic<int32_t> pointCount_{0};  // published with release ordering
    int32_t shownCount_ = 0;              // UI thread only
    uint64_t editGeneration_ = 0;         // UI thread only
    float sampleClock_ = 0.0f;            // guarded by mutex_
    float zeroOffsetMv_ = 0.0f;           // guarded by mutex_
    mutable std::mutex mutex_;
};

// Bounded copy of source[start .. end] (inclusive) to destination[0 ..], at most `limit` values;
// returns end − start (the index of the last copied value, not the number copied).
int32_t copyStretch(const float* source, float* destination, int32_t start, int32_t end, int32_t limit);

// Σ over start .. end of (series[i] − (i − start)/(end − start) × (series[end] − series[start])),
// summed in float32; a one-point stretch gives series[start].
float stretchArea(const float* series, int32_t start, int32_t end);

}  // namespace vespian
