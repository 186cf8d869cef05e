#include "control/desktop/gas_path_picture.h"

#include <QPainter>
#include <QPainterPath>

#include <array>
#include <cmath>

#include "platform/desktop/program_font.h"
#include "control/digit_readout.h"
#include "control/valve_panel.h"

namespace vespian {

namespace {

const QColor kBackground(0xf4, 0xf7, 0xfa);
const QColor kPipe(0x4a, 0x5b, 0x6d);
const QColor kCarrier(0x2f, 0x7b, 0xd6);
const QColor kTreatment(0xe0, 0x7b, 0x22);
const QColor kReturn(0x2e, 0x9e, 0x5b);
const QColor kInk(0x2b, 0x36, 0x42);
const QColor kBox(0xff, 0xff, 0xff);
const QColor kFurnace(0xc9, 0x3c, 0x2a);
const QColor kOpen(0x2e, 0xb8, 0x5c);
const QColor kShut(0x9a, 0xa5, 0xb1);

constexpr int kButtonW = 44;
constexpr int kButtonH = 24;

// Valve centres, in valve order (处理气1, 处理气2, 脉冲气, 定量环, 旁通, 冷阱, 样品出口, 检测器出口).
constexpr std::array<QPoint, kValveCount> kValveCentres = {{
    {110, 330}, {110, 400}, {330, 365}, {215, 170}, {520, 200}, {660, 250}, {590, 250}, {255, 250},
}};

void pipe(QPainter& p, const QColor& colour, std::initializer_list<QPointF> points, bool dashed = false) {
    QPen pen(colour, 4, dashed ? Qt::DashLine : Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    p.setPen(pen);
    p.setBrush(Qt::NoBrush);
    QPainterPath path;
    auto it = points.begin();
    path.moveTo(*it);
    for (++it; it != points.end(); ++it) path.lineTo(*it);
    p.drawPath(path);
}

void flowArrow(QPainter& p, QPointF tip, double angleDegrees, const QColor& colour) {
    const double a = angleDegrees * 3.14159265358979 / 180.0;
    const QPointF back(tip.x() - 11 * std::cos(a), tip.y() - 11 * std::sin(a));
    const QPointF side(-std::sin(a) * 6, std::cos(a) * 6);
    QPainterPath head;
    head.moveTo(tip);
    head.lineTo(back + side);
    head.lineTo(back - side);
    head.closeSubpath();
    p.setPen(Qt::NoPen);
    p.setBrush(colour);
    p.drawPath(head);
}

void box(QPainter& p, const QRectF& r, const QString& text, const QColor& edge, int fontSize = 13) {
    p.setPen(QPen(edge, 2));
    p.setBrush(kBox);
    p.drawRoundedRect(r, 6, 6);
    p.setPen(kInk);
    p.setFont(programFont(fontSize));
    p.drawText(r, Qt::AlignCenter | Qt::TextWordWrap, text);
}

void label(QPainter& p, QPointF at, const QString& text, int size = 13, const QColor& colour = kInk, bool bold = false) {
    p.setPen(colour);
    p.setFont(programFont(size, bold));
    p.drawText(at, text);
}

void port(QPainter& p, QPointF centre, const QString& name) {
    p.setPen(QPen(kPipe, 2));
    p.setBrush(QColor(0xd9, 0xde, 0xe4));
    p.drawEllipse(centre, 9, 9);
    p.setBrush(kPipe);
    p.drawEllipse(centre, 3, 3);
    label(p, QPointF(centre.x() - 14, centre.y() - 14), name, 12);
}

// The valve's body under its button: a diamond, green when open.
void valveBody(QPainter& p, int k, bool on) {
    const QPoint c = kValveCentres[static_cast<size_t>(k)];
    p.setPen(QPen(kPipe, 2));
    p.setBrush(on ? kOpen : kShut);
    QPolygonF diamond({QPointF(c.x() - 30, c.y()), QPointF(c.x(), c.y() - 18), QPointF(c.x() + 30, c.y()),
                       QPointF(c.x(), c.y() + 18)});
    p.drawPolygon(diamond);
    // The cold trap's name sits beside its dewar, which hangs under the valve.
    const QPointF at = k == 5 ? QPointF(c.x() + 34, c.y() + 36) : QPointF(c.x() - 26, c.y() + 34);
    label(p, at, QString::fromUtf8(kValveNames[static_cast<size_t>(k)].data(),
                                                                 static_cast<qsizetype>(kValveNames[static_cast<size_t>(k)].size())),
          12, kInk);
}

void vent(QPainter& p, QPointF at, const QString& text) {
    flowArrow(p, at, 90, kPipe);
    label(p, QPointF(at.x() - 14, at.y() + 18), text, 12);
}

}  // namespace

QRect valveButtonRect(int k) {
    if (k < 0 || k >= kValveCount) return {};
    const QPoint c = kValveCentres[static_cast<size_t>(k)];
    return QRect(c.x() - kButtonW / 2, c.y() - kButtonH / 2, kButtonW, kButtonH);
}

QRect flowSetButtonRect(int channel) { return QRect(610, channel == 2 ? 80 : 16, 64, 26); }
QRect programmeSetButtonRect() { return QRect(840, 462, 64, 26); }
QRect guideButtonRect(int guide) { return QRect(40 + guide * 215, 530, 190, 32); }

QImage gasPathPicture(unsigned valveStates) {
    QImage image(kGasPathWidth, kGasPathHeight, QImage::Format_RGB32);
    image.fill(kBackground);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    auto on = [&](int k) { return ((valveStates >> k) & 1u) != 0; };

    // Title and the readouts' frames.
    label(p, QPointF(22, 40), "气路控制流程", 22, QColor(0x1d, 0x4f, 0x91), true);
    label(p, QPointF(22, 66), "按阀门上的按钮切换阀门；数字表为实测值", 12, QColor(0x5a, 0x68, 0x78));
    for (auto [y, text] : {std::pair{kFlow1ReadoutY, "1#通道流量"}, std::pair{kFlow2ReadoutY, "2#通道流量"}}) {
        label(p, QPointF(340, y + 17), text, 14);
        p.setPen(QPen(QColor(0x33, 0x41, 0x4e), 2));
        p.setBrush(QColor(0x10, 0x14, 0x18));
        p.drawRoundedRect(QRect(kFlow1ReadoutX + 2, y - 4, 96, 30), 4, 4);
        label(p, QPointF(kFlow1ReadoutX + 104, y + 17), "ml/min", 13);
    }
    label(p, QPointF(kTemperatureReadoutX, kTemperatureReadoutY - 12), "炉温 (℃)", 14);
    p.setPen(QPen(QColor(0x33, 0x41, 0x4e), 2));
    p.setBrush(QColor(0x10, 0x14, 0x18));
    p.drawRoundedRect(QRect(kTemperatureReadoutX + 2, kTemperatureReadoutY - 4, 96, 30), 4, 4);

    // Legend.
    p.setPen(QPen(QColor(0xc5, 0xcf, 0xda), 1));
    p.setBrush(Qt::white);
    p.drawRoundedRect(QRect(730, 14, 250, 104), 6, 6);
    label(p, QPointF(744, 36), "图例", 13, kInk, true);
    pipe(p, kCarrier, {QPointF(744, 54), QPointF(784, 54)});
    label(p, QPointF(792, 59), "载气 (1#通道)", 12);
    pipe(p, kTreatment, {QPointF(744, 76), QPointF(784, 76)});
    label(p, QPointF(792, 81), "处理气/脉冲气 (2#通道)", 12);
    pipe(p, kReturn, {QPointF(744, 98), QPointF(784, 98)});
    label(p, QPointF(792, 103), "样品出口 → 检测器", 12);

    // Carrier: inlet → MFC1 → loop valve → reference cell → tee → furnace.
    port(p, QPointF(40, 170), "载气");
    pipe(p, kCarrier, {QPointF(49, 170), QPointF(80, 170)});
    box(p, QRectF(80, 150, 84, 40), "1#流量计", kCarrier);
    pipe(p, kCarrier, {QPointF(164, 170), QPointF(320, 170)});
    // The detector: one block, two cells.
    p.setPen(QPen(kInk, 2));
    p.setBrush(QColor(0xe8, 0xee, 0xf5));
    p.drawRoundedRect(QRectF(300, 132, 120, 140), 8, 8);
    label(p, QPointF(318, 150), "热导检测器", 13, kInk, true);
    box(p, QRectF(322, 160, 76, 22), "参比池", kCarrier, 12);
    box(p, QRectF(322, 240, 76, 22), "测量池", kReturn, 12);
    pipe(p, kCarrier, {QPointF(398, 171), QPointF(640, 171), QPointF(640, 320)});
    flowArrow(p, QPointF(460, 171), 0, kCarrier);
    flowArrow(p, QPointF(640, 300), 90, kCarrier);

    // Furnace and the U-shaped sample tube.
    QLinearGradient heat(560, 300, 560, 500);
    heat.setColorAt(0, QColor(0xfd, 0xe3, 0xd8));
    heat.setColorAt(1, QColor(0xf6, 0xb6, 0x9e));
    p.setPen(QPen(kFurnace, 3));
    p.setBrush(heat);
    p.drawRoundedRect(QRectF(605, 318, 165, 190), 10, 10);
    label(p, QPointF(652, 500), "加热炉", 15, kFurnace, true);
    for (int i = 0; i < 6; ++i) {
        p.setPen(QPen(QColor(0xe0, 0x6a, 0x4a), 2));
        p.drawLine(QPointF(612, 340 + i * 26), QPointF(627, 340 + i * 26));
        p.drawLine(QPointF(745, 340 + i * 26), QPointF(760, 340 + i * 26));
    }
    QPainterPath tube;
    tube.moveTo(640, 320);
    tube.lineTo(640, 430);
    tube.arcTo(QRectF(640, 400, 60, 60), 180, 180);
    tube.lineTo(700, 320);
    p.setPen(QPen(QColor(0x7a, 0x8a, 0x99), 9, Qt::SolidLine, Qt::RoundCap));
    p.setBrush(Qt::NoBrush);
    p.drawPath(tube);
    p.setPen(QPen(QColor(0xee, 0xf4, 0xfa), 5, Qt::SolidLine, Qt::RoundCap));
    p.drawPath(tube);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x8d, 0x6e, 0x4a));
    p.drawEllipse(QPointF(670, 460), 14, 8);  // the sample bed
    label(p, QPointF(612, 395), "样品管", 12);
    // The thermocouple into the bed.
    p.setPen(QPen(QColor(0xa0, 0x2a, 0x1a), 2));
    p.drawLine(QPointF(670, 452), QPointF(790, 400));
    label(p, QPointF(780, 392), "热电偶", 12, QColor(0xa0, 0x2a, 0x1a));

