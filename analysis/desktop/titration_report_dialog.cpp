#include "analysis/desktop/titration_report_dialog.h"

#include <QComboBox>
#include <QLabel>
#include <QPushButton>

#include "analysis/desktop/titration_uptake_panel.h"
#include "analysis/metal_content.h"
#include "analysis/titration.h"
#include "analysis/titration_page.h"
#include "analysis/tp_report.h"
#include "analysis/tp_report_page.h"
#include "files/test_report.h"

namespace vespian {

namespace {

namespace f = titration_field;

struct FieldPlace {
    int id;
    const char* label;
    int column;
    int row;
};

// Three columns under the chart; the date in the fourth row of the first.
constexpr FieldPlace kPlaces[] = {
    {f::kSampleName, "样品名称:", 0, 0},        {f::kWeight, "样品重量[g]:", 0, 1},
    {f::kTester, "检测员:", 0, 2},              {f::kTitrationTemp, "滴定温度[℃]:", 0, 4},
    {f::kPulseArea, "脉冲峰面积:", 1, 0},       {f::kPulseVolume, "脉冲峰体积[ml]:", 1, 1},
    {f::kPulseCount, "脉冲峰数量:", 1, 2},      {f::kResidualArea, "剩余峰面积:", 1, 3},
    {f::kResidualVolume, "剩余体积[ml]:", 1, 4}, {f::kAdsorbedVolume, "吸附体积[ml]:", 1, 5},
    {f::kPerGram, "吸附量[ml/g]:", 1, 6},       {f::kStoichiometry, "化学计量系数:", 2, 1},
    {f::kAtomicMass, "原子质量[g/mol]:", 2, 2}, {f::kMassFraction, kMetalContentLabel, 2, 3},
    {f::kCrossSection, "原子截面积[nm2]:", 2, 4}, {f::kDispersion, "金属分散度:", 2, 5},
    {f::kActiveArea, "活性比表面积[m2/g]:", 2, 6},
};
constexpr int kTop = 500;
constexpr int kRowStep = 32;
constexpr int kLabelWidth = 130;
constexpr int kColumnX[] = {20, 300, 575};

}  // namespace

TitrationReportDialog::TitrationReportDialog(QWidget* parent, ReportWindowContext& context)
    : ReportWindow(parent, context, "titrationReportDialog", titrationForm()) {
    setWindowTitle("氢氧滴定报告");
    chart_->setPointerTracking(false);
    for (const FieldPlace& p : kPlaces) {
        addFormField(p.id, p.label, kColumnX[p.column], kTop + p.row * kRowStep, kLabelWidth, 120);
    }
    addDateFields(kColumnX[0], kTop + 3 * kRowStep, kLabelWidth);

    auto* metalCaption = new QLabel("金属:", content_);
    metalCaption->setGeometry(kColumnX[2], kTop, kLabelWidth, 22);
    metalCaption->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    metals_ = new QComboBox(content_);
    metals_->setObjectName("metalList");
    metals_->setGeometry(kColumnX[2] + kLabelWidth + 4, kTop, 120, 22);
    for (int32_t k = 0; k < static_cast<int32_t>(kMetalPresets.size()); ++k) {
        metals_->addItem(QString::fromUtf8(metalPresetName(k).data(), static_cast<qsizetype>(metalPresetName(k).size())));
    }
    // The first metal is shown; its values come in only when the selection changes, as if typed.
    connect(metals_, &QComboBox::currentIndexChanged, this, [this](int index) { typeTexts(metalPresetTexts(index)); });

    // Pulse by pulse, beside the written result: cumulative uptake and particle size.
    auto* evaluate = new QPushButton("评价...", content_);
    evaluate->setObjectName("evaluateButton");
    evaluate->setGeometry(330, 848, 90, 28);
    evaluate->setAutoDefault(false);
    connect(evaluate, &QPushButton::clicked, this, [this] {
        readBack();
        TitrationUptakePanel panel(this, context_.report, context_.prompts, context_.location.dataFolder);
        panel.exec();
    });
    fill();
}

void TitrationReportDialog::filled() { chart_->setDrawing(reportTraceChart(context_.report)); }

std::vector<DrawList> TitrationReportDialog::pageLayout(int w, int h) const {
    return {titrationReportPage(context_.report, context_.letterhead, w, h)};
}

const char* TitrationReportDialog::documentName() const { return kTitrationDocumentName; }

void TitrationReportDialog::printPages() { printDocument(); }

void showTitrationReport(QWidget* parent, ReportWindowContext& context) {
    TitrationReportDialog dialog(parent, context);
    dialog.exec();
}

}  // namespace vespian
