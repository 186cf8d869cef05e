#include "app/display_tick.h"

#include "app/status_texts.h"
#include "link/link_watchdog.h"
#include "trace/chromatogram.h"
#include "trace/trace_view.h"

namespace vespian {

namespace {

bool full(const Chromatogram& trace) { return trace.pointCount() >= kLastPointIndex; }

}  // namespace

DisplayTickResult DisplayTick::tick(Chromatogram& trace, TraceView& view, LinkWatchdog& watchdog,
                                    const DisplayTickInput& input) {
    DisplayTickResult r;
    // A cleared, cut or loaded trace has room again: the notice may come again when it fills.
    if (!full(trace)) fullNoticeGiven_ = false;

    const int32_t acquired = trace.pointCount();
    if (acquired > trace.shownCount()) {
        watchdog.pointsArrived();
        r.newPoints = true;
        r.timeText = elapsedTimeText(acquired);
        r.signalText = signalText(trace.signalMv()[acquired - 1]);
        r.temperatureText = temperatureText(trace.temperatureC()[acquired - 1]);
        r.firstNew = trace.shownCount();
        while (trace.takeOverPoint()) {
        }
        r.endNew = trace.shownCount();
        r.rangeChanged = setRecordedPoints(view, r.endNew);
        // The points advance left to right, so the newest tells whether any lies beyond.
        const int32_t newest = r.endNew - 1;
        if (input.traceViewShown && newest >= 1) {
            const int64_t before = view.hScroll;
            r.scrolled = applyAutoScroll(view, newest, pointRightOfPlot(view, newest), input.traceViewShown,
                                         input.manualPeakTool) &&
                         view.hScroll != before;
        }
    } else {
        // Keep the range right after an edit that shortened the trace (a cut, a clear).
        r.rangeChanged = setRecordedPoints(view, trace.shownCount());
    }

    if (full(trace) && !fullNoticeGiven_) {
        fullNoticeGiven_ = true;
        r.traceFullNotice = true;
    }

    const bool measuring =
        input.measureMode == MeasureMode::Measuring || input.measureMode == MeasureMode::Calibrating;
    if (measuring && r.newPoints && handOver_ != nullptr) {
        r.peakStepRan = true;
        r.peaks = handOver_->handOver(PeakHandOverContext{trace, r.firstNew, r.endNew, input.measureMode,
                                                          input.analysisMethod, input.manualPickPending});
    }
    return r;
}

bool watchdogTick(LinkWatchdog& watchdog, const Chromatogram& trace) {
    if (full(trace)) {
        watchdog.pointsArrived();
        return false;
    }
    return watchdog.tick();
}

}  // namespace vespian