    // Return: outlet riser → cold trap → outlet valve → bypass junction → measuring cell → tail.
    pipe(p, kReturn, {QPointF(700, 320), QPointF(700, 250), QPointF(398, 250)});
    flowArrow(p, QPointF(470, 250), 180, kReturn);
    // The cold trap hangs under its valve in a dewar.
    p.setPen(QPen(kReturn, 3));
    p.drawLine(QPointF(648, 262), QPointF(648, 290));
    p.drawLine(QPointF(672, 262), QPointF(672, 290));
    p.setPen(QPen(kInk, 2));
    p.setBrush(QColor(0xcf, 0xe6, 0xf7));
    p.drawRoundedRect(QRectF(638, 280, 44, 22), 4, 4);
    // The outlet valve's way to the vent.
    pipe(p, kPipe, {QPointF(590, 262), QPointF(590, 290)}, true);
    vent(p, QPointF(590, 300), "放空");
    // The bypass: carrier straight to the return line.
    pipe(p, kCarrier, {QPointF(520, 171), QPointF(520, 250)}, !on(4));
    // After the measuring cell.
    pipe(p, kReturn, {QPointF(322, 251), QPointF(200, 251), QPointF(200, 300)});
    pipe(p, kPipe, {QPointF(255, 238), QPointF(255, 110)}, true);
    p.setPen(QPen(kPipe, 2));
    p.setBrush(QColor(0xd9, 0xde, 0xe4));
    p.drawEllipse(QPointF(255, 100), 9, 9);
    label(p, QPointF(268, 104), "尾气出口", 12);
    vent(p, QPointF(200, 310), "放空");

