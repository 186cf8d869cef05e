#include "trace/desktop/peak_settings_page.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "platform/desktop/program_font.h"
#include "platform/prompts.h"

namespace vespian {

namespace {

constexpr const char* kFieldNames[kPeakFieldCount] = {"minWidthEdit",   "maxWidthEdit",   "minHeightEdit",
                                                      "startSlopeEdit", "endSlopeEdit",   "adsorptionEdit",
                                                      "intervalEdit"};

}  // namespace

PeakSettingsPage::PeakSettingsPage(QWidget* parent, const PeakSettings& current) : QWidget(parent) {
    setObjectName("peakSettingsPage");
    setFont(programFont(13));
    setMinimumSize(400, 370);

    // Three groups of thresholds, then the desorption times and options.
    struct Group {
        const char* title;
        PeakField first;
        PeakField second;  // None for a group of one
        int y;
    };
    const Group groups[] = {{"峰宽(秒)", PeakField::MinWidth, PeakField::MaxWidth, 10},
                            {"峰高(uV)", PeakField::MinHeight, PeakField::None, 80},
                            {"斜率(uV/秒)", PeakField::StartSlope, PeakField::EndSlope, 150}};
    for (const Group& g : groups) {
        auto* box = new QGroupBox(QString::fromUtf8(g.title), this);
        box->setGeometry(20, g.y, 360, 60);
        int x = 16;
        for (PeakField f : {g.first, g.second}) {
            if (f == PeakField::None) continue;
            const int i = static_cast<int>(f);
            auto* label = new QLabel(QString::fromUtf8(peakFieldRule(f).label), box);
            label->setGeometry(x, 24, 44, 24);
            fields_[i] = new QLineEdit(box);
            fields_[i]->setObjectName(kFieldNames[i]);
            fields_[i]->setGeometry(x + 46, 24, 100, 24);
            x += 170;
        }
    }
    int y = 225;
    for (PeakField f : {PeakField::AdsorptionMinutes, PeakField::DesorbInterval}) {
        const int i = static_cast<int>(f);
        auto* label = new QLabel(QString::fromUtf8(peakFieldRule(f).label), this);
        label->setGeometry(36, y, 110, 24);
        fields_[i] = new QLineEdit(this);
        fields_[i]->setObjectName(kFieldNames[i]);
        fields_[i]->setGeometry(150, y, 80, 24);
        y += 30;
    }
    autoDesorb_ = new QCheckBox(QString::fromUtf8(kAutoDesorbLabel), this);
    autoDesorb_->setObjectName("autoDesorbCheck");
    autoDesorb_->setGeometry(250, 225, 150, 24);
    autoZero_ = new QCheckBox(QString::fromUtf8(kAutoZeroLabel), this);
    autoZero_->setObjectName("autoZeroCheck");
    autoZero_->setGeometry(250, 255, 150, 24);
    desorbAfterPeak_ = new QCheckBox(QString::fromUtf8(kDesorbAfterPeakLabel), this);
    desorbAfterPeak_->setObjectName("desorbAfterPeakCheck");
    desorbAfterPeak_->setGeometry(36, 290, 250, 24);

    auto* defaults = new QPushButton(QString::fromUtf8(kPeakDefaultsLabel), this);
    defaults->setObjectName("peakDefaultsButton");
    defaults->setGeometry(160, 330, 80, 28);
    connect(defaults, &QPushButton::clicked, this, [this] { showSettings(kPeakSettingsPreset); });
    showSettings(current);
}

void PeakSettingsPage::showSettings(const PeakSettings& settings) {
    const PeakSettingsTexts t = peakSettingsTexts(settings);
    for (int i = 0; i < kPeakFieldCount; ++i) fields_[i]->setText(QString::fromStdString(t.fields[i]));
    autoDesorb_->setChecked(t.autoDesorb);
    autoZero_->setChecked(t.autoZero);
    desorbAfterPeak_->setChecked(t.desorbAfterPeak);
}

PeakSettingsTexts PeakSettingsPage::texts() const {
    PeakSettingsTexts t;
    for (int i = 0; i < kPeakFieldCount; ++i) t.fields[i] = fields_[i]->text().toStdString();
    t.autoDesorb = autoDesorb_->isChecked();
    t.autoZero = autoZero_->isChecked();
    t.desorbAfterPeak = desorbAfterPeak_->isChecked();
    return t;
}

bool PeakSettingsPage::apply(PeakSettings& settings, Prompts& prompts) {
    const PeakSettingsRead read = readPeakSettings(texts(), settings);
    if (!read.ok()) {
        prompts.message("警告", read.message, PromptIcon::Warning);
        QLineEdit* wrong = fields_[static_cast<int>(read.wrong)];
        wrong->setFocus();
        wrong->selectAll();
        return false;
    }
    settings = read.settings;
    return true;
}

}  // namespace vespian
