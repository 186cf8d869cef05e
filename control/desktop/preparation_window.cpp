#include "control/desktop/preparation_window.h"

#include <QGuiApplication>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QTimer>

#include "platform/desktop/program_font.h"
#include "control/desktop/connection_pictures.h"
#include "platform/desktop/screen.h"

namespace vespian {

namespace {

QString qs(std::string_view text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }

}  // namespace

PreparationWindow::PreparationWindow(GuideKind kind, QWidget* parent)
    : QDialog(parent), info_(preparationInfo(kind)), kind_(kind) {
    setObjectName("preparationWindow");
    setWindowTitle(qs(info_.title));
    setFixedSize(kPreparationWidth, kPreparationHeight);
    move((screenSize().width() - kPreparationWidth) / 2, kPreparationTop);
    setFont(programFont(14));

    ok_ = new QPushButton("确定", this);
    ok_->setObjectName("ctl1");
    ok_->setGeometry(kPreparationWidth - 260, kPreparationHeight - 60, 110, 34);
    cancel_ = new QPushButton("取消", this);
    cancel_->setObjectName("ctl2");
    cancel_->setGeometry(kPreparationWidth - 135, kPreparationHeight - 60, 110, 34);
    ok_->setAutoDefault(false);
    connect(cancel_, &QPushButton::clicked, this, &QDialog::reject);

    timer_ = new QTimer(this);
    timer_->setObjectName(QString("timer%1").arg(kTimerBlink));
    timer_->setSingleShot(true);
    connect(timer_, &QTimer::timeout, this, &PreparationWindow::blinkTick);
    timer_->start(kBlinkFirstMs);
}

void PreparationWindow::blinkTick() {
    timer_->start(blink_.tick());
    update(QRect(kPortPictureX, kPortHighlightY, kPortPictureWidth, kPortHighlightHeight));
}

void PreparationWindow::paintEvent(QPaintEvent*) {
    static const QImage strip = portStripPicture();
    QPainter p(this);
    p.fillRect(rect(), palette().window());
    p.setPen(QPen(QColor(0x8a, 0x96, 0xa3), 1));
    p.setBrush(Qt::NoBrush);
    p.drawRect(QRect(kPortPictureX, kPortFrameY, kPortPictureWidth, kPortFrameHeight));
    p.drawImage(kPortPictureX, kPortPictureY, strip);
    for (int32_t i = 0; i < info_.portCount; ++i) {
        const GasPort port = info_.ports[static_cast<size_t>(i)];
        p.drawImage(portHighlightX(port), kPortHighlightY, portHighlightPicture(port, blink_.lit()));
    }

    p.setPen(QColor(0x1d, 0x4f, 0x91));
    p.setFont(programFont(20, true));
    p.drawText(QPoint(5, 50), qs(info_.stepCaption));
    p.setPen(QColor(0x2b, 0x36, 0x42));
    p.setFont(programFont(15));
    p.drawText(QRect(5, 64, kPortPictureX - 15, 120), Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap,
               qs(info_.instruction));
    const GuideWindowInfo& guide = guideInfo(kind_);
    p.setPen(QColor(0x5a, 0x68, 0x78));
    p.setFont(programFont(13));
    p.drawText(QRect(5, 300, kPreparationWidth - 10, 60), Qt::AlignLeft | Qt::TextWordWrap,
               "闪烁的接口即本测试要用的接口。接好后各接头用检漏液检漏。\n完整的操作步骤见 帮助 → 操作说明 → " +
                   qs(guide.title) + "，或“气路控制”中的操作流程按钮。");
}

}  // namespace vespian
