#pragma once
// The evaluation panel "峰解析" beside the temperature-programmed report window: the baseline
// (none, two clicked points, automatic), the corrected curve, Tm proposals above a prominence
// that one click accepts into the written Tm list, the deconvolution into Gaussian components
// started from the accepted Tm, and the peaks' and components' amounts against the
// quantitative peak, exported as CSV. The written report's layout, texts and page stay as they
// are; only the Tm list changes, through an accepted proposal.

#include <QDialog>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "analysis/evaluation_footer.h"
#include "analysis/result_lines.h"
#include "analysis/stated_uncertainties.h"
#include "analysis/tp_evaluation.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QSpinBox;
class QTableWidget;

namespace vespian {

class Prompts;
class ReportChartView;
class TestReport;

class TpEvaluationPanel : public QDialog {
    Q_OBJECT

public:
    // `tmListChanged` is called after an accepted proposal (the report window redraws).
    TpEvaluationPanel(QWidget* parent, TestReport& report, Prompts& prompts, std::string dataFolder,
                      std::function<void()> tmListChanged = {});
    ~TpEvaluationPanel() override;

    // Widgets by objectName: "evaluationChart", "baselineBox", "prominenceEdit", "proposeButton",
    // "proposalList", "tmList", "asymmetricBox", "iterationsBox", "fitButton", "residualLabel",
    // "loopVolumeEdit", "loopTempEdit", "loopPressureEdit", "referenceAreaEdit", "resultTable",
    // "exportButton", "statusLabel", "bestShapeButton" (the shape by AIC), "expandedBox",
    // "uncertaintyLabel" (each amount and Tm ± u), "flagLabel" (the checks' reasons).

    const TpEvaluation& evaluation() const { return *evaluation_; }
    // The stretch changed under the panel (a report opened in the written window).
    void reload();
    // The written Tm list changed (picked, deleted, cleared in the report window).
    void refreshTmList();
    // Fits each candidate shape from the accepted Tm and keeps the one AIC prefers.
    void fitBestShape();
    QString uncertaintyText() const;
    QString flagText() const;
    QString residualText() const;
    // The trace's hash for the export's footer, and who is told of each export.
    void setEvaluationExport(EvaluationExport hook) { export_ = std::move(hook); }

private:
    void baselineChosen(int which);
    void chartClicked(int x);
    void propose();
    void acceptProposal(int row);
    void runFit();
    void refreshResults();
    void showUncertainties();
    void exportCsv();
    void redraw();
    void rebuildTmList();
    std::vector<int32_t> acceptedTmIndices() const;
    bool readReference(UptakeReference& reference, bool complain);
    // Every setting the results depend on, as the panel shows it, for the export.
    std::vector<EvaluationParameter> parameters() const;

    TestReport& report_;
    Prompts& prompts_;
    std::string dataFolder_;
    std::function<void()> tmListChanged_;
    std::unique_ptr<TpEvaluation> evaluation_;
    std::vector<int32_t> baselineClicks_;
    std::vector<EvaluationRow> rows_;
    bool fieldProblemShown_ = false;
    StatedUncertainties stated_;
    PanelResults results_;
    EvaluationExport export_;

    ReportChartView* chart_;
    QComboBox* baseline_;
    QLineEdit* prominence_;
    QListWidget* proposals_;
    QListWidget* tmList_;
    QCheckBox* asymmetric_;
    QSpinBox* iterations_;
    QLabel* residual_;
    QLineEdit* loopVolume_;
    QLineEdit* loopTemp_;
    QLineEdit* loopPressure_;
    QLineEdit* referenceArea_;
    QTableWidget* table_;
    QLabel* status_;
    QCheckBox* expanded_;
    QLabel* uncertainty_;
    QLabel* flags_;
};

}  // namespace vespian
