#include "analysis/desktop/bet_lsq_panel.h"

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

BetLsqPanel::BetLsqPanel(QWidget* parent, const SurfaceReportRecord& record) : QDialog(parent), points_(betPoints(record)) {
    setObjectName("betLsqPanel");
    setWindowTitle("BET 最小二乘");
    setFont(programFont(13));
    resize(880, 560);

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
    auto* close = new QPushButton("关闭(&C)");
    close->setObjectName("closeButton");
    close->setAutoDefault(false);
    left->addWidget(close, 0, Qt::AlignRight);
    outer->addLayout(left, 2);
    plot_ = new EvaluationPlotView(this, "betPlot");
    outer->addWidget(plot_, 3);

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
    plot_->redraw();
}

QString BetLsqPanel::resultText() const { return result_->text(); }

}  // namespace vespian
