#pragma once
// The window "Kissinger 活化能": saved report files of one sample run at different heating
// rates, one peak (Tm) chosen in each, ln(β/Tm²) plotted against 1/Tm with its fitted line, and
// the activation energy with its standard error and r². The ramp comes from each report where
// it was stored; where it was not, the operator types it into the run's row. Beside Kissinger:
// the Redhead estimate of each run with the ν it assumes, and on request the simultaneous
// Polanyi–Wigner fit of the runs' whole peaks (order 1, or n fitted) with its intervals and
// the residuals drawn.

#include <QDialog>

#include <string>
#include <vector>

#include "analysis/evaluation_footer.h"
#include "analysis/kinetics_analysis.h"
#include "analysis/kissinger.h"
#include "analysis/saved_run.h"

class QCheckBox;
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
    // "tmBox" combo box per row), "addButton", "removeButton", "kissingerPlot", "resultLabel",
    // "redheadLabel", "fitOrderBox", "kineticsButton", "kineticsLabel", "residualPlot".

    // Reads a report file and adds it as a run; false (said so) when it cannot be read or has
    // no Tm to choose.
    bool addRunFile(const std::string& path);
    int runCount() const { return static_cast<int>(runs_.size()); }
    const KissingerFit& fit() const { return fit_; }
    QString resultText() const;
    QString redheadText() const;
    // The simultaneous fit over the runs added; its lines in kineticsText().
    void fitKinetics();
    const KineticsAnalysis& kinetics() const { return kinetics_; }
    QString kineticsText() const;
    // Who is told of each simultaneous fit made (the archive keeps it as an evaluation).
    void setEvaluationExport(EvaluationExport hook) { export_ = std::move(hook); }

private:
    void addRuns();
    void removeSelected();
    void recompute();

    Prompts& prompts_;
    std::string dataFolder_;
    std::vector<SavedRun> runs_;
    KissingerFit fit_{};
    KineticsAnalysis kinetics_;
    EvaluationExport export_;
    bool filling_ = false;

    QTableWidget* table_;
    EvaluationPlotView* plot_;
    QLabel* result_;
    QLabel* redhead_;
    QCheckBox* fitOrder_;
    QLabel* kineticsResult_;
    EvaluationPlotView* residualPlot_;
};

}  // namespace vespian
