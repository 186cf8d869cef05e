#include "control/desktop/connection_pictures.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

#include <cmath>

#include "platform/desktop/program_font.h"

namespace vespian {

namespace {

const QColor kPanel(0xd5, 0xdb, 0xe1);
const QColor kPanelEdge(0x8a, 0x96, 0xa3);
const QColor kInk(0x2b, 0x36, 0x42);
const QColor kBrass(0xc8, 0xa4, 0x4e);
const QColor kLit(0xff, 0xc4, 0x2e);

QString qs(std::string_view text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }

void panelBackground(QPainter& p, const QRectF& r) {
    QLinearGradient g(r.topLeft(), r.bottomLeft());
    g.setColorAt(0, QColor(0xe4, 0xe8, 0xec));
    g.setColorAt(1, kPanel);
    p.setPen(QPen(kPanelEdge, 3));
    p.setBrush(g);
    p.drawRoundedRect(r, 8, 8);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x9a, 0xa5, 0xb1));
    for (QPointF screw : {r.topLeft() + QPointF(14, 14), r.topRight() + QPointF(-14, 14),
                          r.bottomLeft() + QPointF(14, -14), r.bottomRight() + QPointF(-14, -14)}) {
        p.drawEllipse(screw, 4, 4);
    }
}

// A gas port, a brass compression fitting seen from behind, centred at `c`.
void gasFitting(QPainter& p, QPointF c, double scale = 1.0) {
    p.setPen(QPen(QColor(0x7d, 0x63, 0x24), 1.5));
    p.setBrush(kBrass);
    QPolygonF nut;
    for (int i = 0; i < 6; ++i) {
        const double a = 3.14159265 / 3 * i + 3.14159265 / 6;
        nut << c + QPointF(std::cos(a) * 14 * scale, std::sin(a) * 14 * scale);
    }
    p.drawPolygon(nut);
    p.setBrush(QColor(0xe8, 0xd4, 0x96));
    p.drawEllipse(c, 8 * scale, 8 * scale);
    p.setBrush(QColor(0x3a, 0x30, 0x1c));
    p.drawEllipse(c, 3 * scale, 3 * scale);
}

void text(QPainter& p, const QRectF& r, const QString& s, int size, const QColor& colour = kInk, bool bold = false,
          int flags = Qt::AlignCenter) {
    p.setPen(colour);
    p.setFont(programFont(size, bold));
    p.drawText(r, flags, s);
}

// Port i's centre on the strip: the highlights sit 65.5 pixels apart.
QPointF stripPortCentre(GasPort port) {
    const double x = portHighlightX(port) - kPortPictureX + kPortHighlightWidth / 2.0;
    return {x, kPortHighlightY - kPortPictureY + 32.0};
}

void drawPortColumn(QPainter& p, QPointF centre, GasPort port) {
    gasFitting(p, centre);
    text(p, QRectF(centre.x() - 32, centre.y() + 22, 64, 20), qs(kGasPortNames[static_cast<size_t>(port)]), 12);
}

}  // namespace

QImage portStripPicture() {
    QImage image(kPortPictureWidth, kPortPictureHeight, QImage::Format_RGB32);
    image.fill(QColor(0xf4, 0xf6, 0xf8));
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    panelBackground(p, QRectF(6, 6, kPortPictureWidth - 12, kPortPictureHeight - 12));
    text(p, QRectF(20, 14, 640, 26), "仪器后面板 · 气体接口", 15, kInk, true, Qt::AlignLeft | Qt::AlignVCenter);
    // The ports' plate.
    p.setPen(QPen(kPanelEdge, 1.5));
    p.setBrush(QColor(0xc4, 0xcb, 0xd3));
    p.drawRoundedRect(QRectF(70, 70, 470, 130), 6, 6);
    for (int i = 0; i < kGasPorts; ++i) drawPortColumn(p, stripPortCentre(static_cast<GasPort>(i)), static_cast<GasPort>(i));
    // Beside the plate: the power inlet and the USB socket, for orientation.
    p.setPen(QPen(kInk, 1.5));
    p.setBrush(QColor(0x33, 0x33, 0x36));
    p.drawRoundedRect(QRectF(575, 82, 56, 40), 4, 4);
    text(p, QRectF(560, 126, 86, 18), "电源 220V", 11);
    p.setBrush(QColor(0x4a, 0x55, 0x60));
    p.drawRect(QRectF(590, 160, 26, 14));
    text(p, QRectF(560, 178, 86, 18), "USB", 11);
    text(p, QRectF(30, 212, 620, 20), "接头用1/8英寸不锈钢管，拧紧后用检漏液检查", 11, QColor(0x5a, 0x68, 0x78),
         false, Qt::AlignLeft | Qt::AlignVCenter);
    p.end();
    return image;
}

