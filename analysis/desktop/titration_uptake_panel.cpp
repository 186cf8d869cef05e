#include "analysis/desktop/titration_uptake_panel.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include <cstdio>

#include "analysis/desktop/evaluation_plot_view.h"
#include "analysis/evaluation_number.h"
#include "analysis/stretch_evaluation.h"
#include "platform/desktop/program_font.h"
#include "files/test_report.h"
#include "files/test_report_file.h"
#include "platform/printf_text.h"
#include "platform/prompts.h"
#include "platform/replace_file.h"

namespace vespian {

namespace {

constexpr char kCaption[] = "脉冲吸附量";
constexpr double kDefaultLoopTemperatureC = 25.0;

QString qs(const std::string& text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }

}  // namespace

TitrationUptakePanel::TitrationUptakePanel(QWidget* parent, const TestReport& report, Prompts& prompts,
                                           std::string dataFolder)
    : QDialog(parent), report_(report), prompts_(prompts), dataFolder_(std::move(dataFolder)),
      stated_(readStatedUncertainties(dataFolder_)) {
    setObjectName("titrationUptakePanel");
    setWindowTitle(kCaption);
    setFont(programFont(13));
    resize(760, 820);

    const TestReportHeader& h = report_.header();
    auto* outer = new QVBoxLayout(this);
    auto* grid = new QGridLayout;
    outer->addLayout(grid);
    int row = 0;
    auto field = [&](const char* label, const char* name, const std::string& text, int column) {
        auto* edit = new QLineEdit(qs(text));
        edit->setObjectName(name);
        grid->addWidget(new QLabel(label), row, column);
        grid->addWidget(edit, row, column + 1);
        return edit;
    };
    prominence_ = field("最小突出度[mV]:", "prominenceEdit", "0", 0);
    fullArea_ = field("满脉冲面积:", "fullPulseAreaEdit", numberText("%.3f", h.pulseArea), 2);
    ++row;
    loopVolume_ = field("定量管体积[ml]:", "loopVolumeEdit", numberText("%.3f", h.pulseVolumeMl), 0);
    loopTemp_ = field("定量管温度[℃]:", "loopTempEdit", numberText("%.1f", kDefaultLoopTemperatureC), 2);
    ++row;
    loopPressure_ = field("定量管压力[kPa]:", "loopPressureEdit", numberText("%.3f", kStandardPressureKPa), 0);
    atoms_ = field("化学计量系数:", "atomsPerMoleculeEdit", numberText("%g", h.stoichiometry), 2);
    ++row;
    grid->addWidget(new QLabel("金属:"), row, 0);
    metal_ = new QComboBox;
    metal_->setObjectName("metalBox");
    for (const MetalConstants& m : supportedMetals()) metal_->addItem(qs(std::string(m.name)));
    const Metal recorded = metalByAtomicMass(h.atomicMass);
    for (int k = 0; k < metal_->count(); ++k) {
        if (supportedMetals()[static_cast<size_t>(k)].metal == recorded) metal_->setCurrentIndex(k);
    }
    grid->addWidget(metal_, row, 1);
    // The report's own unit and text: the mass fraction, 0.0100 for 1 % metal.
    massFraction_ = field(kMetalContentLabel, "massFractionEdit", metalContentText(MetalContent::fromFraction(h.massFraction)), 2);
    ++row;
    massPercent_ = new QLabel;
    massPercent_->setObjectName("massFractionPercent");
    grid->addWidget(massPercent_, row, 3);
    ++row;
    auto* model = new QLabel("平均粒径按半球模型计算：d = 6·v_m / (a_m·D)，v_m为体相中一个金属原子的体积，"
                             "a_m为一个表面原子所占面积，D为分散度。最小突出度为0时自动选取。");
    model->setWordWrap(true);
    grid->addWidget(model, row, 0, 1, 4);

    auto* calculate = new QPushButton("计算(&R)");
    calculate->setObjectName("calculateButton");
    outer->addWidget(calculate, 0, Qt::AlignLeft);
    plot_ = new EvaluationPlotView(this, "pulsePlot");
    plot_->setMinimumHeight(200);
    plot_->setPlot([this](int w, int h) {
        const auto used = static_cast<size_t>(reportPointsInUse(report_.header()));
        return titrationPulseChart(std::span<const float>(report_.signalMv(), used), pulses_, w, h);
    });
    outer->addWidget(plot_, 1);
    table_ = new QTableWidget(0, 4, this);
    table_->setObjectName("pulseTable");
    table_->setHorizontalHeaderLabels({"脉冲", "面积[mV×点]", "吸附量[µmol]", "累计吸附量[µmol]"});
    table_->verticalHeader()->setVisible(false);
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    outer->addWidget(table_, 1);
    result_ = new QLabel;
    result_->setObjectName("resultLabel");
    result_->setWordWrap(true);
    result_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    outer->addWidget(result_);
    expanded_ = new QCheckBox(kExpandedUncertaintyLabel);
    expanded_->setObjectName("expandedBox");
    outer->addWidget(expanded_);
    uncertainty_ = new QLabel;
    uncertainty_->setObjectName("uncertaintyLabel");
    uncertainty_->setWordWrap(true);
    uncertainty_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    outer->addWidget(uncertainty_);
    flags_ = new QLabel;
    flags_->setObjectName("flagLabel");
    flags_->setWordWrap(true);
    flags_->setStyleSheet("color: rgb(210, 0, 0);");
    outer->addWidget(flags_);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    auto* exportButton = new QPushButton("导出CSV(&E)...");
    exportButton->setObjectName("exportButton");
    auto* close = new QPushButton("关闭(&C)");
    close->setObjectName("closeButton");
    buttons->addWidget(exportButton);
    buttons->addWidget(close);
    outer->addLayout(buttons);
    for (QPushButton* b : findChildren<QPushButton*>()) b->setAutoDefault(false);
    connect(calculate, &QPushButton::clicked, this, &TitrationUptakePanel::calculate);
    connect(exportButton, &QPushButton::clicked, this, &TitrationUptakePanel::exportCsv);
    connect(expanded_, &QCheckBox::toggled, this, &TitrationUptakePanel::showUncertainties);
    connect(close, &QPushButton::clicked, this, &QDialog::close);
    this->calculate();
}

void TitrationUptakePanel::calculate() {
    TitrationInput in;
    double prominence = 0.0;
    struct Field {
        QLineEdit* edit;
        const char* name;
        double* into;
    };
    double massFraction = 0.0;
    const Field fields[] = {{prominence_, "最小突出度[mV]", &prominence},
                            {fullArea_, "满脉冲面积", &in.fullPulseArea},
                            {loopVolume_, "定量管体积[ml]", &in.loop.volumeMl},
                            {loopTemp_, "定量管温度[℃]", &in.loop.temperatureC},
                            {loopPressure_, "定量管压力[kPa]", &in.loop.pressureKPa},
                            {atoms_, "化学计量系数", &in.atomsPerGasMolecule},
                            {massFraction_, kMetalContentName, &massFraction}};
    for (const Field& f : fields) {
        const std::optional<double> value = evaluationNumber(f.edit->text().toStdString());
        if (!value) {
            massPercent_->clear();
            result_->setText(qs(evaluationNumberMessage(f.name)));
            table_->setRowCount(0);
            areas_.clear();
            pulses_ = {};
            results_ = {};
            showUncertainties();
            plot_->redraw();
            return;
        }
        *f.into = *value;
    }
    in.metalContent = MetalContent::fromFraction(massFraction);
    massPercent_->setText(qs("= " + metalContentPercentText(in.metalContent)));
    in.sampleWeightG = report_.header().sampleWeightG;
    in.metal = supportedMetals()[static_cast<size_t>(std::max(0, metal_->currentIndex()))].metal;

    const auto used = static_cast<size_t>(reportPointsInUse(report_.header()));
    const TitrationPulses pulses = findTitrationPulses(std::span<const float>(report_.signalMv(), used), prominence);
    areas_ = pulses.areas;
    pulses_ = pulses;
    plot_->redraw();
    uptake_ = titrationUptake(areas_, in);
    table_->setRowCount(uptake_.uptake.count);
    for (int k = 0; k < uptake_.uptake.count; ++k) {
        const std::string cells[] = {std::to_string(k + 1), numberText("%.1f", areas_[static_cast<size_t>(k)]),
                                     numberText("%.4f", uptake_.uptake.pulseMicromol[static_cast<size_t>(k)]),
                                     numberText("%.4f", uptake_.uptake.cumulativeMicromol[static_cast<size_t>(k)])};
        for (int c = 0; c < 4; ++c) table_->setItem(k, c, new QTableWidgetItem(qs(cells[c])));
    }
    std::vector<std::string> lines = titrationUptakeLines(uptake_, in);
    if (areas_.empty()) lines.insert(lines.begin(), "谱图中没有找到脉冲峰；可调整最小突出度后重试。");
    std::string text;
    for (const std::string& line : lines) text += (text.empty() ? "" : "\n") + line;
    result_->setText(qs(text));

    // Each pulse's area carries the detector's noise over a pulse's width and the flat ends the
    // pulses are measured above; the full pulse is one of them.
    const std::span<const float> signal(report_.signalMv(), used);
    const auto pulsePoints = static_cast<int32_t>(areas_.empty() ? 0 : used / areas_.size());
    const double areaU = segmentAreaUncertainty(pointNoiseMv(signal), pulsePoints, static_cast<int32_t>(used), true);
    results_ = areas_.empty() ? PanelResults{} : titrationResults(areas_, areaU, in, areaU, stated_);
    showUncertainties();
}

void TitrationUptakePanel::showUncertainties() {
    uncertainty_->setText(qs(resultLinesText(results_.lines, expanded_->isChecked())));
    flags_->setText(qs(flagsText(results_.flags)));
}

QString TitrationUptakePanel::resultText() const { return result_->text(); }
QString TitrationUptakePanel::uncertaintyText() const { return uncertainty_->text(); }
QString TitrationUptakePanel::flagText() const { return flags_->text(); }

void TitrationUptakePanel::exportCsv() {
    if (areas_.empty() || uptake_.uptake.count == 0) {
        prompts_.message(kCaption, "没有可导出的结果。", PromptIcon::Information);
        return;
    }
    const std::optional<std::string> path =
        prompts_.saveFileName({"导出脉冲吸附量", "CSV文件 (*.csv)", "*.csv", dataFolder_, "脉冲吸附量.csv"});
    if (!path) return;
    const std::vector<EvaluationParameter> settings = parameters();
    const std::string csv = titrationUptakeCsv(areas_, uptake_) + resultsCsvSection(results_.lines, results_.flags) +
                            evaluationFooterCsv(export_.traceSha256, settings);
    if (replaceFile(*path, [&](std::FILE* file) { return writeBlock(file, csv.data(), csv.size()); }) !=
        ReplaceFileStatus::Ok) {
        prompts_.message(kCaption, "无法建立‘" + *path + "’文件", PromptIcon::Error);
        return;
    }
    if (export_.written) export_.written(*path, results_.lines, results_.flags, settings);
}

std::vector<EvaluationParameter> TitrationUptakePanel::parameters() const {
    auto text = [](const QLineEdit* edit) { return edit->text().toStdString(); };
    return {{"最小突出度[mV]", text(prominence_)},  {"满脉冲面积", text(fullArea_)},
            {"定量管体积[ml]", text(loopVolume_)}, {"定量管温度[℃]", text(loopTemp_)},
            {"定量管压力[kPa]", text(loopPressure_)}, {"金属", metal_->currentText().toStdString()},
            {"质量分数", text(massFraction_)}, {"化学计量系数", text(atoms_)}};
}

}  // namespace vespian
