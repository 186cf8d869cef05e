#include "trace/peak_hand_over.h"

#include <algorithm>

#include "trace/chromatogram.h"

namespace vespian {

PeakTickOutcome PeakHandOverRules::tick(const PeakTickInput& input, const Chromatogram& trace,
                                        const PeakSettings& settings, PeakTable& table, PeakDetector& detector) {
    PeakTickOutcome out;
    if (!table.full()) fullNoticeGiven_ = false;  // emptied since: the next filling is told again
    const bool measuring =
        input.measureMode == kMeasureModeMeasuring || input.measureMode == kMeasureModeCalibrating;
    if (!measuring || !input.newPoints) return out;

    if (table.full()) {
        // The table stays full until a dialog empties it; saying so at every tick would bury
        // the operator in boxes.
        if (!fullNoticeGiven_) {
            out.messages.push_back({"警告", kPeakBufferFullText, PromptIcon::Error});
            fullNoticeGiven_ = true;
        }
        return out;
    }

    out.ran = true;
    // Each taken-over point in turn, as if it had come in a tick of its own. The first peak
    // closed is the one handed over; any later one waits in the table.
    const int32_t shown = trace.shownCount();
    bool recognised = false;
    for (int32_t n = std::max(1, shown - input.newPoints + 1); n <= shown && !table.full(); ++n) {
        if (detector.step(trace.signalMv(), n, settings, table, input.manualPeakMode) && !recognised) {
            recognised = true;
            out.peakStart = detector.peakStart();
            out.peakEnd = detector.peakEnd();
            out.peakRecord = table.count - 1;
        }
    }
    if (!recognised || input.manualPickPending) return out;

    if (input.analysisMethod == kAnalysisComparison) {
        if (input.quantWindowOpen) {
            out.refreshQuantWindow = true;
        } else {
            out.openDialog = kQuantPeakWindowTemplate;
        }
        out.peakRecognised = true;
        return out;
    }
    if (input.peakDialogOpen) return out;  // the peak waits in the table
    if (input.measureMode == kMeasureModeMeasuring) {
        if (!input.betPointRefusal.text.empty()) {
            out.messages.push_back(input.betPointRefusal);
            // The refused peak must not stay first in the table, or the next point would read it.
            table.clear();
        } else {
            out.openDialog = kBetPointDialogTemplate;
        }
    } else {
        out.openDialog = kCalibrationDialogTemplate;
    }
    return out;
}

void PeakHandOverRules::restart(PeakTable& table, PeakDetector& detector) {
    detector.restart();
    table.clear();
    fullNoticeGiven_ = false;
}

}  // namespace vespian
