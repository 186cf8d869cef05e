#include "app/measurement_state.h"

#include <algorithm>
#include <initializer_list>
#include <utility>

#include "app/command_ids.h"
#include "app/status_texts.h"

namespace vespian {

namespace {

class Effects {
public:
    Effects& add(EffectKind kind, int32_t id = 0) {
        WindowEffect e;
        e.kind = kind;
        e.id = id;
        list_.push_back(e);
        return *this;
    }
    Effects& send(const Command& command) {
        WindowEffect e;
        e.kind = EffectKind::SendCommand;
        e.command = command;
        list_.push_back(e);
        return *this;
    }
    Effects& status(int32_t part, std::string_view text) {
        WindowEffect e;
        e.kind = EffectKind::SetStatusText;
        e.id = part;
        e.text = text;
        list_.push_back(e);
        return *this;
    }
    Effects& showButtons(std::initializer_list<int32_t> ids) { return each(EffectKind::ShowToolbarButton, ids); }
    Effects& hideButtons(std::initializer_list<int32_t> ids) { return each(EffectKind::HideToolbarButton, ids); }
    Effects& checkButtons(std::initializer_list<int32_t> ids) { return each(EffectKind::CheckToolbarButton, ids); }
    Effects& uncheckButtons(std::initializer_list<int32_t> ids) { return each(EffectKind::UncheckToolbarButton, ids); }
    Effects& checkItems(std::initializer_list<int32_t> ids) { return each(EffectKind::CheckMenuItem, ids); }
    Effects& uncheckItems(std::initializer_list<int32_t> ids) { return each(EffectKind::UncheckMenuItem, ids); }
    Effects& enableItems(std::initializer_list<int32_t> ids) { return each(EffectKind::EnableMenuItem, ids); }
    Effects& grayItems(std::initializer_list<int32_t> ids) { return each(EffectKind::GrayMenuItem, ids); }
    // Menu item and toolbar button of the same command.
    Effects& check(int32_t id) { return checkItems({id}).checkButtons({id}); }
    Effects& uncheck(int32_t id) { return uncheckItems({id}).uncheckButtons({id}); }

