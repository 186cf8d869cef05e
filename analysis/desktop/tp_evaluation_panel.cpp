#include "analysis/desktop/tp_evaluation_panel.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QScrollArea>
#include <QShortcut>
#include <QSpinBox>
#include <QTableWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <cstdio>

#include "analysis/desktop/tp_report_frame.h"
#include "analysis/evaluation_number.h"
#include "analysis/tp_report.h"
#include "platform/desktop/program_font.h"
#include "files/test_report.h"
#include "files/test_report_file.h"
#include "platform/printf_text.h"
#include "platform/prompts.h"
#include "platform/replace_file.h"

namespace vespian {

namespace {

constexpr char kCaption[] = "峰解析";
// The loop stands at room temperature unless the operator says otherwise.
constexpr double kDefaultLoopTemperatureC = 25.0;

QString qs(const std::string& text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }

QLineEdit* addNumberField(QGridLayout* grid, int row, const char* label, const char* name, const QString& text) {
    auto* caption = new QLabel(label);
    auto* edit = new QLineEdit(text);
    edit->setObjectName(name);
    edit->setMinimumWidth(90);
    grid->addWidget(caption, row, 0);
    grid->addWidget(edit, row, 1);
    return edit;
}

}  // namespace

TpEvaluationPanel::TpEvaluationPanel(QWidget* parent, TestReport& report, Prompts& prompts, std::string dataFolder,
                                     std::function<void()> tmListChanged)
    : QDialog(parent),
      report_(report),
      prompts_(prompts),
      dataFolder_(std::move(dataFolder)),
      tmListChanged_(std::move(tmListChanged)),
      stated_(readStatedUncertainties(dataFolder_)) {
    setObjectName("tpEvaluationPanel");
    setWindowTitle("峰解析");
    setFont(programFont(13));
    setAttribute(Qt::WA_DeleteOnClose, false);

    // The chart with the fit beside it; the baseline, the proposals and the quantitative peak
    // beside the results below: the whole panel fits a 1366 × 768 screen.
    auto* outer = new QVBoxLayout(this);
    auto* top = new QHBoxLayout;
    outer->addLayout(top);
    auto* chartColumn = new QVBoxLayout;
    top->addLayout(chartColumn);
    chart_ = new ReportChartView(this);
    chart_->setObjectName("evaluationChart");
    chartColumn->addWidget(chart_);
    status_ = new QLabel(this);
    status_->setObjectName("statusLabel");
    status_->setWordWrap(true);
    chartColumn->addWidget(status_);
    chartColumn->addStretch();
    auto* bottom = new QHBoxLayout;
    outer->addLayout(bottom);

    // Baseline and proposals.
    auto* left = new QGroupBox("基线与Tm建议");
    auto* leftGrid = new QGridLayout(left);
    baseline_ = new QComboBox;
    baseline_->setObjectName("baselineBox");
    baseline_->addItems({"无基线", "两点直线（在谱图上点击两点）", "自动（两端平坦段）"});
    auto* baselineCaption = new QLabel("基线(&B):");
    baselineCaption->setBuddy(baseline_);
    leftGrid->addWidget(baselineCaption, 0, 0);
    leftGrid->addWidget(baseline_, 0, 1);
    prominence_ = addNumberField(leftGrid, 1, "最小突出度[mV]:", "prominenceEdit", {});
    auto* propose = new QPushButton("建议Tm(&P)");
    propose->setObjectName("proposeButton");
    leftGrid->addWidget(propose, 2, 0, 1, 2);
    proposals_ = new QListWidget;
    proposals_->setObjectName("proposalList");
    proposals_->setToolTip("单击一个建议，把它加入Tm值列表");
    proposals_->setMinimumHeight(60);
    proposals_->setMaximumHeight(110);
    leftGrid->addWidget(proposals_, 3, 0, 1, 2);
    bottom->addWidget(left, 3);

    // Accepted Tm and the fit.
    auto* middle = new QGroupBox("峰解析");
    auto* midGrid = new QGridLayout(middle);
    midGrid->addWidget(new QLabel("Tm值列表（拟合起点）"), 0, 0, 1, 2);
    tmList_ = new QListWidget;
    tmList_->setObjectName("tmList");
    tmList_->setFocusPolicy(Qt::NoFocus);
    tmList_->setMinimumHeight(60);
    midGrid->addWidget(tmList_, 1, 0, 1, 2);
    asymmetric_ = new QCheckBox("非对称峰形(&A)");
    asymmetric_->setObjectName("asymmetricBox");
    midGrid->addWidget(asymmetric_, 2, 0, 1, 2);
    midGrid->addWidget(new QLabel("最大迭代次数:"), 3, 0);
    iterations_ = new QSpinBox;
    iterations_->setObjectName("iterationsBox");
    iterations_->setRange(1, 5000);
    iterations_->setValue(FitOptions{}.maxIterations);
    midGrid->addWidget(iterations_, 3, 1);
    auto* fit = new QPushButton("高斯拟合(&F)");
    fit->setObjectName("fitButton");
    midGrid->addWidget(fit, 4, 0);
    auto* bestShape = new QPushButton("按AIC选峰形(&S)");
    bestShape->setObjectName("bestShapeButton");
    bestShape->setToolTip("以高斯峰和一级脱附峰分别拟合，采用AIC较小者");
    midGrid->addWidget(bestShape, 4, 1);
    residual_ = new QLabel;
    residual_->setObjectName("residualLabel");
    residual_->setWordWrap(true);
    midGrid->addWidget(residual_, 5, 0, 1, 2);
    top->addWidget(middle);

    // Each amount and Tm with its uncertainty, and the checks' flags, beside the fit; scrolled
    // within the chart's height however many peaks there are.
    auto* uncertain = new QGroupBox("结果 ± 不确定度");
    auto* uncertainColumn = new QVBoxLayout(uncertain);
    expanded_ = new QCheckBox(kExpandedUncertaintyLabel);
    expanded_->setObjectName("expandedBox");
    uncertainColumn->addWidget(expanded_);
    auto* scroll = new QScrollArea;
    scroll->setWidgetResizable(true);
    scroll->setFrameShape(QFrame::NoFrame);
    auto* texts = new QWidget;
    auto* textColumn = new QVBoxLayout(texts);
    textColumn->setContentsMargins(0, 0, 0, 0);
    uncertainty_ = new QLabel;
    uncertainty_->setObjectName("uncertaintyLabel");
    uncertainty_->setWordWrap(true);
    uncertainty_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    textColumn->addWidget(uncertainty_);
    flags_ = new QLabel;
    flags_->setObjectName("flagLabel");
    flags_->setWordWrap(true);
    flags_->setStyleSheet("color: rgb(210, 0, 0);");
    textColumn->addWidget(flags_);
    textColumn->addStretch();
    scroll->setWidget(texts);
    uncertainColumn->addWidget(scroll, 1);
    uncertain->setMinimumWidth(230);
    top->addWidget(uncertain, 1);

    // The quantitative peak the amounts are measured against.
    auto* right = new QGroupBox("定量峰");
    auto* rightGrid = new QGridLayout(right);
    const TestReportHeader& h = report_.header();
    referenceArea_ = addNumberField(rightGrid, 0, "定量峰面积:", "referenceAreaEdit", qs(numberText("%.3f", h.pulseArea)));
    loopVolume_ = addNumberField(rightGrid, 1, "定量管体积[ml]:", "loopVolumeEdit", qs(numberText("%.3f", h.pulseVolumeMl)));
    loopTemp_ = addNumberField(rightGrid, 2, "定量管温度[℃]:", "loopTempEdit", qs(numberText("%.1f", kDefaultLoopTemperatureC)));
    loopPressure_ =
        addNumberField(rightGrid, 3, "定量管压力[kPa]:", "loopPressureEdit", qs(numberText("%.3f", kStandardPressureKPa)));
    auto* note = new QLabel("按理想气体换算为µmol；样品重量取报告中的值。");
    note->setWordWrap(true);
    rightGrid->addWidget(note, 4, 0, 1, 2);
    bottom->addWidget(right, 2);

    table_ = new QTableWidget(0, 7, this);
    table_->setObjectName("resultTable");
    table_->setHorizontalHeaderLabels({"类别", "序号", "Tm[℃]", "面积[mV×点]", "份额[%]", "吸附量[µmol]", "吸附量[µmol/g]"});
    table_->verticalHeader()->setVisible(false);
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    table_->setMinimumHeight(150);
    table_->setMinimumWidth(600);  // the seven headings whole
    bottom->addWidget(table_, 6);

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
    connect(baseline_, &QComboBox::currentIndexChanged, this, &TpEvaluationPanel::baselineChosen);
    connect(chart_, &ReportChartView::clicked, this, &TpEvaluationPanel::chartClicked);
    connect(propose, &QPushButton::clicked, this, &TpEvaluationPanel::propose);
    connect(prominence_, &QLineEdit::returnPressed, this, &TpEvaluationPanel::propose);
    connect(proposals_, &QListWidget::itemClicked, this, [this](QListWidgetItem* item) { acceptProposal(proposals_->row(item)); });
    connect(proposals_, &QListWidget::itemActivated, this, [this](QListWidgetItem* item) { acceptProposal(proposals_->row(item)); });
    connect(fit, &QPushButton::clicked, this, &TpEvaluationPanel::runFit);
    connect(bestShape, &QPushButton::clicked, this, &TpEvaluationPanel::fitBestShape);
    connect(expanded_, &QCheckBox::toggled, this, &TpEvaluationPanel::showUncertainties);
    connect(exportButton, &QPushButton::clicked, this, &TpEvaluationPanel::exportCsv);
    connect(close, &QPushButton::clicked, this, &QDialog::close);
    for (QLineEdit* edit : {referenceArea_, loopVolume_, loopTemp_, loopPressure_}) {
        connect(edit, &QLineEdit::editingFinished, this, &TpEvaluationPanel::refreshResults);
    }
    new QShortcut(QKeySequence("Ctrl+E"), this, [this] { exportCsv(); });
    reload();
}

TpEvaluationPanel::~TpEvaluationPanel() = default;

void TpEvaluationPanel::reload() {
    const auto used = static_cast<size_t>(reportPointsInUse(report_.header()));
    evaluation_ = std::make_unique<TpEvaluation>(std::span<const float>(report_.signalMv(), used),
                                                 std::span<const float>(report_.temperatureC(), used));
    baselineClicks_.clear();
    const int which = baseline_->currentIndex();
    if (which == 2) evaluation_->useFlatEndsBaseline();
    if (which == 1) status_->setText("请在谱图上点击基线的两个点。");
    prominence_->setText(qs(numberText("%.2f", evaluation_->suggestedProminence())));
    proposals_->clear();
    residual_->clear();
    rebuildTmList();
    refreshResults();
    redraw();
}

void TpEvaluationPanel::baselineChosen(int which) {
    baselineClicks_.clear();
    proposals_->clear();
    residual_->clear();
    status_->clear();
    if (which == 0) evaluation_->useNoBaseline();
    if (which == 1) status_->setText("请在谱图上点击基线的两个点。");
    if (which == 2) {
        const BaselineStatus s = evaluation_->useFlatEndsBaseline();
        if (s != BaselineStatus::Ok) prompts_.message(kCaption, baselineStatusText(s), PromptIcon::Warning);
    }
    prominence_->setText(qs(numberText("%.2f", evaluation_->suggestedProminence())));
    refreshResults();
    redraw();
}

void TpEvaluationPanel::chartClicked(int x) {
    const int32_t n = evaluation_->pointCount();
    const int32_t index = evaluationChartIndex(x, n);
    if (baseline_->currentIndex() == 1) {
        baselineClicks_.push_back(index);
        if (baselineClicks_.size() == 2) {
            const BaselineStatus s = evaluation_->useBaselineThrough(baselineClicks_[0], baselineClicks_[1]);
            baselineClicks_.clear();
            if (s != BaselineStatus::Ok) {
                prompts_.message(kCaption, baselineStatusText(s), PromptIcon::Warning);
            } else {
                status_->setText("基线已取两点直线；再点击两点可重新确定。");
                proposals_->clear();
                residual_->clear();
            }
            refreshResults();
        } else {
            status_->setText("请点击基线的第二个点。");
        }
        redraw();
        return;
    }
    // Outside the baseline clicks a click on a hollow mark accepts that proposal.
    const std::span<const TmProposal> list = evaluation_->proposals().list();
    for (size_t k = 0; k < list.size(); ++k) {
        if (std::abs(evaluationChartX(list[k].index, n) - x) <= 5) {
            acceptProposal(static_cast<int>(k));
            return;
        }
    }
}

void TpEvaluationPanel::propose() {
    const std::optional<double> prominence = evaluationNumber(prominence_->text().toStdString());
    if (!prominence || *prominence <= 0.0) {
        prompts_.message(kCaption, "最小突出度应为大于0的数值(mV)。", PromptIcon::Warning);
        return;
    }
    const TmProposals& found = evaluation_->propose(*prominence);
    proposals_->clear();
    for (const TmProposal& p : found.list()) {
        proposals_->addItem(qs(printfText("Tm = %.0f ℃（突出度 %.2f mV）", p.temperatureC, p.prominenceMv)));
    }
    if (found.count == 0) {
        status_->setText("没有突出度达到该值的峰；可减小最小突出度后重试。");
    } else if (found.status == TmProposalStatus::Truncated) {
        status_->setText(qs(printfText("符合条件的峰过多，只列出最突出的%d个。", kMaxTmProposals)));
    } else {
        status_->setText("单击一个建议（列表中或谱图上的空心方框），把它加入Tm值列表。");
    }
    redraw();
}

void TpEvaluationPanel::acceptProposal(int row) {
    const std::span<const TmProposal> list = evaluation_->proposals().list();
    if (row < 0 || row >= static_cast<int>(list.size())) return;
    const TmProposal& p = list[static_cast<size_t>(row)];
    // The written Tm is the recorded temperature at the point, as a click on the report's chart
    // would give.
    if (!appendTm(report_.header(), p.index, evaluation_->temperature()[static_cast<size_t>(p.index)])) {
        prompts_.message(kCaption, printfText("Tm值列表已有%d个值，不能再添加。", kMaxTmPicks), PromptIcon::Warning);
        return;
    }
    // The report window redraws, and its redraw brings this panel's list up to date.
    if (tmListChanged_) {
        tmListChanged_();
    } else {
        refreshTmList();
    }
}

void TpEvaluationPanel::refreshTmList() {
    rebuildTmList();
    refreshResults();
    redraw();
}

std::vector<int32_t> TpEvaluationPanel::acceptedTmIndices() const {
    const TestReportHeader& h = report_.header();
    const int32_t count = std::clamp(h.tmCount, 0, kMaxTmPicks);
    return {h.tmIndices, h.tmIndices + count};
}

void TpEvaluationPanel::rebuildTmList() {
    tmList_->clear();
    for (const std::string& line : tpReportTexts(report_.header()).tmLines) tmList_->addItem(qs(line));
}

void TpEvaluationPanel::runFit() {
    const std::vector<int32_t> starts = acceptedTmIndices();
    FitOptions options;
    options.shape = asymmetric_->isChecked() ? PeakShape::AsymmetricGaussian : PeakShape::Gaussian;
    options.maxIterations = iterations_->value();
    const DeconvolutionResult result = evaluation_->fit(starts, options);
    if (!result.converged()) {
        // The fit held before (if any) stays, and so does everything drawn from it.
        prompts_.message(kCaption, fitStatusText(result.status), PromptIcon::Warning);
        return;
    }
    residual_->setText(qs(printfText("残差：RMS = %.4f mV，相对 %.2f %%，迭代 %d 次", result.rmsResidualMv,
                                     100.0 * result.relativeResidual, result.iterations)));
    refreshResults();
    redraw();
}

void TpEvaluationPanel::fitBestShape() {
    const ShapeChoice choice = evaluation_->fitBestShape(acceptedTmIndices());
    if (!choice.ok()) {
        prompts_.message(kCaption, fitStatusText(choice.best().status), PromptIcon::Warning);
        return;
    }
    residual_->setText(qs(shapeChoiceText(choice)));
    refreshResults();
    redraw();
}

QString TpEvaluationPanel::residualText() const { return residual_->text(); }
QString TpEvaluationPanel::uncertaintyText() const { return uncertainty_->text(); }
QString TpEvaluationPanel::flagText() const { return flags_->text(); }

void TpEvaluationPanel::showUncertainties() {
    uncertainty_->setText(qs(resultLinesText(results_.lines, expanded_->isChecked())));
    flags_->setText(qs(flagsText(results_.flags)));
}

bool TpEvaluationPanel::readReference(UptakeReference& reference, bool complain) {
    struct Field {
        QLineEdit* edit;
        const char* name;
        double* into;
    };
    const Field fields[] = {{referenceArea_, "定量峰面积", &reference.referenceArea},
                            {loopVolume_, "定量管体积[ml]", &reference.loop.volumeMl},
                            {loopTemp_, "定量管温度[℃]", &reference.loop.temperatureC},
                            {loopPressure_, "定量管压力[kPa]", &reference.loop.pressureKPa}};
    for (const Field& f : fields) {
        const std::optional<double> value = evaluationNumber(f.edit->text().toStdString());
        if (!value) {
            // Said beside the results, without a box: the field keeps its focus and its text.
            if (complain) {
                status_->setText(qs(evaluationNumberMessage(f.name) + "吸附量暂不计算。"));
                fieldProblemShown_ = true;
            }
            return false;
        }
        *f.into = *value;
    }
    if (fieldProblemShown_) {
        status_->clear();  // the field is right again
        fieldProblemShown_ = false;
    }
    reference.sampleWeightG = report_.header().sampleWeightG;
    return true;
}

void TpEvaluationPanel::refreshResults() {
    UptakeReference reference;
    const bool amounts = readReference(reference, true);
    if (!amounts) reference = {};  // no amounts rather than amounts from a mistyped field
    const std::vector<int32_t> tm = acceptedTmIndices();
    const std::vector<PeakSegment> peaks = peakSegments(evaluation_->corrected(), evaluation_->temperature(), tm);
    rows_ = evaluationRows(peaks, evaluation_->hasFit() ? &evaluation_->fitted() : nullptr, reference);
    table_->setRowCount(static_cast<int>(rows_.size()));
    for (int r = 0; r < static_cast<int>(rows_.size()); ++r) {
        const EvaluationRow& row = rows_[static_cast<size_t>(r)];
        const bool amount = row.amount.status == UptakeStatus::Ok || row.amount.status == UptakeStatus::NoSampleWeight;
        const bool perGram = row.amount.status == UptakeStatus::Ok;
        const std::string cells[] = {row.kind,
                                     std::to_string(row.number),
                                     numberText("%.1f", row.tmC),
                                     numberText("%.1f", row.area),
                                     numberText("%.2f", 100.0 * row.share),
                                     amount ? numberText("%.4f", row.amount.micromol) : std::string(kNoValueText),
                                     perGram ? numberText("%.4f", row.amount.micromolPerGram) : std::string(kNoValueText)};
        for (int c = 0; c < 7; ++c) table_->setItem(r, c, new QTableWidgetItem(qs(cells[c])));
    }
    // The programme ran from the stretch's first temperature up to the report's upper limit.
    const TestReportHeader& h = report_.header();
    const std::span<const float> temperature = evaluation_->temperature();
    const double low = temperature.empty() ? 0.0 : *std::min_element(temperature.begin(), temperature.end());
    const double high = h.upperTempC > 0.0f ? h.upperTempC
                        : temperature.empty() ? 0.0
                                              : *std::max_element(temperature.begin(), temperature.end());
    results_ = tpResults(*evaluation_, peaks, evaluation_->hasFit() ? &evaluation_->fitted() : nullptr, reference, low,
                         high, stated_);
    showUncertainties();
}

void TpEvaluationPanel::exportCsv() {
    refreshResults();
    if (rows_.empty()) {
        prompts_.message(kCaption, "没有可导出的结果：请先选定Tm值或进行峰解析。", PromptIcon::Information);
        return;
    }
    const std::optional<std::string> path =
        prompts_.saveFileName({"导出峰解析结果", "CSV文件 (*.csv)", "*.csv", dataFolder_, "峰解析.csv"});
    if (!path) return;
    const std::vector<EvaluationParameter> settings = parameters();
    const std::string csv = evaluationCsv(rows_) + resultsCsvSection(results_.lines, results_.flags) +
                            evaluationFooterCsv(export_.traceSha256, settings);
    const ReplaceFileStatus status =
        replaceFile(*path, [&](std::FILE* file) { return writeBlock(file, csv.data(), csv.size()); });
    if (status != ReplaceFileStatus::Ok) {
        prompts_.message(kCaption, "无法建立‘" + *path + "’文件", PromptIcon::Error);
        return;
    }
    if (export_.written) export_.written(*path, results_.lines, results_.flags, settings);
    status_->setText(qs("结果已导出到 " + *path));
}

std::vector<EvaluationParameter> TpEvaluationPanel::parameters() const {
    std::vector<EvaluationParameter> list = {{"基线", baseline_->currentText().toStdString()},
                                             {"最小突出度[mV]", prominence_->text().toStdString()}};
    std::string tm;
    for (int i = 0; i < tmList_->count(); ++i) tm += (tm.empty() ? "" : "; ") + tmList_->item(i)->text().toStdString();
    list.push_back({"Tm值列表", tm});
    if (evaluation_->hasFit()) {
        const DeconvolutionResult& fit = evaluation_->fitted();
        list.push_back({"峰形", peakShapeName(fit.shape)});
        list.push_back({"最大迭代次数", std::to_string(iterations_->value())});
        list.push_back({"拟合残差RMS[mV]", numberText("%.6g", fit.rmsResidualMv)});
    } else {
        list.push_back({"峰形", "未拟合"});
    }
    list.push_back({"定量峰面积", referenceArea_->text().toStdString()});
    list.push_back({"定量管体积[ml]", loopVolume_->text().toStdString()});
    list.push_back({"定量管温度[℃]", loopTemp_->text().toStdString()});
    list.push_back({"定量管压力[kPa]", loopPressure_->text().toStdString()});
    return list;
}

void TpEvaluationPanel::redraw() {
    const std::vector<int32_t> tm = acceptedTmIndices();
    chart_->setDrawing(tpEvaluationChart(*evaluation_, tm, baselineClicks_));
}

}  // namespace vespian
