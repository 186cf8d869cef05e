#include "analysis/desktop/kissinger_window.h"

#include <QCheckBox>
#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeySequence>
#include <QLabel>
#include <QPushButton>
#include <QShortcut>
#include <QTableWidget>
#include <QVBoxLayout>

#include <algorithm>

#include "analysis/desktop/evaluation_plot_view.h"
#include "analysis/evaluation_number.h"
#include "analysis/evaluation_plots.h"
#include "analysis/tp_report.h"
#include "platform/desktop/program_font.h"
#include "files/test_report_file.h"
#include "platform/printf_text.h"
#include "platform/prompts.h"

namespace vespian {

namespace {

constexpr char kCaption[] = "Kissinger 活化能";
enum Column { kFileColumn, kSampleColumn, kRateColumn, kTmColumn };

QString qs(const std::string& text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }

}  // namespace

KissingerWindow::KissingerWindow(QWidget* parent, Prompts& prompts, std::string dataFolder)
    : QDialog(parent), prompts_(prompts), dataFolder_(std::move(dataFolder)) {
    setObjectName("kissingerWindow");
    setWindowTitle(kCaption);
    setFont(programFont(13));
    resize(1100, 720);

    auto* outer = new QVBoxLayout(this);
    auto* hint = new QLabel("添加同一样品在不同升温速率下的报告文件，并在每个报告中选择同一个峰的Tm。"
                            "报告中未存升温速率时，请在表中输入。");
    hint->setWordWrap(true);
    outer->addWidget(hint);
    table_ = new QTableWidget(0, 4, this);
    table_->setObjectName("runTable");
    table_->setHorizontalHeaderLabels({"报告文件", "样品名称", "升温速率[℃/分]", "Tm[℃]"});
    table_->verticalHeader()->setVisible(false);
    table_->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->setMinimumHeight(160);
    outer->addWidget(table_);

    auto* buttons = new QHBoxLayout;
    auto* add = new QPushButton("添加报告(&A)...");
    add->setObjectName("addButton");
    auto* remove = new QPushButton("移除(&R)");
    remove->setObjectName("removeButton");
    buttons->addWidget(add);
    buttons->addWidget(remove);
    buttons->addStretch();
    outer->addLayout(buttons);

    // Kissinger on the left, the whole-peak fit on the right.
    auto* methods = new QHBoxLayout;
    outer->addLayout(methods, 1);
    auto* kissinger = new QVBoxLayout;
    methods->addLayout(kissinger, 1);
    plot_ = new EvaluationPlotView(this, "kissingerPlot");
    kissinger->addWidget(plot_, 1);
    result_ = new QLabel(this);
    result_->setObjectName("resultLabel");
    result_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    result_->setFont(programFont(15));
    kissinger->addWidget(result_);
    redhead_ = new QLabel(this);
    redhead_->setObjectName("redheadLabel");
    redhead_->setWordWrap(true);
    redhead_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    kissinger->addWidget(redhead_);
    auto* wholePeak = new QVBoxLayout;
    methods->addLayout(wholePeak, 1);
    auto* fitRow = new QHBoxLayout;
    auto* fitButton = new QPushButton("Polanyi–Wigner联合拟合(&K)");
    fitButton->setObjectName("kineticsButton");
    fitButton->setToolTip("以各报告扣除两端基线后的整个脱附峰，同时拟合Ea、ν（及反应级数n）");
    fitOrder_ = new QCheckBox("拟合反应级数n(&N)");
    fitOrder_->setObjectName("fitOrderBox");
    fitRow->addWidget(fitButton);
    fitRow->addWidget(fitOrder_);
    fitRow->addStretch();
    wholePeak->addLayout(fitRow);
    residualPlot_ = new EvaluationPlotView(this, "residualPlot");
    wholePeak->addWidget(residualPlot_, 1);
    kineticsResult_ = new QLabel(this);
    kineticsResult_->setObjectName("kineticsLabel");
    kineticsResult_->setWordWrap(true);
    kineticsResult_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    wholePeak->addWidget(kineticsResult_);
    auto* close = new QPushButton("关闭(&C)");
    close->setObjectName("closeButton");
    outer->addWidget(close, 0, Qt::AlignRight);

    for (QPushButton* b : findChildren<QPushButton*>()) b->setAutoDefault(false);
    connect(add, &QPushButton::clicked, this, &KissingerWindow::addRuns);
    connect(remove, &QPushButton::clicked, this, &KissingerWindow::removeSelected);
    connect(close, &QPushButton::clicked, this, &QDialog::close);
    connect(fitButton, &QPushButton::clicked, this, &KissingerWindow::fitKinetics);
    connect(table_, &QTableWidget::itemChanged, this, [this] {
        if (!filling_) recompute();
    });
    new QShortcut(QKeySequence::Open, this, [this] { addRuns(); });
    auto* del = new QShortcut(QKeySequence::Delete, table_, [this] { removeSelected(); });
    del->setContext(Qt::WidgetShortcut);
    plot_->setPlot([this](int w, int h) { return kissingerChart(fit_, w, h); });
    residualPlot_->setPlot([this](int w, int h) { return kineticsResidualChart(kinetics_, w, h); });
    recompute();
}

bool KissingerWindow::addRunFile(const std::string& path) {
    SavedRun run;
    const SavedRunResult read = readSavedRun(path, run);
    if (!read.ok) {
        prompts_.message(kCaption, read.message, PromptIcon::Error);
        return false;
    }
    if (run.header.tmCount <= 0) {
        prompts_.message(kCaption, "‘" + run.fileName() + "’中没有Tm值，请先在报告中选定Tm。", PromptIcon::Warning);
        return false;
    }
    if (runCount() >= kMaxKissingerRuns) {
        prompts_.message(kCaption, printfText("最多%d个报告。", kMaxKissingerRuns), PromptIcon::Warning);
        return false;
    }
    filling_ = true;
    const int row = table_->rowCount();
    table_->insertRow(row);
    auto fixed = [](const std::string& text) {
        auto* item = new QTableWidgetItem(qs(text));
        item->setFlags(item->flags() & ~Qt::ItemIsEditable);
        return item;
    };
    table_->setItem(row, kFileColumn, fixed(run.fileName()));
    table_->setItem(row, kSampleColumn, fixed(run.sampleName()));
    const double rate = run.storedRampRate();
    auto* rateItem = new QTableWidgetItem(rate > 0.0 ? qs(numberText("%g", rate)) : QString());
    if (rate <= 0.0) rateItem->setBackground(QColor(255, 245, 190));  // waiting for the operator
    table_->setItem(row, kRateColumn, rateItem);
    auto* tm = new QComboBox;
    tm->setObjectName("tmBox");
    for (int32_t k = 0; k < std::min(run.header.tmCount, kMaxTmPicks); ++k) tm->addItem(qs(tmLine(run.header.tmValues[k])));
    table_->setCellWidget(row, kTmColumn, tm);
    connect(tm, &QComboBox::currentIndexChanged, this, [this] { recompute(); });
    runs_.push_back(std::move(run));
    filling_ = false;
    recompute();
    return true;
}

void KissingerWindow::addRuns() {
    // One file per dialog; the operator adds as many as there are heating rates.
    const std::optional<std::string> path =
        prompts_.openFileName({"打开报告文件", kReportFileFilter, kReportFilePattern, dataFolder_});
    if (path) addRunFile(*path);
}

void KissingerWindow::removeSelected() {
    const int row = table_->currentRow();
    if (row < 0 || row >= runCount()) return;
    table_->removeRow(row);
    runs_.erase(runs_.begin() + row);
    recompute();
}

void KissingerWindow::recompute() {
    std::vector<double> rates, tms;
    std::string problem;
    for (int row = 0; row < runCount(); ++row) {
        const SavedRun& run = runs_[static_cast<size_t>(row)];
        const QTableWidgetItem* rateItem = table_->item(row, kRateColumn);
        const std::optional<double> rate =
            evaluationNumber(rateItem != nullptr ? rateItem->text().toStdString() : std::string());
        if ((!rate || *rate <= 0.0) && problem.empty()) {
            problem = printfText("请输入第%d个报告（", row + 1) + run.fileName() + "）的升温速率[℃/分]。";
        }
        const auto* box = qobject_cast<QComboBox*>(table_->cellWidget(row, kTmColumn));
        const int k = box != nullptr ? std::max(0, box->currentIndex()) : 0;
        rates.push_back(rate.value_or(0.0));
        tms.push_back(run.header.tmValues[k]);
    }
    std::vector<std::string> names;
    std::vector<RedheadEstimate> estimates;
    for (size_t k = 0; k < rates.size(); ++k) {
        names.push_back(runs_[k].fileName());
        estimates.push_back(redheadEstimate(tms[k], rates[k]));
    }
    std::string redhead;
    for (const std::string& line : redheadLines(names, estimates)) redhead += (redhead.empty() ? "" : "\n") + line;
    redhead_->setText(qs(redhead));
    if (!problem.empty()) {
        fit_ = {};
        result_->setText(qs(problem));
    } else {
        fit_ = kissingerFit(rates, tms);
        std::string text;
        for (const std::string& line : kissingerResultLines(fit_)) text += (text.empty() ? "" : "\n") + line;
        result_->setText(qs(text));
    }
    plot_->redraw();
}

QString KissingerWindow::resultText() const { return result_->text(); }
QString KissingerWindow::redheadText() const { return redhead_->text(); }
QString KissingerWindow::kineticsText() const { return kineticsResult_->text(); }

void KissingerWindow::fitKinetics() {
    std::vector<KineticsInputRun> inputs;
    for (const SavedRun& run : runs_) inputs.push_back({run.signalMv, run.temperatureC});
    KineticsOptions options;
    options.fitOrder = fitOrder_->isChecked();
    kinetics_ = analyseKinetics(inputs, options);
    std::string text;
    for (const std::string& line : kineticsResultLines(kinetics_.fit)) text += (text.empty() ? "" : "\n") + line;
    kineticsResult_->setText(qs(text));
    residualPlot_->redraw();
    if (!kinetics_.fit.ok() || !export_.written) return;
    // The fit is kept with the runs and choices it came from.
    std::vector<EvaluationParameter> settings = {{"evaluation", "Polanyi–Wigner"},
                                                 {"order", options.fitOrder ? "fitted" : "1"}};
    for (size_t i = 0; i < runs_.size() && i < kinetics_.runs.size(); ++i) {
        settings.push_back({printfText("run %zu", i + 1),
                            runs_[i].path + printfText(" (%.3f ℃/min)", kinetics_.runs[i].rate.rateCPerMin)});
    }
    export_.written({}, kineticsResults(kinetics_.fit), {}, settings);
}

}  // namespace vespian
