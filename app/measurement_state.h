#pragma once
// The main window's measurement state: idle, measuring or calibrating, the analysis method and
// the shown view, and what each measurement command changes. A command returns the list of
// effects the desktop layer applies in order (toolbar and menu states, zero offset, scroll,
// instrument commands, dialogs, repaint); the state itself changes here.
//
// Toolbar and menu requests name a command id; one whose button or item does not exist has no
// effect, so the lists may name buttons that a toolbar does not carry.

#include <cstdint>
#include <string_view>
#include <vector>

#include "link/command_set.h"

namespace vespian {

enum class MeasureMode : int32_t { Idle = 0, Measuring = 2, Calibrating = 4 };
enum class AnalysisMethod : int32_t { Comparison = 0, Bet = 1 };
enum class ViewMode : int32_t { Trace = 0, Report = 1, BetList = 2 };

enum class EffectKind {
    ShowToolbarButton,
    HideToolbarButton,
    CheckToolbarButton,
    UncheckToolbarButton,
    CheckMenuItem,
    UncheckMenuItem,
    EnableMenuItem,
    GrayMenuItem,
    AddLastPointToZeroOffset,   // the trace's newest shown point joins its zero offset
    ClearZeroOffset,
    CenterVerticalScroll,       // vertical scroll position = half its maximum
    StartAcquisitionIfStopped,  // start the acquisition thread unless it runs
    SendCommand,                // write `command` to the analyser
    StopInjectionTimers,        // kill the two minute timers, reset the minute counter
    OpenInjectorDialog,         // as the injector command does
    SetStatusText,              // status part `id` shows `text`
    RestartPeakRecognition,     // the measure mode or method changed: the recogniser starts afresh
    Repaint,
};

struct WindowEffect {
    EffectKind kind = EffectKind::Repaint;
    int32_t id = 0;           // command id of a toolbar or menu request, or the status part
    Command command{};        // SendCommand
    std::string_view text{};  // SetStatusText

    bool operator==(const WindowEffect& other) const;
};

class MeasurementState {
public:
    explicit MeasurementState(AnalysisMethod method = AnalysisMethod::Comparison) : method_(method) {}

    MeasureMode measureMode() const { return mode_; }
    AnalysisMethod analysisMethod() const { return method_; }
    ViewMode viewMode() const { return view_; }

    // The tab strip switches views without a command.
    void selectView(ViewMode view) { view_ = view; }

    // Toolbar and menu marks that the stored analysis method decides at window creation.
    std::vector<WindowEffect> startupEffects() const;

    // True for the commands apply() handles: 32778–32781, 32792, 32793, 32804, 32806, 33780.
    static bool handles(int32_t commandId);
    // Applies one command; an id it does not handle changes nothing and returns no effect. A
    // command that changes the measure mode or the analysis method begins its effects with
    // RestartPeakRecognition, so no peak of the old mode reaches a window of the new one.
    std::vector<WindowEffect> apply(int32_t commandId);

private:
    std::vector<WindowEffect> dispatch(int32_t commandId);
    std::vector<WindowEffect> selectComparison();
    std::vector<WindowEffect> selectBet();
    std::vector<WindowEffect> zeroSignal();
    std::vector<WindowEffect> restoreSignal();
    std::vector<WindowEffect> startMeasurement();
    std::vector<WindowEffect> stopMeasurement();
    std::vector<WindowEffect> toggleCalibration();
    std::vector<WindowEffect> showView(ViewMode view);

    MeasureMode mode_ = MeasureMode::Idle;
    AnalysisMethod method_;
    ViewMode view_ = ViewMode::Trace;
};

}  // namespace vespian
