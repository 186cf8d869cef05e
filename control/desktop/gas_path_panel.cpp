#include "control/desktop/gas_path_panel.h"

#include <QPainter>
#include <QPushButton>
#include <QTimer>

#include "platform/desktop/program_font.h"
#include "control/desktop/control_context.h"
#include "control/desktop/digit_images.h"
#include "control/desktop/gas_path_picture.h"
#include "control/desktop/instrument_control.h"
#include "control/guide_pages.h"
#include "control/valve_panel.h"
#include "platform/desktop/screen.h"

namespace vespian {

namespace {

QString qs(std::string_view text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }

}  // namespace

GasPathPanel::GasPathPanel(ControlContext& context, InstrumentControl& windows, QWidget* parent)
    : QDialog(parent), context_(context), windows_(windows) {
    setObjectName("gasPathPanel");
    setWindowTitle(qs(kGasPathTitle));
    setFixedSize(kGasPathWidth, kGasPathHeight);
    centreOnScreen(this, size());
    setFont(programFont(13));
    background_ = gasPathPicture(valveBits());

    const ValveStates& states = context_.control.valves;
    for (int k = 0; k < kValveCount; ++k) {
        // A valve left on shows its on caption; the others keep the template's.
        auto* b = new QPushButton(qs(valveCaption(k, states.state[static_cast<size_t>(k)] != 0, false)), this);
        b->setObjectName(QString("ctl%1").arg(kFirstValveButtonId + k));
        b->setGeometry(valveButtonRect(k));
        b->setFont(programFont(14, true));
        b->setAutoDefault(false);
        b->setToolTip(qs(kValveNames[static_cast<size_t>(k)]));
        connect(b, &QPushButton::clicked, this, [this, k] { toggle(k); });
        valves_[k] = b;
    }

    auto add = [this](int id, const QString& caption, const QRect& where) {
        auto* b = new QPushButton(caption, this);
        b->setObjectName(QString("ctl%1").arg(id));
        b->setGeometry(where);
        b->setAutoDefault(false);
        others_[id - kPanelFlow1Id] = b;
        return b;
    };
    connect(add(kPanelFlow1Id, qs(kPanelSetCaption), flowSetButtonRect(1)), &QPushButton::clicked, this,
            [this] { windows_.openFlows(this); });
    connect(add(kPanelFlow2Id, qs(kPanelSetCaption), flowSetButtonRect(2)), &QPushButton::clicked, this,
            [this] { windows_.openFlows(this); });
    // The windows it opens are the panel's: an ownerless one would open behind the modal panel.
    connect(add(kPanelProgrammeId, qs(kPanelSetCaption), programmeSetButtonRect()), &QPushButton::clicked, this,
            [this] { windows_.openProgramme(this); });
    for (int g = 0; g < kGuideKinds; ++g) {
        QPushButton* b = add(kPanelGuideTpdId + g, qs(kPanelGuideCaptions[static_cast<size_t>(g)]), guideButtonRect(g));
        connect(b, &QPushButton::clicked, this, [this, g] { windows_.openGuide(static_cast<GuideKind>(g), this); });
    }

    readouts_ = new QTimer(this);
    readouts_->setObjectName(QString("timer%1").arg(kTimerReadouts));
    readouts_->setSingleShot(true);
    readouts_->setInterval(kTimerReadoutsMs);
    connect(readouts_, &QTimer::timeout, this, [this] {
        update(QRect(0, 0, kGasPathWidth, 120));
        update(QRect(kTemperatureReadoutX, kTemperatureReadoutY - 4, 100, 30));
        readouts_->start();
    });
    readouts_->start();
    connect(this, &QDialog::finished, readouts_, &QTimer::stop);
}

QPushButton* GasPathPanel::button(int id) const {
    if (id < kPanelFlow1Id || id > kPanelGuideTitrationId) return nullptr;
    return others_[id - kPanelFlow1Id];
}

unsigned GasPathPanel::valveBits() const {
    unsigned bits = 0;
    for (int k = 0; k < kValveCount; ++k) {
        if (context_.control.valves.state[static_cast<size_t>(k)] != 0) bits |= 1u << k;
    }
    return bits;
}

void GasPathPanel::toggle(int k) {
    const ValveToggle toggle = toggleValve(context_.control.valves, k);
    if (toggle.frame.length == 0) return;
    valves_[k]->setText(qs(toggle.caption));
    context_.send(toggle.frame);
    background_ = gasPathPicture(valveBits());
    update();
}

void GasPathPanel::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.drawImage(0, 0, background_);
    const DigitImageSet& flow = digitImages(DigitColour::Flow);
    drawDigitReadout(p, flow, context_.readings.flow1MlMin.load(), kFlow1ReadoutX, kFlow1ReadoutY);
    drawDigitReadout(p, flow, context_.readings.flow2MlMin.load(), kFlow2ReadoutX, kFlow2ReadoutY);
    drawDigitReadout(p, digitImages(DigitColour::Temperature), context_.newestTemperature(), kTemperatureReadoutX,
                     kTemperatureReadoutY);
}

}  // namespace vespian
