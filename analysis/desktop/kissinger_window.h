#pragma once
// The window "Kissinger 活化能": saved report files of one sample run at different heating
// rates, one peak (Tm) chosen in each, ln(β/Tm²) plotted against 1/Tm with its fitted line, and
// the activation energy with its standard error and r². The ramp comes from each report where
// it was stored; where it was not, the operator types it into the run's row.

#include <QDialog>

#include <string>
#include <vector>

#include "analysis/kissinger.h"
#include "analysis/saved_run.h"

class QLabel;
class QTableWidget;

namespace vespian {

class EvaluationPlotView;
class Prompts;

class KissingerWindow : public QDialog {
    Q_OBJECT

public:
    KissingerWindow(QWidget* parent, Prompts& prompts, std::string dataFolder);

    // Widgets by objectName: "runTable" (columns file, sample, ramp [editable], Tm with a
    // "tmBox" combo box per row), "addButton", "removeButton", "kissingerPlot", "resultLabel".

    // Reads a report file and adds it as a run; false (said so) when it cannot be read or has
    // no Tm to choose.
    bool addRunFile(const std::string& path);
    int runCount() const { return static_cast<int>(runs_.size()); }
    const KissingerFit& fit() const { return fit_; }
    QString resultText() const;

private:
    void addRuns();
    void removeSelected();
    void recompute();

    Prompts& prompts_;
    std::string dataFolder_;
    std::vector<SavedRun> runs_;
    KissingerFit fit_{};
    bool filling_ = false;

    QTableWidget* table_;
    EvaluationPlotView* plot_;
    QLabel* result_;
};

}  // namespace vespian
