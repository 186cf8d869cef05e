#pragma once
// What the display tick does with the peak recogniser while a measurement or calibration runs:
// one recogniser step for each point the tick took over, so a busy window or a fast instrument
// sees the same peaks as one that takes a point a tick; the "buffer full" warning when the peak
// table holds 100 peaks (said once, until the table has room again, rather than every tick);
// and the hand-over of a recognised peak to the window the measure mode and analysis method
// select: the quantitative-peak window in the comparison method, the BET point dialog (unless
// the BET record refuses the point, "请先标定吸附量！！！" above all) while measuring in the BET
// method, the calibration dialog while calibrating in the BET method.

#include <cstdint>
#include <vector>

#include "trace/init_data.h"
#include "platform/prompts.h"
#include "trace/peak_detector.h"
#include "trace/peak_table.h"

namespace vespian {

class Chromatogram;

// The main window's measure modes and analysis methods, by their stored values.
inline constexpr int32_t kMeasureModeMeasuring = 2;
inline constexpr int32_t kMeasureModeCalibrating = 4;
inline constexpr int32_t kAnalysisComparison = 0;
inline constexpr int32_t kAnalysisBet = 1;

// The windows a recognised peak goes to, by their template numbers.
inline constexpr int32_t kQuantPeakWindowTemplate = 164;
inline constexpr int32_t kBetPointDialogTemplate = 1685;
inline constexpr int32_t kCalibrationDialogTemplate = 1684;

inline constexpr char kPeakBufferFullText[] = "数据缓冲区已满,请将要保存的数据保存后关闭对话框!!!";

struct PeakTickInput {
    int32_t measureMode = 0;     // 0 idle, 2 measuring, 4 calibrating
    int32_t analysisMethod = 0;  // 0 comparison, 1 BET
    int32_t newPoints = 0;       // points the tick took over, the newest shown last
    bool manualPeakMode = false;     // the manual-peak tool is on
    bool manualPickPending = false;  // its first click is set
    bool quantWindowOpen = false;    // the comparison method's quantitative-peak window
    bool peakDialogOpen = false;     // a BET point or calibration dialog
    // Why the BET record under construction cannot take a measured point now (calibrate first,
    // ten points, a full database); no text: it can.
    PromptMessage betPointRefusal;
};

struct PeakTickOutcome {
    bool ran = false;                     // the recogniser stepped
    std::vector<PromptMessage> messages;  // show these first
    // A peak was recognised in the comparison method: the automatic desorption may take its
    // "desorb after peak" step now.
    bool peakRecognised = false;
    int32_t openDialog = 0;  // template number of the window to open, 0 for none
    // The comparison method's window is open already: it takes the new peak.
    bool refreshQuantWindow = false;
    // The recognised stretch (the window shows it) and its record in the peak table.
    int32_t peakStart = 0;
    int32_t peakEnd = 0;
    int32_t peakRecord = -1;
};

class PeakHandOverRules {
public:
    PeakTickOutcome tick(const PeakTickInput& input, const Chromatogram& trace, const PeakSettings& settings,
                         PeakTable& table, PeakDetector& detector);

    // The measure mode or the analysis method changed: the recogniser starts afresh (a peak
    // under way is dropped when it ends) and the peaks of the old mode leave the table, so
    // none of them reaches a window of the new one.
    void restart(PeakTable& table, PeakDetector& detector);

    // The warning about the full table has been given and the table is still full.
    bool fullNoticeGiven() const { return fullNoticeGiven_; }

private:
    bool fullNoticeGiven_ = false;
};

}  // namespace vespian
