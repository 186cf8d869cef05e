#include "analysis/desktop/tp_report_dialog.h"

#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QScreen>
#include <QShortcut>
#include <QTextEdit>

#include <algorithm>

#include "analysis/desktop/tp_evaluation_panel.h"
#include "analysis/tp_report.h"
#include "analysis/tp_report_page.h"
#include "files/test_report.h"

namespace vespian {

namespace {

QString qs(const std::string& text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }
std::string utf8(const QString& text) { return text.toStdString(); }

}  // namespace

TpReportDialog::TpReportDialog(QWidget* parent, ReportWindowContext& context)
    : ReportWindow(parent, context, "tpReportDialog") {
    setWindowTitle("程序升温测试");
    heading_ = new QTextEdit(content_);
    heading_->setObjectName("headingEdit");
    heading_->setAcceptRichText(false);
    heading_->setGeometry(kReportChartLeft, 10, kReportChartWidth, 54);
    heading_->document()->setDefaultTextOption(QTextOption(Qt::AlignHCenter));
    heading_->setFont(font());

    const int top = 500;
    const int step = 32;
    sampleName_ = addField("样品名称:", 20, top, 110, 200, "sampleNameEdit");
    weight_ = addField("样品重量[g]:", 20, top + step, 110, 100, "weightEdit");
    tester_ = addField("检测员:", 20, top + 2 * step, 110, 140, "testerEdit");
    addDateFields(20, top + 3 * step, &year_, &month_, &day_);
    upperTemp_ = addField("上限温度[℃]:", 20, top + 4 * step, 110, 100, "upperTempEdit");
    rampRate_ = addField("升温速率[℃/分]:", 20, top + 5 * step, 110, 100, "rampRateEdit");
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

void TpReportDialog::fill() {
    const TpReportTexts t = tpReportTexts(context_.report.header());
    heading_->setPlainText(qs(t.common.heading));
    sampleName_->setText(qs(t.common.sampleName));
    weight_->setText(qs(t.common.weight));
    tester_->setText(qs(t.common.tester));
    year_->setText(qs(t.common.year));
    month_->setText(qs(t.common.month));
    day_->setText(qs(t.common.day));
    upperTemp_->setText(qs(t.upperTemp));
    rampRate_->setText(qs(t.rampRate));
    rebuildTmList();
    redrawChart();
    if (evaluation_ != nullptr) evaluation_->reload();  // another report opened
}

void TpReportDialog::readBack() {
    TpReportTexts t;
    t.common = {utf8(heading_->toPlainText()), utf8(sampleName_->text()), utf8(weight_->text()),
                utf8(tester_->text()),         utf8(year_->text()),       utf8(month_->text()),
                utf8(day_->text())};
    t.upperTemp = utf8(upperTemp_->text());
    t.rampRate = utf8(rampRate_->text());
    readBackTpReport(t, context_.report.header());
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
    if (!deleteTm(context_.report.header(), tmList_->currentRow())) return;
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