QImage portHighlightPicture(GasPort port, bool lit) {
    // The strip's own pixels under the highlight, so the neutral image is the strip as it is.
    static const QImage strip = portStripPicture();
    const QRect source(portHighlightX(port) - kPortPictureX, kPortHighlightY - kPortPictureY, kPortHighlightWidth,
                       kPortHighlightHeight);
    QImage image = strip.copy(source);
    if (!lit) return image;
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    const QPointF c(kPortHighlightWidth / 2.0, 32.0);
    p.setPen(QPen(kLit, 4));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(c, 19, 19);
    p.setPen(QPen(QColor(0xff, 0xff, 0xff, 200), 1.5));
    p.drawEllipse(c, 22, 22);
    // An arrow from below: connect here.
    QPainterPath arrow;
    // Below the port's name, so the name stays readable.
    arrow.moveTo(c.x(), 78);
    arrow.lineTo(c.x() - 9, 89);
    arrow.lineTo(c.x() - 4, 89);
    arrow.lineTo(c.x() - 4, 101);
    arrow.lineTo(c.x() + 4, 101);
    arrow.lineTo(c.x() + 4, 89);
    arrow.lineTo(c.x() + 9, 89);
    arrow.closeSubpath();
    p.setPen(QPen(QColor(0xb3, 0x6b, 0x00), 1));
    p.setBrush(kLit);
    p.drawPath(arrow);
    return image;
}

QImage rearViewPicture() {
    QImage image(kRearView.pictureWidth, kRearView.pictureHeight, QImage::Format_RGB32);
    image.fill(QColor(0xf4, 0xf6, 0xf8));
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    panelBackground(p, QRectF(14, 40, 780, 430));
    text(p, QRectF(14, 6, 780, 30), "TRV-8800 动态流动化学吸附仪 · 后面板", 16, kInk, true);

    // Gas ports along the top, each named with what it takes.
    const char* roles[kGasPorts] = {"接质谱或放空", "仪器放空", "接载气", "接处理气1", "接处理气2", "备用，需堵死"};
    p.setPen(QPen(kPanelEdge, 1.5));
    p.setBrush(QColor(0xc4, 0xcb, 0xd3));
    p.drawRoundedRect(QRectF(40, 70, 728, 130), 6, 6);
    for (int i = 0; i < kGasPorts; ++i) {
        const QPointF c(100 + i * 120, 112);
        gasFitting(p, c, 1.2);
        text(p, QRectF(c.x() - 55, c.y() + 26, 110, 20), qs(kGasPortNames[static_cast<size_t>(i)]), 13, kInk, true);
        text(p, QRectF(c.x() - 55, c.y() + 46, 110, 18), roles[i], 11, QColor(0x5a, 0x68, 0x78));
    }
    // Fan grille.
    p.setPen(QPen(QColor(0x6d, 0x78, 0x84), 2));
    p.setBrush(QColor(0xb8, 0xc0, 0xc8));
    p.drawEllipse(QPointF(140, 330), 80, 80);
    p.setBrush(Qt::NoBrush);
    for (int r = 20; r <= 70; r += 12) p.drawEllipse(QPointF(140, 330), r, r);
    p.drawLine(QPointF(70, 330), QPointF(210, 330));
    p.drawLine(QPointF(140, 260), QPointF(140, 400));
    text(p, QRectF(60, 414, 160, 20), "散热风扇（勿遮挡）", 12);
    // Power inlet, switch, fuse.
    p.setPen(QPen(kInk, 2));
    p.setBrush(QColor(0x33, 0x33, 0x36));
    p.drawRoundedRect(QRectF(300, 270, 90, 60), 6, 6);
    p.setBrush(QColor(0xc9, 0xcd, 0xd2));
    for (double x : {322.0, 345.0, 368.0}) p.drawRect(QRectF(x - 4, 288, 8, 22));
    text(p, QRectF(280, 336, 130, 20), "电源插座 AC220V", 12);
    p.setBrush(QColor(0xc9, 0x3c, 0x2a));
    p.drawRoundedRect(QRectF(420, 280, 40, 44), 4, 4);
    text(p, QRectF(400, 336, 80, 20), "电源开关", 12);
    p.setBrush(QColor(0x40, 0x40, 0x44));
    p.drawEllipse(QPointF(515, 300), 16, 16);
    text(p, QRectF(480, 336, 70, 20), "保险丝 5A", 12);
    // USB and earth.
    p.setBrush(QColor(0x4a, 0x55, 0x60));
    p.drawRect(QRectF(580, 290, 36, 18));
    p.setBrush(Qt::white);
    p.drawRect(QRectF(588, 296, 20, 6));
    text(p, QRectF(548, 336, 100, 20), "USB (接电脑)", 12);
    p.setBrush(kBrass);
    p.drawEllipse(QPointF(690, 300), 12, 12);
    text(p, QRectF(650, 336, 80, 20), "接地", 12);
    // The plate with the loop volume, which the titration needs.
    p.setPen(QPen(kPanelEdge, 1));
    p.setBrush(QColor(0xf0, 0xf2, 0xf4));
    p.drawRoundedRect(QRectF(300, 380, 440, 70), 4, 4);
    text(p, QRectF(310, 384, 420, 22), "型号 TRV-8800    电源 AC220V 50Hz 1.2kW", 12, kInk, false, Qt::AlignLeft);
    text(p, QRectF(310, 406, 420, 22), "炉温 室温–1100℃    定量环体积 0.5 ml", 12, kInk, false, Qt::AlignLeft);
    text(p, QRectF(310, 428, 420, 22), "气源压力 0.1–0.2 MPa，不得超过 0.3 MPa", 12, kInk, false, Qt::AlignLeft);
    p.end();
    return image;
}

