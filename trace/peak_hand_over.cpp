#include "trace/peak_hand_over.h"

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
    const bool recognised =
        detector.step(trace.signalMv(), trace.shownCount(), settings, table, input.manualPeakMode);
    if (!recognised || input.manualPickPending) return out;
    out.peakStart = detector.peakStart();
    out.peakEnd = detector.peakEnd();

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
        if (!input.betCalibrated) {
            out.messages.push_back({"提示", kCalibrateFirstText, PromptIcon::Information});
        } else {
            out.openDialog = kBetPointDialogTemplate;
        }
    } else {
        out.openDialog = kCalibrationDialogTemplate;
    }
    return out;
}

}  // namespace vespian
