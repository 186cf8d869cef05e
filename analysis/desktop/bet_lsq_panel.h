#pragma once
// The panel "BET 最小二乘" beside the written BET result: the report's points with a check box
// each (points outside 0.05–0.30 P/Po flagged), the least-squares line over the chosen ones,
// C, Vm and the area, and whether the Rouquerol criteria hold. The written two-point result is
// shown for comparison and never changed. Beside them each result with its uncertainty, the
// checks' flags, and the automatic range: the proposed points (one click takes them) and every
// contiguous range with why it passed or failed.

#include <QDialog>

#include <string>

#include "analysis/bet_least_squares.h"
#include "analysis/bet_range_selection.h"
#include "analysis/bet_record_choice.h"
#include "analysis/result_lines.h"

class QCheckBox;
class QLabel;
class QListWidget;

namespace vespian {

class EvaluationPlotView;

class BetLsqPanel : public QDialog {
    Q_OBJECT

public:
    // The stated uncertainties are read from the data folder (defaults when empty).
    BetLsqPanel(QWidget* parent, const SurfaceReportRecord& record, const std::string& dataFolder = {});

    // Widgets by objectName: "pointList" (checkable), "betPlot", "resultLabel", "writtenLabel",
    // "expandedBox", "uncertaintyLabel", "flagLabel", "autoRangeLabel", "useAutoRangeButton",
    // "rangeList" (every range, pass or fail with why).

    const BetLeastSquares& fit() const { return fit_; }
    const BetRangeSelection& rangeSelection() const { return selection_; }
    QString resultText() const;
    QString uncertaintyText() const;
    QString flagText() const;
    // Ticks the proposed range's points (nothing without one).
    void useAutomaticRange();

private:
    void recompute();
    void showUncertainties();

    SurfaceReportRecord record_;
    StatedUncertainties stated_;
    BetRangeSelection selection_;
    PanelResults results_;
    BetPoints points_;
    BetLeastSquares fit_{};
    bool filling_ = false;
    QListWidget* list_;
    EvaluationPlotView* plot_;
    QLabel* result_;
    QCheckBox* expanded_;
    QLabel* uncertainty_;
    QLabel* flags_;
};

}  // namespace vespian
