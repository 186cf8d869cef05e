#pragma once
// Peaks and the chemisorption reports in the running program: the recogniser's hand-over in
// the display tick (the quantitative-peak window of the comparison method opened modeless and
// fed with further peaks), the "应用于..." dialog after a manual pick, the report panel in the
// report view with its three report windows, File → "打开" / "保存" of the report file while the
// trace view is not shown, and "导出数据" for the last peak stretch.
//
// The BET point and calibration dialogs of a peak in the BET method are opened by the record
// database's wiring; it tells this hand-over whether one of them is open. Whether the BET record
// under construction can take a measured point is the record's own rule (acceptBetPeak), asked
// here before the point dialog is opened.

#include <QObject>
#include <QPointer>
#include <QRect>

#include <cstdint>
#include <functional>
#include <memory>

#include "app/display_tick.h"
#include "files/report_panel.h"
#include "files/test_report_commands.h"
#include "trace/manual_peak.h"
#include "trace/peak_hand_over.h"

namespace vespian {

class MainWindow;
class Prompts;
class QuantPeakWindow;
class ReportPanelView;
struct ProgramState;
struct ReportWindowContext;

// The hand-over's view of the window: what is open, what the BET record says.
PeakTickInput peakTickInput(const PeakHandOverContext& context, bool manualPeakTool, bool quantWindowOpen,
                            bool peakDialogOpen, const PromptMessage& betPointRefusal);
// The rules' answer as the window's orders.
PeakHandOverResult handOverResult(const PeakTickOutcome& outcome);

class ReportWiring : public QObject, public PeakHandOver {
    Q_OBJECT

public:
    // Installs itself in `window`: hand-over, template 164, the manual pick, the commands.
    ReportWiring(MainWindow& window, ProgramState& state, Prompts& prompts);
    ~ReportWiring() override;

    PeakHandOverResult handOver(const PeakHandOverContext& context) override;

    // For the BET point and calibration dialogs' wiring: while one of them is open a recognised
    // peak waits in the table.
    void setPeakDialogOpen(bool open) { peakDialogOpen_ = open; }
    bool peakDialogOpen() const { return peakDialogOpen_; }
    // Keeping a handed-over peak as a comparison standard or sample (the record database's
    // wiring): the quantitative-peak window of the comparison method offers it, for the peak
    // it shows.
    void setComparisonStore(std::function<void(const PeakRecord&)> store) { comparisonStore_ = std::move(store); }

    // The comparison method's quantitative-peak window while it is open (null otherwise).
    QuantPeakWindow* quantWindow() const;
    // The report view's panel (a child of the view area, shown in the report view only).
    ReportPanelView* reportPanel() const;
    // Where the panel sits in the view area: the top of the report view's frame, its full width.
    QRect reportPanelRect() const;

    const ManualPeakPick& lastPick() const { return pick_; }
    ReportLocation& location() { return location_; }

    // What the panel's rows, the manual pick and the commands run.
    void openReportWindow(ReportKind kind);
    void manualPick(int32_t start, int32_t end);
    void openReportFile();
    void quickSaveReport();
    void exportTraceData();
    // The record or the list columns changed (a record-list operation, a column width): the
    // panel is drawn again from them.
    void refreshPanel();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void openQuantWindow();
    void placePanel();
    void syncReportPath();
    ReportWindowContext windowContext();

    MainWindow& window_;
    ProgramState& state_;
    Prompts& prompts_;
    ReportLocation location_;
    ManualPeakPick pick_;
    QPointer<QuantPeakWindow> quantWindow_;
    QPointer<ReportPanelView> panel_;
    std::function<void(const PeakRecord&)> comparisonStore_;
    bool peakDialogOpen_ = false;
    // The peak the rules handed over last, as its window shows it: the stretch and its record,
    // kept here since a change of measure mode empties the peak table.
    int32_t handedStart_ = 0;
    int32_t handedEnd_ = 0;
    std::unique_ptr<PeakRecord> handedPeak_;
    bool placeQueued_ = false;
};

}  // namespace vespian