    std::vector<WindowEffect> take() { return std::move(list_); }

private:
    Effects& each(EffectKind kind, std::initializer_list<int32_t> ids) {
        for (int32_t id : ids) add(kind, id);
        return *this;
    }
    std::vector<WindowEffect> list_;
};

constexpr int32_t kHandled[] = {kCmdComparisonMethod, kCmdBetMethod,        kCmdZeroSignal,
                                kCmdRestoreSignal,    kCmdStartMeasurement, kCmdStopMeasurement,
                                kCmdCalibration,      kCmdTraceView,        kCmdReportView};

}  // namespace

bool WindowEffect::operator==(const WindowEffect& other) const {
    const auto a = command.view();
    const auto b = other.command.view();
    return kind == other.kind && id == other.id && text == other.text &&
           std::equal(a.begin(), a.end(), b.begin(), b.end());
}

bool MeasurementState::handles(int32_t commandId) {
    return std::find(std::begin(kHandled), std::end(kHandled), commandId) != std::end(kHandled);
}

std::vector<WindowEffect> MeasurementState::startupEffects() const {
    Effects e;
    if (method_ == AnalysisMethod::Bet) {
        e.check(kCmdBetMethod).uncheck(kCmdComparisonMethod).showButtons({kCmdCalibration}).enableItems({kCmdCalibration});
    } else {
        e.check(kCmdComparisonMethod).uncheck(kCmdBetMethod).hideButtons({kCmdCalibration}).grayItems({kCmdCalibration});
    }
    return e.take();
}

std::vector<WindowEffect> MeasurementState::apply(int32_t commandId) {
    const MeasureMode mode = mode_;
    const AnalysisMethod method = method_;
    std::vector<WindowEffect> effects = dispatch(commandId);
    if (mode_ != mode || method_ != method) {
        // First, before any dialog the command opens lets the display tick run again.
        WindowEffect restart;
        restart.kind = EffectKind::RestartPeakRecognition;
        effects.insert(effects.begin(), restart);
    }
    return effects;
}

std::vector<WindowEffect> MeasurementState::dispatch(int32_t commandId) {
    switch (commandId) {
    case kCmdComparisonMethod: return selectComparison();
    case kCmdBetMethod: return selectBet();
    case kCmdZeroSignal: return zeroSignal();
    case kCmdRestoreSignal: return restoreSignal();
    case kCmdStartMeasurement: return startMeasurement();
    case kCmdStopMeasurement: return stopMeasurement();
    case kCmdCalibration:
        // The comparison method has no adsorbed-amount calibration: with its button hidden and
        // its menu item grayed, a stray command (a shortcut, say) must not send "AB" either.
        if (method_ != AnalysisMethod::Bet) return {};
        return toggleCalibration();
    case kCmdTraceView: return showView(ViewMode::Trace);
    case kCmdReportView: return showView(ViewMode::Report);
    default: return {};
    }
}

// The comparison method has no adsorbed-amount calibration: it leaves calibration (or a
// measurement) silently, and the calibration button goes away.
std::vector<WindowEffect> MeasurementState::selectComparison() {
    Effects e;
    e.check(kCmdComparisonMethod).uncheck(kCmdBetMethod);
    e.grayItems({kCmdDeleteStretch}).hideButtons({kCmdCalibration}).grayItems({kCmdCalibration});
    // The calibration mark would otherwise stay set while idle and show again with BET.
    if (mode_ == MeasureMode::Calibrating) e.uncheck(kCmdCalibration);
    e.grayItems({kCmdInjector});
    mode_ = MeasureMode::Idle;
    method_ = AnalysisMethod::Comparison;
    return e.take();
}

std::vector<WindowEffect> MeasurementState::selectBet() {
    Effects e;
    e.check(kCmdBetMethod).uncheck(kCmdComparisonMethod).showButtons({kCmdCalibration}).enableItems({kCmdCalibration});
    method_ = AnalysisMethod::Bet;
    return e.take();
}

// The newest point becomes the new zero, so the following points start near the middle of the
// value axis.
std::vector<WindowEffect> MeasurementState::zeroSignal() {
    Effects e;
    e.add(EffectKind::AddLastPointToZeroOffset)
        .showButtons({kCmdRestoreSignal})
        .add(EffectKind::CenterVerticalScroll)
        .add(EffectKind::StartAcquisitionIfStopped)
        .add(EffectKind::Repaint);
    return e.take();
}

std::vector<WindowEffect> MeasurementState::restoreSignal() {
    Effects e;
    e.add(EffectKind::ClearZeroOffset).hideButtons({kCmdRestoreSignal});
    return e.take();
}

// Every start zeroes the signal again, also when a measurement already runs.
std::vector<WindowEffect> MeasurementState::startMeasurement() {
    Effects e;
    e.uncheckButtons({kCmdZeroSignal, kCmdCalibration, kCmdDeleteStretch})
        .hideButtons({kCmdStartMeasurement})
        .showButtons({kCmdStopMeasurement, kCmdManualPeak})
        .uncheckItems({kCmdDeleteStretch, kCmdZeroSignal, kCmdStopMeasurement, kCmdCalibration})
        .checkItems({kCmdStartMeasurement})
        .enableItems({kCmdInjector, kCmdManualPeak})
        .add(EffectKind::AddLastPointToZeroOffset);
    mode_ = MeasureMode::Measuring;
    e.add(EffectKind::CenterVerticalScroll)
        .send(MeasureOn())
        .add(EffectKind::Repaint)
        .add(EffectKind::OpenInjectorDialog);
    return e.take();
}

// Nothing goes to the analyser: it stays in detector mode. The manual peak pick stays at hand:
// after a run is when the operator picks the peaks of it.
std::vector<WindowEffect> MeasurementState::stopMeasurement() {
    Effects e;
    e.uncheckButtons({kCmdZeroSignal, kCmdCalibration, kCmdDeleteStretch})
        .hideButtons({kCmdStopMeasurement})
        .showButtons({kCmdStartMeasurement})
        .uncheckItems({kCmdDeleteStretch, kCmdStartMeasurement, kCmdZeroSignal, kCmdCalibration})
        .checkItems({kCmdStopMeasurement})
        .grayItems({kCmdInjector});
    mode_ = MeasureMode::Idle;
    e.add(EffectKind::CenterVerticalScroll).add(EffectKind::StopInjectionTimers).add(EffectKind::Repaint);
    return e.take();
}

std::vector<WindowEffect> MeasurementState::toggleCalibration() {
    Effects e;
    e.showButtons({kCmdStartMeasurement})
        .hideButtons({kCmdStopMeasurement})
        .uncheckButtons({kCmdStartMeasurement, kCmdZeroSignal})
        .uncheckItems({kCmdZeroSignal, kCmdStartMeasurement, kCmdStopMeasurement, kCmdDeleteStretch});
    if (mode_ == MeasureMode::Calibrating) {
        mode_ = MeasureMode::Idle;
        e.uncheck(kCmdCalibration).send(MeasureOn());
    } else {
        e.add(EffectKind::AddLastPointToZeroOffset);
        mode_ = MeasureMode::Calibrating;
        e.check(kCmdCalibration).showButtons({kCmdManualPeak}).enableItems({kCmdManualPeak}).send(CalibrationOn());
    }
    e.add(EffectKind::CenterVerticalScroll).add(EffectKind::Repaint);
    return e.take();
}

std::vector<WindowEffect> MeasurementState::showView(ViewMode view) {
    view_ = view;
    Effects e;
    e.status(kStatusPartTime, view == ViewMode::Trace ? kTraceViewTitle : kReportViewTitle).add(EffectKind::Repaint);
    return e.take();
}

}  // namespace vespian
