#include "analysis/desktop/calibration_dialog.h"

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "platform/desktop/program_font.h"
#include "platform/desktop/screen.h"
#include "trace/peak_detector.h"
#include "trace/peak_table.h"

namespace vespian {

namespace {

constexpr const char* kLabels[8] = {"编  号：", "峰面积:", "体积[ml]：", "N2流量[ml/min]:", "He流量[ml/min]:",
                                    "N2饱和蒸气压[KPa]:", "N2温度[C]:", "吸附压力[KPa]:"};
constexpr const char* kNames[8] = {"numberEdit", "peakAreaEdit", "volumeEdit", "n2FlowEdit",
                                   "heFlowEdit", "p0Edit", "n2TemperatureEdit", "adsorptionPressureEdit"};

QString qs(const std::string& text) { return QString::fromStdString(text); }

}  // namespace

CalibrationDialog::CalibrationDialog(QWidget* parent, ReportTable& reports, PeakTable& peaks,
                                     const CalibrationTexts& texts, Prompts& prompts, const QImage& peakPicture)
    : QDialog(parent), reports_(reports), peaks_(peaks), prompts_(prompts) {
    setObjectName("calibrationDialog");
    setWindowTitle("标定吸附量");
    setFont(programFont(13));
    setFixedSize(kWidth, kHeight);
    centreOnScreen(this, QSize(kWidth, kHeight));
    peakArea_ = peaks.count > 0 ? peaks.records[0].area : 0;

    const std::string values[8] = {texts.number, texts.peakArea, texts.volume, texts.n2Flow, texts.heFlow,
                                   texts.p0,     texts.n2Temperature, texts.adsorptionPressure};
    for (int i = 0; i < 8; ++i) {
        const int x = (i % 2 == 0) ? 20 : 240;
        const int y = 18 + (i / 2) * 28;
        auto* label = new QLabel(kLabels[i], this);
        label->setGeometry(x, y, 130, 22);
        edits_[i] = new QLineEdit(qs(values[i]), this);
        edits_[i]->setObjectName(kNames[i]);
        edits_[i]->setGeometry(x + 132, y, 78, 22);
        edits_[i]->setMaxLength(199);
    }
    edits_[0]->setReadOnly(true);
    edits_[1]->setReadOnly(true);

    // The area is the recogniser's, in its unit, as every window shows a recognised peak; the
    // unit sits between the label and the field.
    auto* unit = new QLabel(QString::fromUtf8(kPeakAreaUnit), this);
    unit->setObjectName("areaUnit");
    unit->setGeometry(240 + 56, 18, 72, 22);
    unit->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    auto* group = new QGroupBox("谱图", this);
    group->setGeometry(25, 133, 420, 290);
    auto* picture = new QLabel(this);
    picture->setObjectName("peakPicture");
    picture->setGeometry(35, 151, 384, 259);
    picture->setFrameShape(QFrame::Box);
    if (!peakPicture.isNull()) picture->setPixmap(QPixmap::fromImage(peakPicture).scaled(384, 259));

    auto* ok = new QPushButton("确定", this);
    ok->setObjectName("okButton");
    ok->setGeometry(250, 440, 90, 28);
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &CalibrationDialog::accept);
    auto* cancel = new QPushButton("取消", this);
    cancel->setObjectName("cancelButton");
    cancel->setGeometry(355, 440, 90, 28);
    connect(cancel, &QPushButton::clicked, this, &CalibrationDialog::reject);
    edits_[2]->setFocus();
}

void CalibrationDialog::accept() {
    const CalibrationEntries entries{edits_[2]->text().toStdString(), edits_[3]->text().toStdString(),
                                     edits_[4]->text().toStdString(), edits_[5]->text().toStdString(),
                                     edits_[6]->text().toStdString(), edits_[7]->text().toStdString()};
    const CalibrationAccept result = acceptCalibration(reports_, peaks_, peakArea_, entries);
    if (!result.message.text.empty()) prompts_.message(result.message.caption, result.message.text, result.message.icon);
    if (result.close) QDialog::accept();
}

void CalibrationDialog::reject() {
    cancelCalibration(peaks_);
    QDialog::reject();
}

bool CalibrationDialog::run(QWidget* parent, ReportTable& reports, PeakTable& peaks,
                            const BetCalibrationDefaults& defaults, Prompts& prompts, const QImage& peakPicture) {
    if (peaks.count < 1) return false;
    const CalibrationOpening opening = openCalibration(reports, peaks.records[0].area, defaults);
    if (!opening.open) {
        prompts.message(opening.message.caption, opening.message.text, opening.message.icon);
        peaks.clear();
        return false;
    }
    CalibrationDialog dialog(parent, reports, peaks, opening.texts, prompts, peakPicture);
    return dialog.exec() == QDialog::Accepted;
}

}  // namespace vespian
