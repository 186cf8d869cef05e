#pragma once
// The automatic peak recogniser of a measurement. It runs once per display tick on the newest
// taken-over point: a rise of startSlopeUv over 10 points opens a peak 10 points back; the peak
// closes once the signal has stopped falling steeply (over 50 and over 100 points), is back
// below minHeightUv, is between minWidth and maxWidth hundred-point blocks wide, stands at least
// minHeightUv above both its ends and is higher in its middle than at both ends. A closed peak
// is integrated against a straight baseline through its lower end into the next record of the
// peak table.
//
// A rise that opens at the bottom of a negative-going peak (an adsorption taking gas out of the
// stream) is that peak's recovery, not a peak: it ends on the baseline no higher than it got,
// and the "above both ends" test drops it.
//
// The peak logic works in whole microvolts: truncate(mV × 1000).

#include <cstdint>

#include "trace/init_data.h"
#include "trace/peak_table.h"

namespace vespian {

// Points a rise is measured over, and the two closing spans.
inline constexpr int32_t kStartSlopePoints = 10;
inline constexpr int32_t kEndSlopePoints = 50;
inline constexpr int32_t kLongEndSlopePoints = 100;
// The recogniser waits for this many shown points.
inline constexpr int32_t kDetectorMinimumPoints = 100;
// Integration block length: the area is the sum of the blocks' mean heights.
inline constexpr int32_t kIntegrationBlock = 100;
// Every this many points of a peak are kept in its record.
inline constexpr int32_t kStoredPointStep = 10;

// The unit of a recognised peak's area: each 100-point block (20 s) adds its mean height in
// µV, so one unit is 20 µV·s. Shown beside the area wherever a recognised peak's area appears.
inline constexpr char kPeakAreaUnit[] = "×20uV·s";

// truncate(mV × 1000.0) as int32; values beyond the int32 range saturate, NaN reads 0.
int32_t microvolts(float millivolts);

// Integrates signal[start .. end] (end > start) into `record`: area in µV-block units and
// every 10th point (at most 4999 of them). `lo` is the stretch's lowest µV value.
void integratePeak(const float* signalMv, int32_t start, int32_t end, PeakRecord& record);

class PeakDetector {
public:
    // One evaluation at the newest shown point (shownCount − 1). True when a peak was closed
    // and written to the table's next record.
    bool step(const float* signalMv, int32_t shownCount, const PeakSettings& settings, PeakTable& table,
              bool manualPeakMode);

    // Back to idle without a record (desorption steps, the calibration and BET-point dialogs,
    // the injector dialog).
    void reset() {
        inPeak_ = false;
        dropping_ = false;
    }
    // The measurement changed its mode or method: a peak already under way belongs to the old
    // one. It is followed to its end and dropped there, so its tail cannot open a peak of the
    // new mode; a candidate that has not risen to a peak yet is simply forgotten.
    void restart() {
        if (inPeak_ && risen_) {
            dropping_ = true;
        } else {
            reset();
        }
    }

    // A manual pick writes its stretch here too, so the data export sees the picked stretch.
    void setStretch(int32_t start, int32_t end) {
        peakStart_ = start;
        peakEnd_ = end;
    }

    bool inPeak() const { return inPeak_; }
    bool dropping() const { return dropping_; }
    int32_t peakStart() const { return peakStart_; }
    int32_t peakEnd() const { return peakEnd_; }

private:
    bool inPeak_ = false;
    bool risen_ = false;     // the open candidate has risen minHeightUv above its start
    bool dropping_ = false;  // the open candidate ends without a record
    int32_t startUv_ = 0;
    int32_t peakStart_ = 0;
    int32_t peakEnd_ = 0;
};

}  // namespace vespian
