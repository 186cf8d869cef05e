#include "app/measurement_state.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "app/command_ids.h"

namespace vespian {
namespace {

using K = EffectKind;
using Effects = std::vector<WindowEffect>;

WindowEffect fx(K kind, int32_t id = 0) {
    WindowEffect e;
    e.kind = kind;
    e.id = id;
    return e;
}
WindowEffect sent(const Command& command) {
    WindowEffect e;
    e.kind = K::SendCommand;
    e.command = command;
    return e;
}
WindowEffect status(std::string_view text) {
    WindowEffect e;
    e.kind = K::SetStatusText;
    e.id = 0;
    e.text = text;
    return e;
}

size_t countOf(const Effects& effects, K kind) {
    return static_cast<size_t>(std::count_if(effects.begin(), effects.end(), [kind](const WindowEffect& e) { return e.kind == kind; }));
}
std::vector<std::vector<uint8_t>> sentBytes(const Effects& effects) {
    std::vector<std::vector<uint8_t>> out;
    for (const WindowEffect& e : effects) {
        if (e.kind == K::SendCommand) out.emplace_back(e.command.view().begin(), e.command.view().end());
    }
    return out;
}
bool has(const Effects& effects, const WindowEffect& wanted) {
    return std::find(effects.begin(), effects.end(), wanted) != effects.end();
}

const std::vector<uint8_t> kDE{0x44, 0x45};
const std::vector<uint8_t> kAB{0x41, 0x42};

TEST(MeasurementStart, EffectsInOrder) {
    MeasurementState s;
    const Effects expected{
        fx(K::RestartPeakRecognition),
        fx(K::UncheckToolbarButton, kCmdZeroSignal), fx(K::UncheckToolbarButton, kCmdCalibration),
        fx(K::UncheckToolbarButton, kCmdDeleteStretch), fx(K::HideToolbarButton, kCmdStartMeasurement),
        fx(K::ShowToolbarButton, kCmdStopMeasurement), fx(K::ShowToolbarButton, kCmdManualPeak),
        fx(K::UncheckMenuItem, kCmdDeleteStretch), fx(K::UncheckMenuItem, kCmdZeroSignal),
        fx(K::UncheckMenuItem, kCmdStopMeasurement), fx(K::UncheckMenuItem, kCmdCalibration),
        fx(K::CheckMenuItem, kCmdStartMeasurement), fx(K::EnableMenuItem, kCmdInjector),
        fx(K::EnableMenuItem, kCmdManualPeak), fx(K::AddLastPointToZeroOffset),
        fx(K::CenterVerticalScroll), sent(MeasureOn()), fx(K::Repaint), fx(K::OpenInjectorDialog)};
    EXPECT_EQ(s.apply(kCmdStartMeasurement), expected);
    EXPECT_EQ(s.measureMode(), MeasureMode::Measuring);
}

TEST(MeasurementStart, StartingTwiceZeroesAndSendsAgain) {
    MeasurementState s;
    s.apply(kCmdStartMeasurement);
    Effects again = s.apply(kCmdStartMeasurement);
    EXPECT_EQ(countOf(again, K::AddLastPointToZeroOffset), 1u);
    EXPECT_EQ(sentBytes(again), (std::vector<std::vector<uint8_t>>{kDE}));
    EXPECT_EQ(s.measureMode(), MeasureMode::Measuring);
}

TEST(MeasurementStop, EffectsInOrderAndNothingSent) {
    MeasurementState s;
    s.apply(kCmdStartMeasurement);
    const Effects expected{
        fx(K::RestartPeakRecognition),
        fx(K::UncheckToolbarButton, kCmdZeroSignal), fx(K::UncheckToolbarButton, kCmdCalibration),
        fx(K::UncheckToolbarButton, kCmdDeleteStretch), fx(K::HideToolbarButton, kCmdStopMeasurement),
        fx(K::ShowToolbarButton, kCmdStartMeasurement), fx(K::UncheckMenuItem, kCmdDeleteStretch),
        fx(K::UncheckMenuItem, kCmdStartMeasurement), fx(K::UncheckMenuItem, kCmdZeroSignal),
        fx(K::UncheckMenuItem, kCmdCalibration), fx(K::CheckMenuItem, kCmdStopMeasurement),
        fx(K::GrayMenuItem, kCmdInjector), fx(K::CenterVerticalScroll), fx(K::StopInjectionTimers),
        fx(K::Repaint)};
    EXPECT_EQ(s.apply(kCmdStopMeasurement), expected);
    EXPECT_EQ(s.measureMode(), MeasureMode::Idle);
}

TEST(MeasurementStop, AcceptedInEveryMode) {
    for (int32_t first : {0, kCmdStartMeasurement, kCmdCalibration}) {
        MeasurementState s(AnalysisMethod::Bet);
        if (first) s.apply(first);
        Effects e = s.apply(kCmdStopMeasurement);
        EXPECT_EQ(s.measureMode(), MeasureMode::Idle);
        EXPECT_TRUE(sentBytes(e).empty());
        EXPECT_TRUE(has(e, fx(K::StopInjectionTimers)));
    }
}

TEST(Calibration, EnteringZeroesChecksAndSendsAB) {
    MeasurementState s(AnalysisMethod::Bet);
    const Effects expected{
        fx(K::RestartPeakRecognition),
        fx(K::ShowToolbarButton, kCmdStartMeasurement), fx(K::HideToolbarButton, kCmdStopMeasurement),
        fx(K::UncheckToolbarButton, kCmdStartMeasurement), fx(K::UncheckToolbarButton, kCmdZeroSignal),
        fx(K::UncheckMenuItem, kCmdZeroSignal), fx(K::UncheckMenuItem, kCmdStartMeasurement),
        fx(K::UncheckMenuItem, kCmdStopMeasurement), fx(K::UncheckMenuItem, kCmdDeleteStretch),
        fx(K::AddLastPointToZeroOffset), fx(K::CheckMenuItem, kCmdCalibration),
        fx(K::CheckToolbarButton, kCmdCalibration), fx(K::ShowToolbarButton, kCmdManualPeak),
        fx(K::EnableMenuItem, kCmdManualPeak), sent(CalibrationOn()), fx(K::CenterVerticalScroll),
        fx(K::Repaint)};
    EXPECT_EQ(s.apply(kCmdCalibration), expected);
    EXPECT_EQ(s.measureMode(), MeasureMode::Calibrating);
}

TEST(Calibration, LeavingUnchecksKeepsThePeakToolAndSendsDE) {
    MeasurementState s(AnalysisMethod::Bet);
    s.apply(kCmdCalibration);
    Effects e = s.apply(kCmdCalibration);
    EXPECT_EQ(s.measureMode(), MeasureMode::Idle);
    EXPECT_EQ(sentBytes(e), (std::vector<std::vector<uint8_t>>{kDE}));
    EXPECT_EQ(countOf(e, K::AddLastPointToZeroOffset), 0u);  // leaving keeps the zero
    EXPECT_TRUE(has(e, fx(K::UncheckToolbarButton, kCmdCalibration)));
    EXPECT_TRUE(has(e, fx(K::UncheckMenuItem, kCmdCalibration)));
    // The calibration's peaks may still be picked by hand afterwards.
    EXPECT_FALSE(has(e, fx(K::HideToolbarButton, kCmdManualPeak)));
    EXPECT_FALSE(has(e, fx(K::GrayMenuItem, kCmdManualPeak)));
    EXPECT_EQ(e.back(), fx(K::Repaint));
}

TEST(Calibration, FromAMeasurementEntersCalibration) {
    MeasurementState s(AnalysisMethod::Bet);
    s.apply(kCmdStartMeasurement);
    Effects e = s.apply(kCmdCalibration);
    EXPECT_EQ(s.measureMode(), MeasureMode::Calibrating);
    EXPECT_EQ(sentBytes(e), (std::vector<std::vector<uint8_t>>{kAB}));
    // Start comes back in place of stop.
    EXPECT_TRUE(has(e, fx(K::ShowToolbarButton, kCmdStartMeasurement)));
    EXPECT_TRUE(has(e, fx(K::HideToolbarButton, kCmdStopMeasurement)));
}

TEST(AnalysisMethodChoice, ComparisonWhileCalibratingLeavesSilently) {
    MeasurementState s(AnalysisMethod::Bet);
    s.apply(kCmdCalibration);
    Effects e = s.apply(kCmdComparisonMethod);
    EXPECT_EQ(s.measureMode(), MeasureMode::Idle);
    EXPECT_EQ(s.analysisMethod(), AnalysisMethod::Comparison);
    EXPECT_TRUE(sentBytes(e).empty());
    // The calibration mark must not survive into idle.
    EXPECT_TRUE(has(e, fx(K::UncheckToolbarButton, kCmdCalibration)));
    EXPECT_TRUE(has(e, fx(K::UncheckMenuItem, kCmdCalibration)));
}

TEST(AnalysisMethodChoice, ComparisonEffectsInOrder) {
    MeasurementState s(AnalysisMethod::Bet);
    s.apply(kCmdStartMeasurement);
    const Effects expected{
        fx(K::RestartPeakRecognition),
        fx(K::CheckMenuItem, kCmdComparisonMethod), fx(K::CheckToolbarButton, kCmdComparisonMethod),
        fx(K::UncheckMenuItem, kCmdBetMethod),      fx(K::UncheckToolbarButton, kCmdBetMethod),
        fx(K::GrayMenuItem, kCmdDeleteStretch),     fx(K::HideToolbarButton, kCmdCalibration),
        fx(K::GrayMenuItem, kCmdCalibration),       fx(K::GrayMenuItem, kCmdInjector)};
    EXPECT_EQ(s.apply(kCmdComparisonMethod), expected);
    EXPECT_EQ(s.measureMode(), MeasureMode::Idle);  // a measurement is ended too
}

TEST(AnalysisMethodChoice, BetShowsCalibrationAndKeepsTheMode) {
    MeasurementState s;
    s.apply(kCmdStartMeasurement);
    const Effects expected{fx(K::RestartPeakRecognition),
                           fx(K::CheckMenuItem, kCmdBetMethod), fx(K::CheckToolbarButton, kCmdBetMethod),
                           fx(K::UncheckMenuItem, kCmdComparisonMethod),
                           fx(K::UncheckToolbarButton, kCmdComparisonMethod),
                           fx(K::ShowToolbarButton, kCmdCalibration), fx(K::EnableMenuItem, kCmdCalibration)};
    EXPECT_EQ(s.apply(kCmdBetMethod), expected);
    EXPECT_EQ(s.analysisMethod(), AnalysisMethod::Bet);
    EXPECT_EQ(s.measureMode(), MeasureMode::Measuring);
}

TEST(AnalysisMethodChoice, StartupMarksFollowTheStoredMethod) {
    EXPECT_EQ(MeasurementState(AnalysisMethod::Bet).startupEffects(),
              (Effects{fx(K::CheckMenuItem, kCmdBetMethod), fx(K::CheckToolbarButton, kCmdBetMethod),
                       fx(K::UncheckMenuItem, kCmdComparisonMethod),
                       fx(K::UncheckToolbarButton, kCmdComparisonMethod), fx(K::ShowToolbarButton, kCmdCalibration),
                       fx(K::EnableMenuItem, kCmdCalibration)}));
    Effects comparison = MeasurementState(AnalysisMethod::Comparison).startupEffects();
    EXPECT_TRUE(has(comparison, fx(K::CheckMenuItem, kCmdComparisonMethod)));
    EXPECT_TRUE(has(comparison, fx(K::HideToolbarButton, kCmdCalibration)));
    EXPECT_TRUE(has(comparison, fx(K::GrayMenuItem, kCmdCalibration)));
}

// Under the comparison method the calibration is grayed with its hidden button, and the command
// itself does nothing: "AB" is never sent where the method has no calibration.
TEST(AnalysisMethodChoice, NoCalibrationUnderTheComparisonMethod) {
    MeasurementState s(AnalysisMethod::Comparison);
    EXPECT_TRUE(s.apply(kCmdCalibration).empty());
    EXPECT_EQ(s.measureMode(), MeasureMode::Idle);
    s.apply(kCmdBetMethod);
    const Effects on = s.apply(kCmdCalibration);
    EXPECT_EQ(s.measureMode(), MeasureMode::Calibrating);
    EXPECT_EQ(sentBytes(on), (std::vector<std::vector<uint8_t>>{{'A', 'B'}}));
    const Effects back = s.apply(kCmdComparisonMethod);
    EXPECT_TRUE(has(back, fx(K::GrayMenuItem, kCmdCalibration)));
    EXPECT_TRUE(s.apply(kCmdCalibration).empty());
}

// The recogniser starts afresh, first of all, whenever the mode or the method changes, and
// only then: a peak begun while calibrating must not arrive as the first BET point.
TEST(PeakRecognitionRestart, OnEveryChangeOfModeOrMethodAndNeverOtherwise) {
    struct Step {
        int32_t command;
        bool restarts;
    };
    MeasurementState s(AnalysisMethod::Bet);
    for (const Step step : {Step{kCmdCalibration, true}, Step{kCmdStartMeasurement, true},
                            Step{kCmdStartMeasurement, false}, Step{kCmdZeroSignal, false}, Step{kCmdReportView, false},
                            Step{kCmdComparisonMethod, true}, Step{kCmdComparisonMethod, false},
                            Step{kCmdStartMeasurement, true}, Step{kCmdBetMethod, true}, Step{kCmdCalibration, true},
                            Step{kCmdCalibration, true}, Step{kCmdStopMeasurement, false}}) {
        const Effects e = s.apply(step.command);
        EXPECT_EQ(countOf(e, K::RestartPeakRecognition), step.restarts ? 1u : 0u) << step.command;
        if (step.restarts) {
            EXPECT_EQ(e.front(), fx(K::RestartPeakRecognition)) << step.command;
        }
    }
}

TEST(SignalZero, ZeroAndRestore) {
    MeasurementState s;
    EXPECT_EQ(s.apply(kCmdZeroSignal),
              (Effects{fx(K::AddLastPointToZeroOffset), fx(K::ShowToolbarButton, kCmdRestoreSignal),
                       fx(K::CenterVerticalScroll), fx(K::StartAcquisitionIfStopped), fx(K::Repaint)}));
    EXPECT_EQ(s.apply(kCmdRestoreSignal),
              (Effects{fx(K::ClearZeroOffset), fx(K::HideToolbarButton, kCmdRestoreSignal)}));
    EXPECT_EQ(s.measureMode(), MeasureMode::Idle);
}

TEST(Views, CommandsSetTheViewAndTitleButNeverTheMode) {
    MeasurementState s;
    s.apply(kCmdStartMeasurement);
    EXPECT_EQ(s.apply(kCmdReportView), (Effects{status("报告窗口"), fx(K::Repaint)}));
    EXPECT_EQ(s.viewMode(), ViewMode::Report);
    EXPECT_EQ(s.apply(kCmdTraceView), (Effects{status("谱图窗口"), fx(K::Repaint)}));
    EXPECT_EQ(s.viewMode(), ViewMode::Trace);
    s.selectView(ViewMode::BetList);
    EXPECT_EQ(s.viewMode(), ViewMode::BetList);
    EXPECT_EQ(s.measureMode(), MeasureMode::Measuring);
}

TEST(Commands, OnlyTheMeasurementCommandsAreHandled) {
    for (int32_t id : {kCmdComparisonMethod, kCmdBetMethod, kCmdZeroSignal, kCmdRestoreSignal, kCmdStartMeasurement,
                       kCmdStopMeasurement, kCmdCalibration, kCmdTraceView, kCmdReportView}) {
        EXPECT_TRUE(MeasurementState::handles(id)) << id;
    }
    MeasurementState s(AnalysisMethod::Bet);
    s.apply(kCmdCalibration);
    for (int32_t id : {kCmdManualPeak, kCmdOpen, kCmdClearTrace, 0, -1}) {
        EXPECT_FALSE(MeasurementState::handles(id)) << id;
        EXPECT_TRUE(s.apply(id).empty()) << id;
    }
    EXPECT_EQ(s.measureMode(), MeasureMode::Calibrating);
    EXPECT_EQ(s.analysisMethod(), AnalysisMethod::Bet);
}

}  // namespace
}  // namespace vespian
