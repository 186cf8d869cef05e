#pragma once
// One tick of the main window's 100 ms display timer, as a core unit: it takes over the points
// the acquisition thread has stored since the last tick, says what the status bar shows, which
// points the trace view draws and whether it scrolls to keep the newest point in view, says once
// when the trace is full, and, while a measurement or calibration runs, hands the new points to
// the peak hand-over. The window carries the result out; it decides nothing itself.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "app/measurement_state.h"
#include "platform/prompts.h"

namespace vespian {

class Chromatogram;
class LinkWatchdog;
struct TraceView;

// Said once when the trace has reached its capacity: nothing more can be recorded until it is
// saved and cleared.
inline constexpr char kTraceFullCaption[] = "警告";
inline constexpr char kTraceFullText[] =
    "谱图已满（10000000 点，约 23 天），新的数据无法记录！请保存谱图，然后清除谱图，再继续记录。";

// What the tick knows about the window.
struct DisplayTickInput {
    bool traceViewShown = true;
    bool manualPeakTool = false;
    bool manualPickPending = false;  // the first click of a manual pick is set
    MeasureMode measureMode = MeasureMode::Idle;
    AnalysisMethod analysisMethod = AnalysisMethod::Comparison;
};

// Step 6 of the tick: what the peak hand-over sees. The points [firstNew, endNew) are the ones
// taken over in this tick.
struct PeakHandOverContext {
    const Chromatogram& trace;
    int32_t firstNew = 0;
    int32_t endNew = 0;
    MeasureMode measureMode = MeasureMode::Idle;
    AnalysisMethod analysisMethod = AnalysisMethod::Comparison;
    bool manualPickPending = false;
};

// What the peak hand-over asks the window to do, in this order: show the messages, perform one
// automatic desorption step for a peak recognised in the comparison method, open the dialogs
// (by template id: 164 the quantitative-peak window, 1685 the BET point dialog, 1684 the
// calibration dialog).
struct PeakHandOverResult {
    std::vector<PromptMessage> messages;
    bool peakRecognised = false;  // hand to the automatic desorption's "desorb after peak"
    std::vector<int32_t> dialogs;
    bool empty() const { return messages.empty() && !peakRecognised && dialogs.empty(); }
};

// The peak recognition and its hand-over (the peak table, the recogniser, the "100 peaks" and
// "calibrate first" rules) plug in here.
class PeakHandOver {
public:
    virtual ~PeakHandOver() = default;
    virtual PeakHandOverResult handOver(const PeakHandOverContext& context) = 0;
};

struct DisplayTickResult {
    bool newPoints = false;
    // Status parts 0 (when set), 1 and 2.
    std::optional<std::string> timeText;
    std::string signalText;
    std::string temperatureText;
    // Points taken over in this tick, for the incremental drawing (unless `scrolled`).
    int32_t firstNew = 0;
    int32_t endNew = 0;
    // The time axis scrolled to keep the newest point in view: redraw the trace instead.
    bool scrolled = false;
    // The scroll range changed with the trace's length: the scroll bar follows.
    bool rangeChanged = false;
    // Show kTraceFullText now (once per filling).
    bool traceFullNotice = false;
    // Step 6 ran (measuring or calibrating with new points), and what it asks for.
    bool peakStepRan = false;
    PeakHandOverResult peaks;
};

class DisplayTick {
public:
    // The hand-over of step 6; none installed means the step does nothing.
    void setPeakHandOver(PeakHandOver* handOver) { handOver_ = handOver; }
    PeakHandOver* peakHandOver() const { return handOver_; }

    // One tick. Takes the new points over (the trace's shown count reaches its point count),
    // grows the view's range to them and applies the auto-scroll.
    DisplayTickResult tick(Chromatogram& trace, TraceView& view, LinkWatchdog& watchdog,
                           const DisplayTickInput& input);

    // The trace has reached its capacity; the link watchdog rests while this holds.
    bool traceFull() const { return fullNoticeGiven_; }

private:
    PeakHandOver* handOver_ = nullptr;
    bool fullNoticeGiven_ = false;
};

// The 100 ms watchdog tick: true when the link is to be reconnected now. A full trace takes no
// more points, so silence then is not a fault, and reconnecting every 2.1 s would only disturb
// the instrument: the watchdog rests until the trace has room again.
bool watchdogTick(LinkWatchdog& watchdog, const Chromatogram& trace);

}  // namespace vespian
