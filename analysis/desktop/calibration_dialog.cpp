#include "analysis/desktop/calibration_dialog.h"

#include <QLineEdit>
#include <QPushButton>

#include "analysis/desktop/bet_point_fields.h"
#include "platform/desktop/program_font.h"
#include "platform/desktop/screen.h"
#include "trace/peak_table.h"

namespace vespian {

CalibrationDialog::CalibrationDialog(QWidget* parent, ReportTable& reports, PeakTable& peaks,
                                     const CalibrationTexts& texts, Prompts& prompts, const QImage& peakPicture)
    : QDialog(parent), reports_(reports), peaks_(peaks), prompts_(prompts) {
    setObjectName("calibrationDialog");
    setWindowTitle("标定吸附量");
    setFont(programFont(13));
    setFixedSize(kWidth, kHeight);
    centreOnScreen(this, QSize(kWidth, kHeight));
    peakArea_ = peaks.count > 0 ? peaks.records[0].area : 0;

    const std::array<QLineEdit*, 8> edits =
        addBetPointFields(this, {texts.number, texts.peakArea, texts.volume, texts.n2Flow, texts.heFlow, texts.p0,
                                 texts.n2Temperature, texts.adsorptionPressure},
                          peakPicture);
    for (int i = 0; i < 8; ++i) {
        edits_[i] = edits[i];
        edits_[i]->setMaxLength(199);
    }
    edits_[0]->setReadOnly(true);
    edits_[1]->setReadOnly(true);

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
