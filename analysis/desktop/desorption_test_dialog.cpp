#include "analysis/desktop/desorption_test_dialog.h"

#include "analysis/desorption_test.h"
#include "analysis/desorption_test_page.h"
#include "analysis/tp_report.h"
#include "analysis/tp_report_page.h"
#include "files/test_report.h"

namespace vespian {

namespace {

namespace d = desorption_field;

struct FieldPlace {
    int id;
    const char* label;
    int column;
    int row;
};

constexpr FieldPlace kPlaces[] = {
    {d::kSampleName, "样品名称:", 0, 0},      {d::kWeight, "样品重量[g]:", 0, 1},
    {d::kTester, "检测员:", 0, 2},            {d::kDesorptionTemp, "脱附温度[℃]:", 0, 4},
    {d::kPulseArea, "脉冲峰面积:", 1, 0},    {d::kPulseVolume, "脉冲峰体积[ml]:", 1, 1},
    {d::kDesorptionArea, "脱附峰面积:", 1, 2}, {d::kTotal, "脱附总量[ml]:", 1, 3},
    {d::kPerGram, "脱附量[ml/g]:", 1, 4},
};
constexpr int kTop = 500;
constexpr int kRowStep = 32;
constexpr int kLabelWidth = 130;
constexpr int kColumnX[] = {20, 420};

}  // namespace

DesorptionTestDialog::DesorptionTestDialog(QWidget* parent, ReportWindowContext& context)
    : ReportWindow(parent, context, "desorptionTestDialog", desorptionForm()) {
    setWindowTitle("脱附量测试");
    chart_->setPointerTracking(false);
    for (const FieldPlace& p : kPlaces) {
        addFormField(p.id, p.label, kColumnX[p.column], kTop + p.row * kRowStep, kLabelWidth, 140);
    }
    addDateFields(kColumnX[0], kTop + 3 * kRowStep, kLabelWidth);
    fill();
}

void DesorptionTestDialog::filled() { chart_->setDrawing(reportTraceChart(context_.report)); }

std::vector<DrawList> DesorptionTestDialog::pageLayout(int w, int h) const {
    return {desorptionReportPage(context_.report, context_.letterhead, w, h)};
}

const char* DesorptionTestDialog::documentName() const { return kDesorptionDocumentName; }

void DesorptionTestDialog::printPages() { printDocument(); }

void showDesorptionTest(QWidget* parent, ReportWindowContext& context) {
    DesorptionTestDialog dialog(parent, context);
    dialog.exec();
}

}  // namespace vespian
