#include "analysis/desktop/bet_lsq_panel.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "analysis/bet.h"
#include "analysis/desktop/evaluation_plot_view.h"
#include "analysis/evaluation_plots.h"
#include "platform/desktop/program_font.h"
#include "platform/gbk_text.h"
#include "platform/printf_text.h"

namespace vespian {

namespace {

QString qs(const std::string& text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }

}  // namespace

BetLsqPanel::BetLsqPanel(QWidget* parent, const SurfaceReportRecord& record, const std::string& dataFolder)
    : QDialog(parent),
      record_(record),
      stated_(dataFolder.empty() ? StatedUncertainties{} : readStatedUncertainties(dataFolder)),
      points_(betPoints(record)) {
    setObjectName("betLsqPanel");
    setWindowTitle("BET 最小二乘");
    setFont(programFont(13));
    resize(1100, 700);
    selection_ = selectBetRange(points_.pressures(), points_.volumes());

    auto* outer = new QHBoxLayout(this);
    auto* left = new QVBoxLayout;
    const std::string name = readGbkField(record.name);
    auto* written = new QLabel(qs("样品：" + name + "\n书面报告（两点法）：比表面积 = " + betAreaText(record) + " m²/g"));
    written->setObjectName("writtenLabel");
    left->addWidget(written);
    left->addWidget(new QLabel("用于拟合的测量点（勾选）："));
    list_ = new QListWidget;
    list_->setObjectName("pointList");
    left->addWidget(list_, 1);
    result_ = new QLabel;
    result_->setObjectName("resultLabel");
    result_->setWordWrap(true);
    result_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    left->addWidget(result_);
    expanded_ = new QCheckBox(kExpandedUncertaintyLabel);
    expanded_->setObjectName("expandedBox");
    left->addWidget(expanded_);
    uncertainty_ = new QLabel;
    uncertainty_->setObjectName("uncertaintyLabel");
    uncertainty_->setWordWrap(true);
    uncertainty_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    left->addWidget(uncertainty_);
    flags_ = new QLabel;
    flags_->setObjectName("flagLabel");
    flags_->setWordWrap(true);
    flags_->setStyleSheet("color: rgb(210, 0, 0);");
    left->addWidget(flags_);
    auto* close = new QPushButton("关闭(&C)");
    close->setObjectName("closeButton");
    close->setAutoDefault(false);
    left->addWidget(close, 0, Qt::AlignRight);
    outer->addLayout(left, 2);
    auto* right = new QVBoxLayout;
    plot_ = new EvaluationPlotView(this, "betPlot");
    right->addWidget(plot_, 3);
    // The automatic range: the widest run of neighbouring points (by P/Po) passing every
    // consistency criterion, with the table of every run beside it.
    std::string proposal = "自动范围：没有满足全部判据的连续测量点范围。";
    if (const BetRange* p = selection_.proposal()) {
        proposal = printfText("自动范围：P/Po %.3f–%.3f，%d个点，C = %.1f，比表面积 = %.3f m²/g", p->lowPressure,
                              p->highPressure, p->pointCount, p->cConstant, p->areaM2PerG);
    }
    auto* autoRow = new QHBoxLayout;
    auto* autoLabel = new QLabel(qs(proposal));
    autoLabel->setObjectName("autoRangeLabel");
    autoLabel->setWordWrap(true);
    autoRow->addWidget(autoLabel, 1);
    auto* useAuto = new QPushButton("采用自动范围(&A)");
    useAuto->setObjectName("useAutoRangeButton");
    useAuto->setAutoDefault(false);
    useAuto->setEnabled(selection_.ok());
    autoRow->addWidget(useAuto);
    right->addLayout(autoRow);
    right->addWidget(new QLabel("各连续范围（按P/Po排序的测量点）及判据："));
    auto* ranges = new QListWidget;
    ranges->setObjectName("rangeList");
    const std::vector<std::string> rangeLines = betRangeTableLines(selection_);
    for (size_t k = 0; k < rangeLines.size(); ++k) {
        auto* item = new QListWidgetItem(qs(rangeLines[k]));
        if (!selection_.ranges[k].passes()) item->setForeground(QColor(210, 0, 0));
        ranges->addItem(item);
    }
    right->addWidget(ranges, 2);
    outer->addLayout(right, 3);
    connect(useAuto, &QPushButton::clicked, this, &BetLsqPanel::useAutomaticRange);
    connect(expanded_, &QCheckBox::toggled, this, &BetLsqPanel::showUncertainties);

    bool chosen[kBetMaxPoints];
    defaultBetChoice(points_, chosen);
    filling_ = true;
    for (int32_t k = 0; k < points_.count; ++k) {
        const double x = points_.relativePressure[k];
        const bool outside = !(x >= kBetRangeLow && x <= kBetRangeHigh);
        auto* item = new QListWidgetItem(qs(printfText("第%d点  P/Po = %.4f  V = %.4f ml/g", k + 1, x,
                                                       points_.volumeMlPerG[k]) +
                                            (outside ? "  （范围外）" : "")));
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(chosen[k] ? Qt::Checked : Qt::Unchecked);
        if (outside) item->setForeground(QColor(210, 0, 0));
        list_->addItem(item);
    }
    filling_ = false;
    connect(list_, &QListWidget::itemChanged, this, [this] {
        if (!filling_) recompute();
    });
    connect(close, &QPushButton::clicked, this, &QDialog::close);
    plot_->setPlot([this](int w, int h) { return betLeastSquaresChart(points_.pressures(), fit_, w, h); });
    recompute();
}

void BetLsqPanel::recompute() {
    bool chosen[kBetMaxPoints] = {};
    for (int32_t k = 0; k < points_.count && k < list_->count(); ++k) {
        chosen[k] = list_->item(k)->checkState() == Qt::Checked;
    }
    fit_ = fitBetLeastSquares(points_.pressures(), points_.volumes(),
                              std::span<const bool>(chosen, static_cast<size_t>(points_.count)));
    std::string text;
    for (const std::string& line : betLeastSquaresLines(fit_)) text += (text.empty() ? "" : "\n") + line;
    result_->setText(qs(text));
    results_ = betResults(record_, fit_, std::span<const bool>(chosen, static_cast<size_t>(points_.count)), stated_);
    showUncertainties();
    plot_->redraw();
}

void BetLsqPanel::showUncertainties() {
    uncertainty_->setText(qs(resultLinesText(results_.lines, expanded_->isChecked())));
    flags_->setText(qs(flagsText(results_.flags)));
}

void BetLsqPanel::useAutomaticRange() {
    if (!selection_.ok()) return;
    const std::vector<bool> chosen = selection_.chosenPoints(static_cast<size_t>(points_.count));
    filling_ = true;
    for (int32_t k = 0; k < points_.count && k < list_->count(); ++k) {
        list_->item(k)->setCheckState(chosen[static_cast<size_t>(k)] ? Qt::Checked : Qt::Unchecked);
    }
    filling_ = false;
    recompute();
}

QString BetLsqPanel::resultText() const { return result_->text(); }
QString BetLsqPanel::uncertaintyText() const { return uncertainty_->text(); }
QString BetLsqPanel::flagText() const { return flags_->text(); }

}  // namespace vespian
