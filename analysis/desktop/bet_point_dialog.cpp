#include "analysis/desktop/bet_point_dialog.h"

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "platform/desktop/program_font.h"
#include "platform/desktop/export_actions.h"
#include "platform/desktop/screen.h"
#include "trace/peak_detector.h"
#include "trace/peak_table.h"

namespace vespian {

namespace {

constexpr const char* kLabels[8] = {"编  号：", "峰面积:", "体积[ml]：", "N2流量[ml/min]:", "He流量[ml/min]:",
                                    "N2饱和蒸气压[KPa]:", "N2温度[C]:", "吸附压力[KPa]:"};
constexpr const char* kNames[8] = {"numberEdit", "peakAreaEdit", "volumeEdit", "n2FlowEdit",
                                   "heFlowEdit", "p0Edit", "n2TemperatureEdit", "adsorptionPressureEdit"};

}  // namespace

BetPointDialog::BetPointDialog(QWidget* parent, ReportTable& reports, PeakTable& peaks, const BetPointTexts& texts,
                               const QImage& peakPicture, Prompts* prompts)
    : QDialog(parent), reports_(reports), peaks_(peaks) {
    setObjectName("betPointDialog");
    setWindowTitle("多点BET取点设定");
    setFont(programFont(13));
    setFixedSize(kWidth, kHeight);
    centreOnScreen(this, QSize(kWidth, kHeight));

    const std::string values[8] = {texts.number, texts.peakArea, texts.volume, texts.n2Flow, texts.heFlow,
                                   texts.p0,     texts.n2Temperature, texts.adsorptionPressure};
    for (int i = 0; i < 8; ++i) {
        const int x = (i % 2 == 0) ? 20 : 240;
        const int y = 18 + (i / 2) * 28;
        auto* label = new QLabel(kLabels[i], this);
        label->setGeometry(x, y, 130, 22);
        auto* edit = new QLineEdit(QString::fromStdString(values[i]), this);
        edit->setObjectName(kNames[i]);
        edit->setGeometry(x + 132, y, 78, 22);
        edit->setReadOnly(true);
    }
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
