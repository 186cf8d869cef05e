#include "app/desktop/reevaluation_dialog.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include "platform/desktop/program_font.h"
#include "trace/peak_detector.h"

namespace vespian {

namespace {

constexpr double kPointsPerSecond = 5.0;

QString seconds(int32_t point) { return QString::number(point / kPointsPerSecond, 'f', 1); }

}  // namespace

ReevaluationDialog::ReevaluationDialog(QWidget* parent, std::vector<FoundPeak> peaks,
                                       std::function<void(int32_t, int32_t)> apply)
    : QDialog(parent), peaks_(std::move(peaks)), apply_(std::move(apply)) {
    setWindowTitle("全谱重新识峰");
    setObjectName("reevaluationDialog");
    setFont(programFont(13));
    table_ = new QTableWidget(static_cast<int>(peaks_.size()), 4, this);
    table_->setHorizontalHeaderLabels({"峰", "起点 [s]", "终点 [s]", QString("面积 [%1]").arg(QString::fromUtf8(kPeakAreaUnit))});
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->setSelectionMode(QAbstractItemView::SingleSelection);
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->verticalHeader()->hide();
    table_->horizontalHeader()->setStretchLastSection(true);
    for (size_t i = 0; i < peaks_.size(); ++i) {
        const FoundPeak& p = peaks_[i];
        const QString cells[] = {QString::number(i + 1), seconds(p.start), seconds(p.end), QString::number(p.area)};
        for (int c = 0; c < 4; ++c) table_->setItem(static_cast<int>(i), c, new QTableWidgetItem(cells[c]));
    }
    if (!peaks_.empty()) table_->selectRow(0);
    auto* applyButton = new QPushButton("应用于...", this);
    applyButton->setEnabled(!peaks_.empty());
    auto* closeButton = new QPushButton("关闭", this);
    connect(applyButton, &QPushButton::clicked, this, [this] { applyChosen(); });
    connect(closeButton, &QPushButton::clicked, this, &QDialog::accept);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(new QLabel(peaks_.empty() ? "按现在的识峰参数没有找到峰" : QString("找到 %1 个峰").arg(peaks_.size()), this), 1);
    buttons->addWidget(applyButton);
    buttons->addWidget(closeButton);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(table_, 1);
    layout->addLayout(buttons);
    resize(560, 420);
}

bool ReevaluationDialog::applyChosen() {
    const int row = table_->currentRow();
    if (row < 0 || row >= static_cast<int>(peaks_.size()) || !apply_) return false;
    const FoundPeak& p = peaks_[static_cast<size_t>(row)];
    apply_(p.start, p.end);
    return true;
}

}  // namespace vespian
