#include "analysis/desktop/bet_point_dialog.h"

#include <QLineEdit>
#include <QPushButton>

#include "analysis/desktop/bet_point_fields.h"
#include "platform/desktop/program_font.h"
#include "platform/desktop/export_actions.h"
#include "platform/desktop/screen.h"
#include "trace/peak_table.h"

namespace vespian {

BetPointDialog::BetPointDialog(QWidget* parent, ReportTable& reports, PeakTable& peaks, const BetPointTexts& texts,
                               const QImage& peakPicture, Prompts* prompts)
    : QDialog(parent), reports_(reports), peaks_(peaks) {
    setObjectName("betPointDialog");
    setWindowTitle("多点BET取点设定");
    setFont(programFont(13));
    setFixedSize(kWidth, kHeight);
    centreOnScreen(this, QSize(kWidth, kHeight));

    const std::array<QLineEdit*, 8> edits =
        addBetPointFields(this, {texts.number, texts.peakArea, texts.volume, texts.n2Flow, texts.heFlow, texts.p0,
                                 texts.n2Temperature, texts.adsorptionPressure},
                          peakPicture);
    for (QLineEdit* edit : edits) edit->setReadOnly(true);

    auto* next = new QPushButton("继续>>", this);
    next->setObjectName("continueButton");
    next->setGeometry(250, 440, 90, 28);
    // The tenth point is the last the record holds: it can only finish the report.
    next->setEnabled(texts.canContinue);
    connect(next, &QPushButton::clicked, this, [this] { close(BetPointClose::Continue); });
    auto* finish = new QPushButton("完成", this);
    finish->setObjectName("finishButton");
    finish->setGeometry(355, 440, 90, 28);
    finish->setDefault(true);
    connect(finish, &QPushButton::clicked, this, [this] { close(BetPointClose::Finish); });
    if (prompts != nullptr && !peakPicture.isNull()) {
        addExportButton(this, ExportKind::Picture, QRect(25, 440, 90, 28), [prompts, peakPicture] {
            savePicture(*prompts, {{}, "BET取点谱图"}, peakPicture);
        });
    }
}

void BetPointDialog::close(BetPointClose how) {
    finished_ = closeBetPoint(reports_, peaks_, how);
    done(how == BetPointClose::Finish ? QDialog::Accepted : kContinue);
}

void BetPointDialog::reject() {
    closeBetPoint(reports_, peaks_, BetPointClose::Cancel);
    QDialog::reject();
}

bool BetPointDialog::run(QWidget* parent, ReportTable& reports, PeakTable& peaks, Prompts& prompts,
                         const QImage& peakPicture) {
    if (peaks.count < 1) return false;
    const BetPointTexts texts = beginBetPoint(reports, peaks.records[0].area);
    if (!texts.opened) {
        prompts.message(texts.refusal.caption, texts.refusal.text, texts.refusal.icon);
        peaks.clear();
        return false;
    }
    BetPointDialog dialog(parent, reports, peaks, texts, peakPicture, &prompts);
    return dialog.exec() == QDialog::Accepted;
}

}  // namespace vespian