QImage rightViewPicture() {
    QImage image(kRightView.pictureWidth, kRightView.pictureHeight, QImage::Format_RGB32);
    image.fill(QColor(0xf4, 0xf6, 0xf8));
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    panelBackground(p, QRectF(10, 28, 476, 186));
    text(p, QRectF(10, 2, 476, 24), "右侧面", 14, kInk, true);
    // The thermocouple socket and the furnace cable.
    p.setPen(QPen(kInk, 2));
    p.setBrush(QColor(0xf2, 0xd0, 0x4a));
    p.drawRoundedRect(QRectF(50, 70, 70, 40), 5, 5);
    p.setBrush(QColor(0x33, 0x33, 0x36));
    p.drawRect(QRectF(66, 84, 10, 12));
    p.drawRect(QRectF(94, 84, 10, 12));
    text(p, QRectF(20, 116, 130, 36), "热电偶插座\n(K型，红正蓝负)", 11);
    p.setBrush(QColor(0x4a, 0x4a, 0x50));
    p.drawEllipse(QPointF(220, 90), 26, 26);
    p.setBrush(QColor(0x9a, 0xa5, 0xb1));
    for (int i = 0; i < 5; ++i) {
        const double a = 2 * 3.14159265 * i / 5;
        p.drawEllipse(QPointF(220 + 14 * std::cos(a), 90 + 14 * std::sin(a)), 3, 3);
    }
    text(p, QRectF(160, 122, 120, 36), "加热炉电缆\n(对准缺口插入)", 11);
    // The cold-trap dewar's stand and the exhaust.
    p.setPen(QPen(kPanelEdge, 2));
    p.setBrush(QColor(0xb8, 0xc0, 0xc8));
    for (int i = 0; i < 6; ++i) p.drawRoundedRect(QRectF(330, 60 + i * 14, 120, 6), 3, 3);
    text(p, QRectF(320, 150, 140, 36), "排风口\n(距墙至少20 cm)", 11);
    p.end();
    return image;
}

}  // namespace vespian
