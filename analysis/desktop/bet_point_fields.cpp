#include "analysis/desktop/bet_point_fields.h"

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>

#include "trace/peak_detector.h"

namespace vespian {

namespace {

constexpr const char* kLabels[8] = {"编  号：", "峰面积:", "体积[ml]：", "N2流量[ml/min]:", "He流量[ml/min]:",
                                    "N2饱和蒸气压[KPa]:", "N2温度[C]:", "吸附压力[KPa]:"};
constexpr const char* kNames[8] = {"numberEdit", "peakAreaEdit", "volumeEdit", "n2FlowEdit",
                                   "heFlowEdit", "p0Edit", "n2TemperatureEdit", "adsorptionPressureEdit"};

}  // namespace

std::array<QLineEdit*, 8> addBetPointFields(QWidget* dialog, const BetPointFieldTexts& texts,
                                            const QImage& peakPicture) {
    std::array<QLineEdit*, 8> edits{};
    for (int i = 0; i < 8; ++i) {
        const int x = (i % 2 == 0) ? 20 : 240;
        const int y = 18 + (i / 2) * 28;
        auto* label = new QLabel(kLabels[i], dialog);
        label->setGeometry(x, y, 130, 22);
        edits[i] = new QLineEdit(QString::fromStdString(texts[i]), dialog);
        edits[i]->setObjectName(kNames[i]);
        edits[i]->setGeometry(x + 132, y, 78, 22);
    }
    // The area is the recogniser's, in its unit, as every window shows a recognised peak; the
    // unit sits between the label and the field.
    auto* unit = new QLabel(QString::fromUtf8(kPeakAreaUnit), dialog);
    unit->setObjectName("areaUnit");
    unit->setGeometry(240 + 56, 18, 72, 22);
    unit->setAlignment(Qt::AlignRight | Qt::AlignVCenter);

    auto* group = new QGroupBox("谱图", dialog);
    group->setGeometry(25, 133, 420, 290);
    auto* picture = new QLabel(dialog);
    picture->setObjectName("peakPicture");
    picture->setGeometry(35, 151, 384, 259);
    picture->setFrameShape(QFrame::Box);
    if (!peakPicture.isNull()) picture->setPixmap(QPixmap::fromImage(peakPicture).scaled(384, 259));
    return edits;
}

}  // namespace vespian
