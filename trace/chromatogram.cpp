// Threads: the acquisition thread calls appendReading only; everything else is the UI thread's.
// One mutex is held for each append and for each edit that moves data, resets counters or
// changes the zero offset, so no edit interleaves with an append in progress. pointCount is
// published with release ordering after the slot is stored, so a reader that loads it with
// acquire ordering sees every point below it complete, with or without the mutex.

#include "trace/chromatogram.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <new>

namespace vespian {

namespace {

float* allocateZeroed() {
    // calloc: the system hands out zero pages lazily, so the 40 MB cost nothing until touched.
    void* memory = std::calloc(static_cast<size_t>(kMaxPoints), sizeof(float));
    if (memory == nullptr) {
        throw std::bad_alloc();
    }
    return static_cast<float*>(memory);
}

// truncate(clock × 0.990181). The product of two float32 values is exact in double (24 + 24
// significant bits), so the truncation sees the exact product, as on the original's x87 unit;
// a float32 product would round to the nearest integer near the top of the range.
int32_t indexFromClock(float clock) {
    const double product = static_cast<double>(clock) * static_cast<double>(kIndexFactor);
    if (!(product > 0.0)) {
        return 0;  // also catches NaN
    }
    if (product >= static_cast<double>(kLastPointIndex)) {
        return kLastPointIndex;
    }
    return static_cast<int32_t>(product);  // truncates towards zero
}

}  // namespace

void Chromatogram::FreeDeleter::operator()(float* p) const { std::free(p); }

Chromatogram::Chromatogram() : signal_(allocateZeroed()), temperature_(allocateZeroed()) {}

void Chromatogram::appendReading(float rawMv, float temperatureC) {
    std::lock_guard<std::mutex> lock(mutex_);
    const int32_t i = pointCount_.load(std::memory_order_relaxed);  // only we and edits under the lock write it
    float* signal = signal_.get();
    signal[i] = rawMv;
    signal[i] = signal[i] - zeroOffsetMv_;  // float32 arithmetic: store raw, then subtract
    temperature_.get()[i] = temperatureC;
    if (i < kLastPointIndex) {
        sampleClock_ = sampleClock_ + 1.0f;
        pointCount_.store(indexFromClock(sampleClock_), std::memory_order_release);
    }
    // Otherwise the index stays at 9,999,999 and the next reading overwrites that slot.
}

void Chromatogram::zeroSignal() {
    std::lock_guard<std::mutex> lock(mutex_);
    const int32_t shown = std::min(shownCount_, pointCount_.load(std::memory_order_relaxed));
    if (shown > 0) {
        zeroOffsetMv_ = zeroOffsetMv_ + signal_.get()[shown - 1];
    }
}

void Chromatogram::restoreSignal() {
    std::lock_guard<std::mutex> lock(mutex_);
    zeroOffsetMv_ = 0.0f;
}

void Chromatogram::reversePolarity() {
    // The appender writes only at slot pointCount, never below shownCount; the lock keeps the
    // pass from interleaving with a clear or load all the same.
    std::lock_guard<std::mutex> lock(mutex_);
    const int32_t shown = std::clamp(shownCount_, 0, pointCount_.load(std::memory_order_relaxed));
    float* signal = signal_.get();
    ++editGeneration_;
    for (int32_t i = 0; i < shown; ++i) {
        signal[i] = signal[i] * -1.0f;
    }
}

void Chromatogram::clearTrace() {
    std::lock_guard<std::mutex> lock(mutex_);
    sampleClock_ = 0.0f;
    shownCount_ = 0;
    ++editGeneration_;
    pointCount_.store(0, std::memory_order_release);
}

void Chromatogram::resetCounters() { clearTrace(); }

void Chromatogram::deleteStretch(int32_t a, int32_t b) {
    std::lock_guard<std::mutex> lock(mutex_);
    const int32_t count = pointCount_.load(std::memory_order_relaxed);
    if (b < a) {
        std::swap(a, b);
    }
    // Guard against an obvious fault: the two clicks are clamped into 0 .. pointCount, so the
    // moves below stay inside the arrays (pointCount ≤ 9,999,999 < kMaxPoints).
    a = std::clamp(a, 0, count);
    b = std::clamp(b, 0, count);
    float* signal = signal_.get();
    float* temperature = temperature_.get();
    for (int32_t j = b; j <= count; ++j) {
        signal[a + (j - b)] = signal[j];
        temperature[a + (j - b)] = temperature[j];
    }
    float clock = sampleClock_ - static_cast<float>(b - a) / kIndexFactor;
    if (!(clock > 0.0f)) {
        clock = 0.0f;  // rounding must not leave a negative clock
    }
    sampleClock_ = clock;
    const int32_t derived = indexFromClock(clock);
    shownCount_ = derived;
    ++editGeneration_;
    pointCount_.store(derived, std::memory_order_release);
}

void Chromatogram::replace(const float* signal, const float* temperature, int32_t n) {
    n = std::clamp(n, 0, kLastPointIndex);
    std::lock_guard<std::mutex> lock(mutex_);
    const size_t bytes = static_cast<size_t>(n) * sizeof(float);
    if (n > 0 && signal != nullptr && signal != signal_.get()) {
        std::memmove(signal_.get(), signal, bytes);
    }
    if (n > 0 && temperature != nullptr && temperature != temperature_.get()) {
        std::memmove(temperature_.get(), temperature, bytes);
    }
    sampleClock_ = static_cast<float>(n) / kIndexFactor;
    shownCount_ = n;
    ++editGeneration_;
    pointCount_.store(n, std::memory_order_release);
}

bool Chromatogram::takeOverPoint() {
    if (shownCount_ < pointCount_.load(std::memory_order_acquire)) {
        ++shownCount_;
        return true;
    }
    return false;
}

float Chromatogram::sampleClock() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return sampleClock_;
}

float Chromatogram::zeroOffsetMv() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return zeroOffsetMv_;
}

int32_t copyStretch(const float* source, float* destination, int32_t start, int32_t end, int32_t limit) {
    if (source != nullptr && destination != nullptr && start >= 0) {
        int32_t copied = 0;
        for (int32_t i = start; i <= end && copied < limit; ++i) {
            destination[copied] = source[i];
            ++copied;
        }
    }
    return end - start;
}

float stretchArea(const float* series, int32_t start, int32_t end) {
    if (series == nullptr || start < 0 || end < start) {
        return 0.0f;
    }
    if (end == start) {
        return series[start];  // the ramp term would divide by zero; the definition gives this
    }
    const float rise = series[end] - series[start];
    const float span = static_cast<float>(end - start);
    float sum = 0.0f;
    for (int32_t i = start; i <= end; ++i) {
        const float ramp = static_cast<float>(i - start) / span * rise;
        sum = sum + (series[i] - ramp);
    }
    return sum;
}

}  // namespace vespian
