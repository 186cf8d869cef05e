#include "analysis/desktop/desorption_test_dialog.h"

#include <QLineEdit>
#include <QTextEdit>

#include "analysis/desorption_test.h"
#include "analysis/desorption_test_page.h"
#include "analysis/tp_report.h"
#include "analysis/tp_report_page.h"
#include "files/test_report.h"

namespace vespian {

namespace {

namespace d = desorption_field;

QString qs(const std::string& text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }

struct FieldPlace {
    int id;
    const char* label;
    int column;
    int row;
    bool editable;
};

constexpr FieldPlace kPlaces[] = {
    {d::kSampleName, "样品名称:", 0, 0, true},      {d::kWeight, "样品重量[g]:", 0, 1, true},
    {d::kTester, "检测员:", 0, 2, true},            {d::kDesorptionTemp, "脱附温度[℃]:", 0, 4, true},
    {d::kPulseArea, "脉冲峰面积:", 1, 0, false},    {d::kPulseVolume, "脉冲峰体积[ml]:", 1, 1, false},
    {d::kDesorptionArea, "脱附峰面积:", 1, 2, false}, {d::kTotal, "脱附总量[ml]:", 1, 3, false},
    {d::kPerGram, "脱附量[ml/g]:", 1, 4, false},
};
constexpr int kTop = 500;
constexpr int kRowStep = 32;
constexpr int kColumnX[] = {20, 420};

// The fields whose change is stored: the editable ones and the area, which the opening fills.
bool stored(int id) {
    return id == d::kHeading || id == d::kSampleName || id == d::kWeight || id == d::kTester || id == d::kYear ||
           id == d::kMonth || id == d::kDay || id == d::kDesorptionTemp || id == d::kDesorptionArea;
}

}  // namespace

DesorptionTestDialog::DesorptionTestDialog(QWidget* parent, ReportWindowContext& context)
    : ReportWindow(parent, context, "desorptionTestDialog") {
    setWindowTitle("脱附量测试");
    chart_->setPointerTracking(false);
    heading_ = new QTextEdit(content_);
    heading_->setObjectName("headingEdit");
    heading_->setAcceptRichText(false);
    heading_->setGeometry(kReportChartLeft, 10, kReportChartWidth, 54);
    heading_->document()->setDefaultTextOption(QTextOption(Qt::AlignHCenter));
    heading_->setFont(font());
    for (const FieldPlace& p : kPlaces) {
        const QByteArray name = "field" + QByteArray::number(p.id);
        fields_[p.id] = addField(p.label, kColumnX[p.column], kTop + p.row * kRowStep, 130, 140, name.constData(),
                                 p.editable);
    }
    QLineEdit *year = nullptr, *month = nullptr, *day = nullptr;
    addDateFields(kColumnX[0] + 20, kTop + 3 * kRowStep, &year, &month, &day);
    fields_[d::kYear] = year;
    fields_[d::kMonth] = month;
    fields_[d::kDay] = day;
    for (const auto& [id, edit] : fields_) {
        if (!stored(id)) continue;
        const int fieldId = id;
        connect(edit, &QLineEdit::textChanged, this, [this, fieldId](const QString& text) { changed(fieldId, text); });
    }
    connect(heading_, &QTextEdit::textChanged, this, [this] { changed(d::kHeading, heading_->toPlainText()); });
    fill();
}

QLineEdit* DesorptionTestDialog::field(int id) const {
    const auto it = fields_.find(id);
    return it == fields_.end() ? nullptr : it->second;
}

void DesorptionTestDialog::changed(int id, const QString& text) {
    for (const auto& [resultId, result] : desorptionFieldChanged(context_.report.header(), id, text.toStdString())) {
        if (QLineEdit* edit = field(resultId)) edit->setText(qs(result));
    }
}

void DesorptionTestDialog::fill() {
    for (const auto& [id, text] : desorptionTexts(context_.report.header())) {
        if (id == d::kHeading) {
            heading_->setPlainText(qs(text));
        } else if (QLineEdit* edit = field(id)) {
            edit->setText(qs(text));
        }
    }
    for (const auto& [id, text] : desorptionResultTexts(context_.report.header())) field(id)->setText(qs(text));
    chart_->setDrawing(reportTraceChart(context_.report));
}

void DesorptionTestDialog::readBack() {
    // "确定" stores this window's own fields; the titration's stay as they are.
    TestReportHeader& h = context_.report.header();
    desorptionFieldChanged(h, d::kHeading, heading_->toPlainText().toStdString());
    for (int id : {d::kSampleName, d::kWeight, d::kTester, d::kYear, d::kMonth, d::kDay, d::kDesorptionTemp}) {
        desorptionFieldChanged(h, id, field(id)->text().toStdString());
    }
}

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