    // Treatment: two ports → MFC2 → loop-fill valve → tee (or the loop).
    port(p, QPointF(40, 330), "处理气1");
    port(p, QPointF(40, 400), "处理气2");
    pipe(p, kTreatment, {QPointF(49, 330), QPointF(170, 330), QPointF(170, 365)});
    pipe(p, kTreatment, {QPointF(49, 400), QPointF(170, 400), QPointF(170, 365), QPointF(196, 365)});
    box(p, QRectF(196, 345, 84, 40), "2#流量计", kTreatment);
    pipe(p, kTreatment, {QPointF(280, 365), QPointF(470, 365), QPointF(470, 171)}, on(2));
    flowArrow(p, QPointF(470, 200), 270, kTreatment);
    // The dosing loop: a coil below, flushed to the vent; switched into the carrier by valve 3.
    pipe(p, kTreatment, {QPointF(330, 380), QPointF(330, 440), QPointF(360, 440)}, !on(2));
    QPainterPath coil;
    coil.moveTo(360, 440);
    for (int i = 0; i < 5; ++i) coil.arcTo(QRectF(360 + i * 16, 428, 16, 24), 180, i % 2 == 0 ? -180 : 180);
    p.setPen(QPen(kTreatment, 4));
    p.setBrush(Qt::NoBrush);
    p.drawPath(coil);
    label(p, QPointF(360, 476), "定量环", 12);
    pipe(p, kTreatment, {QPointF(440, 440), QPointF(470, 440), QPointF(470, 470)}, !on(2));
    vent(p, QPointF(470, 480), "放空");
    pipe(p, kPipe, {QPointF(215, 182), QPointF(215, 300), QPointF(345, 300), QPointF(345, 428)}, true);
    label(p, QPointF(226, 318), "定量环切入载气", 11, QColor(0x5a, 0x68, 0x78));

    for (int k = 0; k < kValveCount; ++k) valveBody(p, k, on(k));
    p.end();
    return image;
}

}  // namespace vespian
