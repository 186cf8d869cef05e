#include "analysis/desktop/comparison_store_dialog.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include "platform/desktop/program_font.h"
#include "platform/desktop/screen.h"
#include "platform/gbk_text.h"
#include "platform/printf_text.h"
#include "trace/peak_detector.h"
#include "trace/peak_table.h"

namespace vespian {

ComparisonStoreDialog::ComparisonStoreDialog(QWidget* parent, RecordDatabase& database, const PeakRecord& peak,
                                             const SampleIdentity& sample, Prompts& prompts, const CalendarDate& today)
    : QDialog(parent), database_(database), peak_(peak), sample_(sample), prompts_(prompts), today_(today) {
    setObjectName("comparisonStoreDialog");
    setWindowTitle("保存为标样/样品");
    setFont(programFont(13));
    setFixedSize(kWidth, kHeight);
    centreOnScreen(this, QSize(kWidth, kHeight));
    choices_ = standardChoices(database.standards());

    auto* kinds = new QButtonGroup(this);
    sampleKind_ = new QRadioButton("样品(与标样比较)", this);
    sampleKind_->setObjectName("sampleRadio");
    sampleKind_->setGeometry(20, 15, 170, 22);
    standard_ = new QRadioButton("标样(已知表面积)", this);
    standard_->setObjectName("standardRadio");
    standard_->setGeometry(200, 15, 170, 22);
    kinds->addButton(sampleKind_);
    kinds->addButton(standard_);
    // Without a usable standard only a standard can be stored.
    (choices_.empty() ? standard_ : sampleKind_)->setChecked(true);

    auto row = [this](int y, const char* label, const char* name) {
        auto* caption = new QLabel(label, this);
        caption->setGeometry(20, y, 130, 22);
        auto* edit = new QLineEdit(this);
        edit->setObjectName(name);
        edit->setGeometry(155, y, 225, 22);
        return edit;
    };
    auto* peakLabel = new QLabel(QString("峰面积：%1 %2").arg(peak.area).arg(QString::fromUtf8(kPeakAreaUnit)), this);
    peakLabel->setObjectName("peakAreaLabel");
    peakLabel->setGeometry(20, 45, 360, 22);
    number_ = row(75, "编号：", "numberEdit");
    name_ = row(103, "名称：", "nameEdit");
    weight_ = row(131, "重量[mg]：", "weightEdit");
    area_ = row(159, "标样表面积[m2/g]：", "areaEdit");
    auto* standardLabel = new QLabel("比较标样：", this);
    standardLabel->setGeometry(20, 187, 130, 22);
    standards_ = new QComboBox(this);
    standards_->setObjectName("standardBox");
    standards_->setGeometry(155, 187, 225, 22);
    for (const StandardChoice& c : choices_) standards_->addItem(QString::fromStdString(c.label));
    auto* previewLabel = new QLabel("比表面积[m2/g]：", this);
    previewLabel->setGeometry(20, 215, 130, 22);
    preview_ = new QLabel(this);
    preview_->setObjectName("areaPreview");
    preview_->setGeometry(155, 215, 225, 22);

    number_->setText(QString::number(sample.number));
    name_->setText(QString::fromStdString(utf8FromGbk(sample.name)));
    weight_->setText(QString::fromStdString(printfText("%.3f", double(sample.weightMg))));

    auto* store = new QPushButton("保存", this);
    store->setObjectName("storeButton");
    store->setGeometry(190, 255, 90, 28);
    store->setDefault(true);
    auto* cancel = new QPushButton("取消", this);
    cancel->setObjectName("cancelButton");
    cancel->setGeometry(290, 255, 90, 28);
    connect(store, &QPushButton::clicked, this, &ComparisonStoreDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &ComparisonStoreDialog::reject);
    for (QLineEdit* edit : {weight_, area_}) connect(edit, &QLineEdit::textChanged, this, &ComparisonStoreDialog::refresh);
    connect(standards_, &QComboBox::currentIndexChanged, this, &ComparisonStoreDialog::refresh);
    connect(standard_, &QRadioButton::toggled, this, &ComparisonStoreDialog::refresh);
    refresh();
}

StoreEntries ComparisonStoreDialog::entries() const {
    StoreEntries e;
    e.kind = standard_->isChecked() ? StoreKind::Standard : StoreKind::Sample;
    e.number = number_->text().toStdString();
    e.name = name_->text().toStdString();
    e.weight = weight_->text().toStdString();
    e.surfaceArea = area_->text().toStdString();
    const int chosen = standards_->currentIndex();
    e.standardIndex = chosen >= 0 && chosen < static_cast<int>(choices_.size()) ? choices_[chosen].index : -1;
    return e;
}

void ComparisonStoreDialog::refresh() {
    const bool standard = standard_->isChecked();
    area_->setEnabled(standard);
    standards_->setEnabled(!standard);
    preview_->setText(QString::fromStdString(previewSurfaceArea(database_, entries(), peak_.area)));
}

void ComparisonStoreDialog::accept() {
    result_ = storeRecognisedPeak(database_, peak_, entries(), sample_, today_);
    prompts_.message(result_.message.caption, result_.message.text, result_.message.icon);
    if (result_.stored) QDialog::accept();
}

StoreResult ComparisonStoreDialog::run(QWidget* parent, RecordDatabase& database, const PeakRecord& peak,
                                       const SampleIdentity& sample, Prompts& prompts, const CalendarDate& today) {
    ComparisonStoreDialog dialog(parent, database, peak, sample, prompts, today);
    dialog.exec();
    return dialog.result();
}

}  // namespace vespian
