#pragma once
// The panel "BET 最小二乘" beside the written BET result: the report's points with a check box
// each (points outside 0.05–0.30 P/Po flagged), the least-squares line over the chosen ones,
// C, Vm and the area, and whether the Rouquerol criteria hold. The written two-point result is
// shown for comparison and never changed.

#include <QDialog>

#include "analysis/bet_least_squares.h"
#include "analysis/bet_record_choice.h"

class QLabel;
class QListWidget;

namespace vespian {

class EvaluationPlotView;

class BetLsqPanel : public QDialog {
    Q_OBJECT

public:
    BetLsqPanel(QWidget* parent, const SurfaceReportRecord& record);

    // Widgets by objectName: "pointList" (checkable), "betPlot", "resultLabel", "writtenLabel".

    const BetLeastSquares& fit() const { return fit_; }
    QString resultText() const;

private:
    void recompute();

    BetPoints points_;
    BetLeastSquares fit_{};
    bool filling_ = false;
    QListWidget* list_;
    EvaluationPlotView* plot_;
    QLabel* result_;
};

}  // namespace vespian
