#include "trace/peak_detector.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace vespian {

namespace {

struct Extent {
    int32_t lo = std::numeric_limits<int32_t>::max();
    int32_t hi = std::numeric_limits<int32_t>::min();
};

Extent extentOf(const float* signalMv, int32_t start, int32_t end) {
    Extent e;
    for (int32_t i = start; i <= end; ++i) {
        const int32_t v = microvolts(signalMv[i]);
        if (v < e.lo) e.lo = v;
        if (v > e.hi) e.hi = v;
    }
    return e;
}

int32_t saturated(int64_t value) {
    if (value > std::numeric_limits<int32_t>::max()) return std::numeric_limits<int32_t>::max();
    if (value < std::numeric_limits<int32_t>::min()) return std::numeric_limits<int32_t>::min();
    return static_cast<int32_t>(value);
}

}  // namespace

int32_t microvolts(float millivolts) {
    const double uv = static_cast<double>(millivolts) * 1000.0;
    if (std::isnan(uv)) return 0;
    if (uv >= 2147483647.0) return std::numeric_limits<int32_t>::max();
    if (uv <= -2147483648.0) return std::numeric_limits<int32_t>::min();
    return static_cast<int32_t>(uv);  // truncation towards zero
}

void integratePeak(const float* signalMv, int32_t start, int32_t end, PeakRecord& record) {
    record.area = 0;
    record.storedPointCount = 0.0f;
    const int32_t d = end - start;
    if (d <= 0) return;
    const int32_t lo = extentOf(signalMv, start, end).lo;
    // The baseline runs through the lower end: up from lo when the end is higher, down to lo
    // when it is not.
    const int64_t ramp = static_cast<int64_t>(microvolts(signalMv[end])) - microvolts(signalMv[start]);
    const float rampF = static_cast<float>(ramp);
    // A running sum of µV over up to 101 points: 64 bits, so tall peaks cannot wrap it.
    int64_t sum = 0;
    int64_t area = 0;
    int32_t stored = 0;
    for (int32_t n = 0; n <= d; ++n) {
        const int32_t j = start + n;
        if (n % kStoredPointStep == 0 && stored < kPeakRecordPoints) {
            record.points[stored++] = signalMv[j];
        }
        const float f = ramp > 0 ? static_cast<float>(n) / static_cast<float>(d)
                                 : -static_cast<float>(d - n) / static_cast<float>(d);
        const auto baseline = static_cast<int64_t>(std::trunc(rampF * f));
        sum += static_cast<int64_t>(microvolts(signalMv[j])) - lo - baseline;
        if (n != 0 && n % kIntegrationBlock == 0) {
            area += sum / kIntegrationBlock;
            sum = 0;
        }
    }
    if (d % kIntegrationBlock != 0) area += sum / (d % kIntegrationBlock);
    record.area = saturated(area);
    record.storedPointCount = static_cast<float>(stored);
}

bool PeakDetector::step(const float* signalMv, int32_t shownCount, const PeakSettings& settings, PeakTable& table,
                        bool manualPeakMode) {
    if (manualPeakMode) return false;
    if (shownCount < kDetectorMinimumPoints) return false;
    const int32_t t = shownCount - 1;
    const int32_t y = microvolts(signalMv[t]);

    if (!inPeak_) {
        const int32_t before = microvolts(signalMv[t - kStartSlopePoints]);
        if (static_cast<int64_t>(y) - before >= settings.startSlopeUv) {
            inPeak_ = true;
            risen_ = false;
            dropping_ = false;
            startUv_ = before;
            peakStart_ = t - kStartSlopePoints;
        }
        return false;
    }

    // A trace cleared or cut under an open peak leaves its start beyond the newest point: that
    // candidate no longer exists.
    if (peakStart_ >= t || peakStart_ < 0) {
        reset();
        return false;
    }
    if (static_cast<int64_t>(y) - startUv_ >= settings.minHeightUv) risen_ = true;

    const int32_t y50 = microvolts(signalMv[t - kEndSlopePoints]);
    if (static_cast<int64_t>(y50) - y >= settings.endSlopeUv || y50 < y) return false;  // falling steeply, or rising
    peakEnd_ = t;
    if (peakEnd_ - peakStart_ > kLongEndSlopePoints &&
        static_cast<int64_t>(microvolts(signalMv[t - kLongEndSlopePoints])) - y >= settings.endSlopeUv) {
        return false;
    }
    if (y > settings.minHeightUv) return false;  // not yet back near the baseline

    // Back on the baseline: from here on the candidate is recorded or dropped.
    const bool dropped = dropping_;
    reset();
    if (dropped) return false;
    const int32_t width = (peakEnd_ - peakStart_) / kIntegrationBlock;
    if (width < settings.minWidth || width > settings.maxWidth) return false;
    // Standing minHeightUv above the higher end is also standing that high above the lowest
    // point; a dip's recovery, highest at its end, fails it.
    const int32_t hi = extentOf(signalMv, peakStart_, peakEnd_).hi;
    const int32_t higherEnd = std::max(microvolts(signalMv[peakStart_]), microvolts(signalMv[peakEnd_]));
    if (static_cast<int64_t>(hi) - higherEnd < settings.minHeightUv) return false;
    const int32_t m = peakStart_ + (peakEnd_ - peakStart_) / 2;
    if (!(signalMv[m] >= signalMv[peakStart_] && signalMv[m] >= signalMv[peakEnd_])) return false;
    if (table.full() || table.count < 0) return false;  // the display tick stops before this; never write past the table
    integratePeak(signalMv, peakStart_, peakEnd_, table.records[table.count]);
    ++table.count;
    return true;
}

}  // namespace vespian
