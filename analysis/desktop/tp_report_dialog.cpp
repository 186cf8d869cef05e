#include "analysis/desktop/tp_report_dialog.h"

#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QScreen>
#include <QShortcut>

#include <algorithm>

#include "analysis/desktop/tp_evaluation_panel.h"
#include "analysis/tp_report.h"
#include "analysis/tp_report_page.h"
#include "files/test_report.h"

namespace vespian {

namespace {

QString qs(const std::string& text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }

struct FieldPlace {
    int32_t id;
    const char* label;
    int row;
    int width;
    const char* name;
};
namespace f = tp_field;
constexpr FieldPlace kPlaces[] = {
    {f::kSampleName, "样品名称:", 0, 200, "sampleNameEdit"},   {f::kWeight, "样品重量[g]:", 1, 100, "weightEdit"},
    {f::kTester, "检测员:", 2, 140, "testerEdit"},             {f::kUpperTemp, "上限温度[℃]:", 4, 100, "upperTempEdit"},
    {f::kRampRate, "升温速率[℃/分]:", 5, 100, "rampRateEdit"},
};
constexpr int kLabelWidth = 110;

// The selected line of the list, or −1: a list can hold a current line that is not selected
// (after a click beside the lines, or the focus alone).
int32_t selectedLine(const QListWidget& list) {
    const QList<QListWidgetItem*> selected = list.selectedItems();
    return selected.isEmpty() ? -1 : list.row(selected.front());
}

}  // namespace

TpReportDialog::TpReportDialog(QWidget* parent, ReportWindowContext& context)
    : ReportWindow(parent, context, "tpReportDialog", tpReportForm()) {
    setWindowTitle("程序升温测试");
    const int top = 500;
    const int step = 32;
    for (const FieldPlace& p : kPlaces) addFormField(p.id, p.label, 20, top + p.row * step, kLabelWidth, p.width, p.name);
    addDateFields(20, top + 3 * step, kLabelWidth);
    pointerTemperature_ = new QLabel(content_);
    pointerTemperature_->setObjectName("pointerTemperature");
    pointerTemperature_->setGeometry(134, top + 6 * step + 8, 200, 22);

    auto* listCaption = new QLabel("Tm值列表", content_);
    listCaption->setGeometry(560, top, 200, 22);
    tmList_ = new QListWidget(content_);
    tmList_->setObjectName("tmList");
    tmList_->setGeometry(560, top + 24, 260, 230);
    auto* remove = new QPushButton("删除", content_);
    remove->setObjectName("deleteTmButton");
    remove->setGeometry(560, top + 262, 120, 28);
    remove->setAutoDefault(false);
    auto* clear = new QPushButton("全部清除", content_);
    clear->setObjectName("clearTmButton");
    clear->setGeometry(700, top + 262, 120, 28);
    clear->setAutoDefault(false);
    connect(remove, &QPushButton::clicked, this, [this] { deleteSelected(); });
    connect(clear, &QPushButton::clicked, this, [this] { clearAll(); });
    auto* del = new QShortcut(QKeySequence::Delete, tmList_, [this] { deleteSelected(); });
    del->setContext(Qt::WidgetShortcut);

    // The evaluation beside the written window; an accepted proposal lands in the Tm list here.
    auto* evaluate = new QPushButton("评价...", content_);
    evaluate->setObjectName("evaluateButton");
    evaluate->setGeometry(330, 848, 90, 28);
    evaluate->setAutoDefault(false);
    connect(evaluate, &QPushButton::clicked, this, [this] { openEvaluation(); });

    connect(chart_, &ReportChartView::pointerMoved, this,
            [this](int x) { pointerTemperature_->setText(qs(pointerTemperatureText(context_.report, x))); });
    connect(chart_, &ReportChartView::clicked, this, [this](int x) { pickAt(x); });
    fill();
}

void TpReportDialog::filled() {
    rebuildTmList();
    redrawChart();
    if (evaluation_ != nullptr) evaluation_->reload();  // another report opened
}

std::vector<DrawList> TpReportDialog::pageLayout(int w, int h) const {
    return tpReportPages(context_.report, context_.letterhead, w, h);
}

const char* TpReportDialog::documentName() const { return kTpReportDocumentName; }

void TpReportDialog::printPages() {
    // What the window shows is what goes on paper.
    readBack();
    printDocument();
}

void TpReportDialog::openEvaluation() {
    if (evaluation_ == nullptr) {
        evaluation_ = new TpEvaluationPanel(this, context_.report, context_.prompts, context_.location.dataFolder, [this] {
            rebuildTmList();
            redrawChart();
        });
        evaluation_->setEvaluationExport(context_.evaluationExport);
        // Beside the written window where the screen has room, else over its right part.
        const QSize size = evaluation_->sizeHint();
        const QRect screen = this->screen() != nullptr ? this->screen()->availableGeometry() : QRect();
        int left = x() + width();
        if (left + size.width() > screen.right() + 1) left = std::max(screen.left(), x() - size.width());
        evaluation_->move(left, std::max(screen.top(), y()));
    } else {
        evaluation_->reload();
    }
    evaluation_->show();
    evaluation_->raise();
}

void TpReportDialog::redrawChart() {
    chart_->setDrawing(tpReportChart(context_.report));
    if (evaluation_ != nullptr) evaluation_->refreshTmList();
}

void TpReportDialog::rebuildTmList() {
    tmList_->clear();
    for (const std::string& line : tpReportTexts(context_.report.header()).tmLines) tmList_->addItem(qs(line));
}

void TpReportDialog::pickAt(int x) {
    if (!pickTm(context_.report, x)) return;  // 99 values already: the click is ignored
    const TestReportHeader& h = context_.report.header();
    tmList_->addItem(qs(tmLine(h.tmValues[h.tmCount - 1])));
    redrawChart();
}

void TpReportDialog::deleteSelected() {
    if (!deleteTm(context_.report.header(), selectedLine(*tmList_))) return;
    rebuildTmList();
    redrawChart();
}

void TpReportDialog::clearAll() {
    clearTms(context_.report.header());
    tmList_->clear();
    redrawChart();
}

void showTemperatureProgrammedReport(QWidget* parent, ReportWindowContext& context) {
    TpReportDialog dialog(parent, context);
    dialog.exec();
}

}  // namespace vespian
