#include "app/desktop/report_wiring.h"

#include <QEvent>
#include <QTimer>

#include "analysis/bet.h"
#include "analysis/desktop/desorption_test_dialog.h"
#include "analysis/desktop/titration_report_dialog.h"
#include "analysis/desktop/tp_report_dialog.h"
#include "app/command_ids.h"
#include "app/desktop/evaluation_wiring.h"
#include "app/desktop/main_window.h"
#include "app/desktop/view_area.h"
#include "app/program_state.h"
#include "app/view_buttons.h"
#include "files/desktop/report_panel_view.h"
#include "files/desktop/trace_export_dialog.h"
#include "trace/desktop/apply_to_dialog.h"
#include "trace/desktop/quant_peak_window.h"

namespace vespian {

namespace {

// The panel's height: its header row and three rows, with a little room below the last.
constexpr int kPanelHeight = kReportPanelFirstRowY + 3 * kReportPanelRowStep + 6;

}  // namespace

PeakTickInput peakTickInput(const PeakHandOverContext& context, bool manualPeakTool, bool quantWindowOpen,
                            bool peakDialogOpen, const PromptMessage& betPointRefusal) {
    PeakTickInput input;
    input.measureMode = static_cast<int32_t>(context.measureMode);
    input.analysisMethod = static_cast<int32_t>(context.analysisMethod);
    input.newPoints = std::max(0, context.endNew - context.firstNew);
    input.manualPeakMode = manualPeakTool;
    input.manualPickPending = context.manualPickPending;
    input.quantWindowOpen = quantWindowOpen;
    input.peakDialogOpen = peakDialogOpen;
    input.betPointRefusal = betPointRefusal;
    return input;
}

PeakHandOverResult handOverResult(const PeakTickOutcome& outcome) {
    PeakHandOverResult result;
    result.messages = outcome.messages;
    result.peakRecognised = outcome.peakRecognised;
    if (outcome.openDialog != 0) result.dialogs.push_back(outcome.openDialog);
    return result;
}

ReportWiring::ReportWiring(MainWindow& window, ProgramState& state, Prompts& prompts)
    : window_(window), state_(state), prompts_(prompts),
      location_{state.reportPath, state.dataFolder}, handedPeak_(std::make_unique<PeakRecord>()) {
    // The quantitative peak's volume is the one the report was seeded with at start-up.
    state_.quantPeak->volumeMl = state_.quantVolumeMl;

    window_.setPeakHandOver(this);
    window_.handlePeakDialog(kQuantPeakWindowTemplate, [this] { openQuantWindow(); });
    window_.setManualPickHandler([this](int32_t start, int32_t end) { manualPick(start, end); });
    window_.handleReportFile([this] { openReportFile(); }, [this] { quickSaveReport(); });
    window_.handleCommand(kCmdExportData, [this](const CommandEntry&) { exportTraceData(); });

    ViewArea* area = window_.viewArea();
    panel_ = new ReportPanelView(area, *state_.report, reportPanelWidths(state_.zevid.columns));
    panel_->setObjectName("reportPanel");
    panel_->hide();
    connect(panel_, &ReportPanelView::reportChosen, this, [this](ReportKind kind) { openReportWindow(kind); });
    area->installEventFilter(this);
    placePanel();
}

ReportWiring::~ReportWiring() {
    window_.setPeakHandOver(nullptr);
    window_.setManualPickHandler({});
    window_.handleReportFile({}, {});
    if (ViewArea* area = window_.viewArea()) area->removeEventFilter(this);
}

QuantPeakWindow* ReportWiring::quantWindow() const { return quantWindow_.data(); }

ReportPanelView* ReportWiring::reportPanel() const { return panel_.data(); }

// ---- peaks ---------------------------------------------------------------------------------

PeakHandOverResult ReportWiring::handOver(const PeakHandOverContext& context) {
    const bool quantOpen = !quantWindow_.isNull() && quantWindow_->isVisible();
    const PeakTickInput input = peakTickInput(context, state_.tools.manualPeak, quantOpen, peakDialogOpen_,
                                              acceptBetPeak(state_.database->reports()).message);
    const PeakTickOutcome outcome =
        state_.peakRules.tick(input, context.trace, state_.settings.peak, *state_.peaks, state_.peakDetector);
    if ((outcome.openDialog != 0 || outcome.refreshQuantWindow) && outcome.peakRecord >= 0) {
        handedStart_ = outcome.peakStart;
        handedEnd_ = outcome.peakEnd;
        *handedPeak_ = state_.peaks->records[outcome.peakRecord];
    }
    // The open window takes the new peak itself: the recognised stretch, not an older pick.
    if (outcome.refreshQuantWindow && quantOpen) {
        quantWindow_->takePeak(context.trace.signalMv(), outcome.peakStart, outcome.peakEnd, handedPeak_->area);
    }
    return handOverResult(outcome);
}

void ReportWiring::openQuantWindow() {
    if (!quantWindow_.isNull()) {
        quantWindow_->takePeak(state_.chromatogram->signalMv(), handedStart_, handedEnd_, handedPeak_->area);
        quantWindow_->raise();
        return;
    }
    quantWindow_ = showHandedOverQuantWindow(&window_, *state_.quantPeak, *state_.peaks, state_.chromatogram->signalMv(),
                                             handedStart_, handedEnd_, handedPeak_->area, &prompts_);
    if (comparisonStore_) {
        quantWindow_->setStoreHandler([this] { comparisonStore_(*handedPeak_); });
    }
}

void ReportWiring::manualPick(int32_t start, int32_t end) {
    completeManualPick(start, end, state_.chromatogram->shownCount(), pick_, state_.peakDetector);
    PeakUseContext context{*state_.chromatogram, *state_.quantPeak, *state_.report, state_.peakDetector, prompts_,
                           state_.dataFolder};
    const ApplyToAction action = runApplyToDialog(&window_, context, pick_.start, pick_.end);
    if (action == ApplyToAction::ApplySample) refreshPanel();
    // The pick is the quantitative peak now: a handed-over window still showing an older one
    // goes, as by its close box, so its volume field cannot later overwrite the new volume.
    if (action == ApplyToAction::OpenQuantWindow && !quantWindow_.isNull()) quantWindow_->close();
}

void ReportWiring::exportTraceData() {
    runTraceExportDialog(&window_, prompts_, *state_.chromatogram, state_.peakDetector.peakStart(),
                         state_.peakDetector.peakEnd(), state_.dataFolder);
}

// ---- report file and windows ---------------------------------------------------------------

void ReportWiring::openReportFile() {
    if (openReport(prompts_, *state_.report, location_)) refreshPanel();
    syncReportPath();
}

void ReportWiring::quickSaveReport() { quickWriteReport(prompts_, *state_.report, location_); }

ReportWindowContext ReportWiring::windowContext() {
    ViewArea* area = window_.viewArea();
    const QRect client(area->mapToGlobal(QPoint(0, 0)), area->size());
    return ReportWindowContext{*state_.report,           location_, prompts_, state_.letterhead,
                               [this] { refreshPanel(); }, client,    evaluationExportFor(window_, state_)};
}

void ReportWiring::openReportWindow(ReportKind kind) {
    ReportWindowContext context = windowContext();
    switch (kind) {
    case ReportKind::Titration: showTitrationReport(&window_, context); break;
    case ReportKind::TemperatureProgrammed: showTemperatureProgrammedReport(&window_, context); break;
    case ReportKind::Desorption: showDesorptionTest(&window_, context); break;
    }
    syncReportPath();
}

void ReportWiring::syncReportPath() { state_.reportPath = location_.currentPath; }

void ReportWiring::refreshPanel() {
    if (panel_.isNull()) return;
    panel_->setWidths(reportPanelWidths(state_.zevid.columns));
    panel_->refresh();
}

// ---- the panel in the report view ----------------------------------------------------------

QRect ReportWiring::reportPanelRect() const {
    const ViewArea* area = window_.viewArea();
    TraceView frame = state_.view;
    setViewArea(frame, area->width(), area->stripBottom() - kViewButtonRuleAbove);
    layoutTraceView(frame);
    const int width = std::max(0, frame.X1 - frame.X0 - 4);
    const int height = std::max(0, std::min(kPanelHeight, frame.Y1 - frame.Y0 - 4));
    return QRect(frame.X0 + 2, frame.Y0 + 2, width, height);
}

void ReportWiring::placePanel() {
    placeQueued_ = false;
    if (panel_.isNull()) return;
    const bool shown = state_.measurement.viewMode() == ViewMode::Report;
    if (shown) {
        const QRect rect = reportPanelRect();
        if (panel_->geometry() != rect) panel_->setGeometry(rect);
        panel_->raise();
    }
    if (panel_->isVisible() != shown) panel_->setVisible(shown);
}

bool ReportWiring::eventFilter(QObject* watched, QEvent* event) {
    // The view area repaints after every view switch and resize: the panel follows once the
    // paint is over, shown in the report view only.
    if (watched == window_.viewArea() && !placeQueued_ &&
        (event->type() == QEvent::Paint || event->type() == QEvent::Resize)) {
        placeQueued_ = true;
        QTimer::singleShot(0, this, [this] { placePanel(); });
    }
    return QObject::eventFilter(watched, event);
}

}  // namespace vespian
