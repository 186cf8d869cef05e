#pragma once
// The panel "脉冲吸附量" beside the pulse titration report: the pulses of the report's stretch
// found and measured one by one, each pulse's uptake against a full pulse, the cumulative
// uptake, and the chosen metal's dispersion and mean particle size by the hemisphere model
// ("半球模型"); the pulses exported as CSV. The written report stays as it is.

#include <QDialog>

#include <string>
#include <vector>

#include "analysis/evaluation_footer.h"
#include "analysis/result_lines.h"
#include "analysis/stated_uncertainties.h"
#include "analysis/titration_uptake.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QTableWidget;

namespace vespian {

class EvaluationPlotView;
class Prompts;
class TestReport;

class TitrationUptakePanel : public QDialog {
    Q_OBJECT

public:
    TitrationUptakePanel(QWidget* parent, const TestReport& report, Prompts& prompts, std::string dataFolder);

    // Widgets by objectName: "prominenceEdit", "fullPulseAreaEdit", "loopVolumeEdit",
    // "loopTempEdit", "loopPressureEdit", "metalBox", "massFractionEdit" (the report's unit, with
    // "massFractionPercent" beside it), "atomsPerMoleculeEdit",
    // "calculateButton", "pulsePlot", "pulseTable", "resultLabel", "expandedBox",
    // "uncertaintyLabel" (each result ± u), "flagLabel" (the checks' reasons), "exportButton".

    void calculate();
    QString resultText() const;
    QString uncertaintyText() const;
    QString flagText() const;
    // The trace's hash for the export's footer, and who is told of each export.
    void setEvaluationExport(EvaluationExport hook) { export_ = std::move(hook); }

private:
    void exportCsv();
    // Every setting the results depend on, as the panel shows it, for the export.
    std::vector<EvaluationParameter> parameters() const;
    void showUncertainties();

    const TestReport& report_;
    Prompts& prompts_;
    std::string dataFolder_;
    std::vector<double> areas_;
    TitrationPulses pulses_{};
    TitrationUptake uptake_{};
    StatedUncertainties stated_;
    PanelResults results_;
    EvaluationExport export_;

    QLineEdit* prominence_;
    QLineEdit* fullArea_;
    QLineEdit* loopVolume_;
    QLineEdit* loopTemp_;
    QLineEdit* loopPressure_;
    QComboBox* metal_;
    QLineEdit* massFraction_;
    QLabel* massPercent_;
    QLineEdit* atoms_;
    EvaluationPlotView* plot_;
    QTableWidget* table_;
    QLabel* result_;
    QCheckBox* expanded_;
    QLabel* uncertainty_;
    QLabel* flags_;
};

}  // namespace vespian
