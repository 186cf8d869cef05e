#include "analysis/desktop/titration_report_dialog.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTextEdit>

#include "analysis/desktop/titration_uptake_panel.h"
#include "analysis/titration.h"
#include "analysis/titration_page.h"
#include "analysis/tp_report.h"
#include "analysis/tp_report_page.h"
#include "files/test_report.h"

namespace vespian {

namespace {

namespace f = titration_field;

QString qs(const std::string& text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }

struct FieldPlace {
    int id;
    const char* label;
    int column;
    int row;
};

// Three columns under the chart.
constexpr FieldPlace kPlaces[] = {
    {f::kSampleName, "样品名称:", 0, 0},        {f::kWeight, "样品重量[g]:", 0, 1},
    {f::kTester, "检测员:", 0, 2},              {f::kTitrationTemp, "滴定温度[℃]:", 0, 4},
    {f::kPulseArea, "脉冲峰面积:", 1, 0},       {f::kPulseVolume, "脉冲峰体积[ml]:", 1, 1},
    {f::kPulseCount, "脉冲峰数量:", 1, 2},      {f::kResidualArea, "剩余峰面积:", 1, 3},
    {f::kResidualVolume, "剩余体积[ml]:", 1, 4}, {f::kAdsorbedVolume, "吸附体积[ml]:", 1, 5},
    {f::kPerGram, "吸附量[ml/g]:", 1, 6},       {f::kStoichiometry, "化学计量系数:", 2, 1},
    {f::kAtomicMass, "原子质量[g/mol]:", 2, 2}, {f::kMassFraction, "质量分数:", 2, 3},
    {f::kCrossSection, "原子截面积[nm2]:", 2, 4}, {f::kDispersion, "金属分散度:", 2, 5},
    {f::kActiveArea, "活性比表面积[m2/g]:", 2, 6},
};
constexpr int kTop = 500;
constexpr int kRowStep = 32;
constexpr int kColumnX[] = {20, 300, 575};

}  // namespace

TitrationReportDialog::TitrationReportDialog(QWidget* parent, ReportWindowContext& context)
    : ReportWindow(parent, context, "titrationReportDialog") {
    setWindowTitle("氢氧滴定报告");
    chart_->setPointerTracking(false);
    heading_ = new QTextEdit(content_);
    heading_->setObjectName("headingEdit");
    heading_->setAcceptRichText(false);
    heading_->setGeometry(kReportChartLeft, 10, kReportChartWidth, 54);
    heading_->document()->setDefaultTextOption(QTextOption(Qt::AlignHCenter));
    heading_->setFont(font());

    for (const FieldPlace& p : kPlaces) {
        const QByteArray name = "field" + QByteArray::number(p.id);
        fields_[p.id] = addField(p.label, kColumnX[p.column], kTop + p.row * kRowStep, 130, 120, name.constData(),
                                 isTitrationEditable(p.id));
    }
    QLineEdit *year = nullptr, *month = nullptr, *day = nullptr;
    addDateFields(kColumnX[0] + 20, kTop + 3 * kRowStep, &year, &month, &day);
    fields_[f::kYear] = year;
    fields_[f::kMonth] = month;
    fields_[f::kDay] = day;

    auto* metalCaption = new QLabel("金属:", content_);
    metalCaption->setGeometry(kColumnX[2], kTop, 130, 22);
    metalCaption->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    metals_ = new QComboBox(content_);
    metals_->setObjectName("metalList");
    metals_->setGeometry(kColumnX[2] + 134, kTop, 120, 22);
    for (const MetalPreset& m : kMetalPresets) metals_->addItem(QString::fromUtf8(m.name));
    // The first metal is shown; its values come in only when the selection changes.
    connect(metals_, &QComboBox::currentIndexChanged, this, [this](int index) {
        for (const auto& [id, text] : metalPresetTexts(index)) fields_.at(id)->setText(qs(text));
    });

    for (const auto& [id, edit] : fields_) {
        if (!isTitrationEditable(id)) continue;
        const int fieldId = id;
        connect(edit, &QLineEdit::textChanged, this, [this, fieldId](const QString& text) { changed(fieldId, text); });
    }
    connect(heading_, &QTextEdit::textChanged, this, [this] { changed(f::kHeading, heading_->toPlainText()); });

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

QLineEdit* TitrationReportDialog::field(int id) const {
    const auto it = fields_.find(id);
    return it == fields_.end() ? nullptr : it->second;
}

void TitrationReportDialog::changed(int id, const QString& text) {
    showResults(titrationFieldChanged(context_.report.header(), id, text.toStdString()));
}

void TitrationReportDialog::showResults(const std::vector<std::pair<int32_t, std::string>>& results) {
    for (const auto& [id, text] : results) {
        if (QLineEdit* edit = field(id)) edit->setText(qs(text));
    }
}

void TitrationReportDialog::fill() {
    // Each filled field is a change: the record takes every value back as its text shows it.
    for (const auto& [id, text] : titrationTexts(context_.report.header())) {
        if (id == f::kHeading) {
            heading_->setPlainText(qs(text));
        } else if (QLineEdit* edit = field(id)) {
            edit->setText(qs(text));
        }
    }
    // The results as the filled fields give them, not as the record held them before.
    showResults(titrationResultTexts(context_.report.header()));
    chart_->setDrawing(reportTraceChart(context_.report));
}

void TitrationReportDialog::readBack() {
    titrationFieldChanged(context_.report.header(), f::kHeading, heading_->toPlainText().toStdString());
    for (const auto& [id, edit] : fields_) {
        if (isTitrationEditable(id)) titrationFieldChanged(context_.report.header(), id, edit->text().toStdString());
    }
}

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
