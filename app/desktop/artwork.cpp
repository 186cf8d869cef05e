#include "app/desktop/artwork.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

#include <cmath>
#include <functional>
#include <initializer_list>
#include <numbers>

#include "app/command_ids.h"

namespace vespian {

namespace {

// The pictogram palette.
const QColor kInk(0x33, 0x41, 0x4e);
const QColor kBlue(0x2f, 0x7b, 0xd6);
const QColor kDeepBlue(0x1d, 0x4f, 0x91);
const QColor kPaleBlue(0xd6, 0xe8, 0xfb);
const QColor kGreen(0x2e, 0x9e, 0x5b);
const QColor kRed(0xd9, 0x45, 0x3b);
const QColor kOrange(0xf2, 0x9b, 0x30);
const QColor kYellow(0xf6, 0xc7, 0x44);
const QColor kGrey(0x8a, 0x96, 0xa3);
const QColor kPaper(0xfb, 0xfc, 0xfd);
const QColor kTrace(0xe0, 0x1e, 0x78);  // the program's default trace colour, a little darker

using Draw = std::function<void(QPainter&)>;

QPen pen(const QColor& colour, double width, Qt::PenStyle style = Qt::SolidLine) {
    QPen result(colour, width, style, Qt::RoundCap, Qt::RoundJoin);
    return result;
}

struct Peak {
    double centre;
    double height;  // upwards, in the drawing's units
    double width;   // standard deviation
};

double peakSum(double x, std::initializer_list<Peak> peaks) {
    double y = 0.0;
    for (const Peak& peak : peaks) {
        const double u = (x - peak.centre) / peak.width;
        y += peak.height * std::exp(-0.5 * u * u);
    }
    return y;
}

// A detector trace along a baseline, with gaussian peaks.
QPainterPath tracePath(double x0, double x1, double baseline, std::initializer_list<Peak> peaks, double step = 0.25) {
    QPainterPath path;
    path.moveTo(x0, baseline - peakSum(x0, peaks));
    for (double x = x0 + step; x < x1 + step / 2; x += step) path.lineTo(x, baseline - peakSum(x, peaks));
    return path;
}

void arrowHead(QPainter& p, QPointF tip, double angleDegrees, double size, const QColor& colour) {
    const double a = angleDegrees * std::numbers::pi / 180.0;
    const QPointF back(tip.x() - size * std::cos(a), tip.y() - size * std::sin(a));
    const QPointF side(-std::sin(a) * size * 0.6, std::cos(a) * size * 0.6);
    QPainterPath head;
    head.moveTo(tip);
    head.lineTo(back + side);
    head.lineTo(back - side);
    head.closeSubpath();
    p.setPen(Qt::NoPen);
    p.setBrush(colour);
    p.drawPath(head);
}

void arrow(QPainter& p, QPointF from, QPointF to, const QColor& colour, double width, double head) {
    const double angle = std::atan2(to.y() - from.y(), to.x() - from.x()) * 180.0 / std::numbers::pi;
    const double a = angle * std::numbers::pi / 180.0;
    const QPointF shaftEnd(to.x() - head * 0.7 * std::cos(a), to.y() - head * 0.7 * std::sin(a));
    p.setPen(pen(colour, width));
    p.drawLine(from, shaftEnd);
    arrowHead(p, to, angle, head, colour);
}

void axes(QPainter& p, double left, double top, double right, double bottom) {
    p.setPen(pen(kInk, 1.6));
    p.setBrush(Qt::NoBrush);
    QPainterPath path;
    path.moveTo(left, top);
    path.lineTo(left, bottom);
    path.lineTo(right, bottom);
    p.drawPath(path);
}

void badgeCircle(QPainter& p, QPointF centre, double radius, const QColor& fill) {
    p.setPen(pen(Qt::white, 1.2));
    p.setBrush(fill);
    p.drawEllipse(centre, radius, radius);
}

void badgeCross(QPainter& p, QPointF centre, double radius, double width) {
    badgeCircle(p, centre, radius, kRed);
    const double d = radius * 0.45;
    p.setPen(pen(Qt::white, width));
    p.drawLine(centre + QPointF(-d, -d), centre + QPointF(d, d));
    p.drawLine(centre + QPointF(-d, d), centre + QPointF(d, -d));
}

// ---- toolbar pictograms, drawn in a 32 × 32 box ---------------------------------------------

void drawNewDatabase(QPainter& p) {
    const QRectF top(5, 4, 18, 7);
    QPainterPath body;
    body.moveTo(5, 7.5);
    body.lineTo(5, 23.5);
    body.arcTo(QRectF(5, 20, 18, 7), 180, 180);
    body.lineTo(23, 7.5);
    p.setPen(pen(kDeepBlue, 1.5));
    p.setBrush(kPaleBlue);
    p.drawPath(body);
    p.setBrush(QColor(0xa9, 0xcc, 0xf4));
    p.drawEllipse(top);
    p.setBrush(Qt::NoBrush);
    p.drawArc(QRectF(5, 9.5, 18, 7), 180 * 16, 180 * 16);
    p.drawArc(QRectF(5, 15, 18, 7), 180 * 16, 180 * 16);
    badgeCircle(p, QPointF(23.5, 23.5), 7, kGreen);
    p.setPen(pen(Qt::white, 2.2));
    p.drawLine(QPointF(23.5, 19.8), QPointF(23.5, 27.2));
    p.drawLine(QPointF(19.8, 23.5), QPointF(27.2, 23.5));
}

void drawOpen(QPainter& p) {
    QPainterPath back;
    back.moveTo(3, 26);
    back.lineTo(3, 7);
    back.lineTo(11, 7);
    back.lineTo(13.5, 10);
    back.lineTo(25, 10);
    back.lineTo(25, 14);
    p.setPen(pen(QColor(0xb0, 0x7a, 0x10), 1.4));
    p.setBrush(QColor(0xe9, 0xa8, 0x25));
    p.drawPath(back);
    QPainterPath front;
    front.moveTo(3, 27);
    front.lineTo(8, 14);
    front.lineTo(30, 14);
    front.lineTo(25, 27);
    front.closeSubpath();
    p.setBrush(kYellow);
    p.drawPath(front);
}

void drawSave(QPainter& p) {
    QPainterPath disk;
    disk.moveTo(5, 5);
    disk.lineTo(23, 5);
    disk.lineTo(27, 9);
    disk.lineTo(27, 27);
    disk.lineTo(5, 27);
    disk.closeSubpath();
    p.setPen(pen(kDeepBlue, 1.5));
    p.setBrush(kBlue);
    p.drawPath(disk);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0xe4, 0xe9, 0xef));
    p.drawRect(QRectF(10, 5.8, 11, 7.5));
    p.setBrush(kDeepBlue);
    p.drawRect(QRectF(17, 7, 2.6, 5));
    p.setBrush(kPaper);
    p.drawRoundedRect(QRectF(9, 17, 14, 9.2), 1, 1);
    p.setPen(pen(kGrey, 1.0));
    p.drawLine(QPointF(11, 20), QPointF(21, 20));
    p.drawLine(QPointF(11, 23), QPointF(21, 23));
}

void drawPrint(QPainter& p) {
    p.setPen(pen(kInk, 1.3));
    p.setBrush(kPaper);
    p.drawRect(QRectF(9, 4, 14, 9));
    p.setBrush(QColor(0x5f, 0x6b, 0x78));
    p.drawRoundedRect(QRectF(3.5, 11.5, 25, 12), 2.5, 2.5);
    p.setBrush(kPaper);
    p.drawRect(QRectF(9, 19, 14, 9.5));
    p.setPen(pen(kGrey, 1.0));
    p.drawLine(QPointF(11, 22.5), QPointF(21, 22.5));
    p.drawLine(QPointF(11, 25.5), QPointF(18, 25.5));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x6c, 0xe0, 0x8c));
    p.drawEllipse(QPointF(24.5, 15), 1.3, 1.3);
}

void drawZeroSignal(QPainter& p) {
    axes(p, 4, 4, 29, 27);
    p.setPen(pen(kGrey, 1.3, Qt::DashLine));
    p.drawLine(QPointF(6, 22), QPointF(29, 22));
    p.setBrush(Qt::NoBrush);
    p.setPen(pen(QColor(0xe0, 0x1e, 0x78, 110), 1.6));
    p.drawPath(tracePath(6, 29, 10, {{12, 1.5, 1.5}, {22, -1.2, 1.8}}));
    p.setPen(pen(kTrace, 2.0));
    p.drawPath(tracePath(6, 29, 22, {{12, 1.5, 1.5}, {22, -1.2, 1.8}}));
    arrow(p, QPointF(18, 11.5), QPointF(18, 20.5), kBlue, 2.0, 4.5);
}

void drawRestoreSignal(QPainter& p) {
    axes(p, 4, 4, 29, 27);
    p.setBrush(Qt::NoBrush);
    p.setPen(pen(kTrace, 2.0));
    p.drawPath(tracePath(6, 29, 23, {{12, 1.5, 1.5}, {22, -1.2, 1.8}}));
    // An undo arrow.
    p.setPen(pen(kBlue, 2.2));
    p.drawArc(QRectF(11, 5, 13, 11), 200 * 16, -250 * 16);
    arrowHead(p, QPointF(11.3, 13.5), 100, 5, kBlue);
}

void drawManualPeak(QPainter& p) {
    axes(p, 4, 4, 29, 27);
    const QPainterPath peak = tracePath(6, 29, 24, {{17, 16, 3.2}});
    QPainterPath area = tracePath(10, 24, 24, {{17, 16, 3.2}});
    area.lineTo(24, 24);
    area.lineTo(10, 24);
    area.closeSubpath();
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0xe0, 0x1e, 0x78, 60));
    p.drawPath(area);
    p.setBrush(Qt::NoBrush);
    p.setPen(pen(kTrace, 2.0));
    p.drawPath(peak);
    p.setPen(pen(kOrange, 1.8));
    p.drawLine(QPointF(10, 8), QPointF(10, 26));
    p.drawLine(QPointF(24, 8), QPointF(24, 26));
    arrowHead(p, QPointF(10, 21), 90, 4.5, kOrange);
    arrowHead(p, QPointF(24, 21), 90, 4.5, kOrange);
}

void drawReadout(QPainter& p) {
    axes(p, 4, 4, 29, 27);
    p.setBrush(Qt::NoBrush);
    p.setPen(pen(kTrace, 2.0));
    p.drawPath(tracePath(6, 29, 24, {{15, 13, 4}}));
    const QPointF point(19, 24 - peakSum(19, {{15, 13, 4}}));
    p.setPen(pen(kBlue, 1.2, Qt::DashLine));
    p.drawLine(QPointF(point.x(), 4), QPointF(point.x(), 27));
    p.drawLine(QPointF(4, point.y()), QPointF(29, point.y()));
    p.setPen(pen(kBlue, 1.8));
    p.setBrush(kPaper);
    p.drawEllipse(point, 3, 3);
}

void drawDeleteStretch(QPainter& p) {
    axes(p, 4, 4, 29, 27);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0xd9, 0x45, 0x3b, 55));
    p.drawRect(QRectF(13, 5, 9, 21));
    p.setBrush(Qt::NoBrush);
    const std::initializer_list<Peak> peaks{{9, 5, 1.6}, {17.5, 9, 2.2}, {26, 4, 1.5}};
    p.setPen(pen(kTrace, 2.0));
    p.drawPath(tracePath(6, 13, 23, peaks));
    p.drawPath(tracePath(22, 29, 23, peaks));
    p.setPen(pen(kGrey, 1.3, Qt::DotLine));
    p.drawPath(tracePath(13, 22, 23, peaks));
    p.setPen(pen(kRed, 1.5));
    p.drawLine(QPointF(13, 5), QPointF(13, 26));
    p.drawLine(QPointF(22, 5), QPointF(22, 26));
    badgeCross(p, QPointF(17.5, 6.5), 4.6, 1.6);
}

void drawMagnifier(QPainter& p, bool plus) {
    p.setPen(pen(kInk, 4.2));
    p.drawLine(QPointF(19.5, 19.5), QPointF(27, 27));
    p.setPen(pen(kInk, 2.0));
    p.setBrush(kPaleBlue);
    p.drawEllipse(QPointF(13, 13), 9, 9);
    p.setPen(pen(kBlue, 2.4));
    p.drawLine(QPointF(8.5, 13), QPointF(17.5, 13));
    if (plus) p.drawLine(QPointF(13, 8.5), QPointF(13, 17.5));
}

void drawZoomBox(QPainter& p) {
    p.setPen(pen(kInk, 1.4, Qt::DashLine));
    p.setBrush(QColor(0x2f, 0x7b, 0xd6, 30));
    p.drawRect(QRectF(3.5, 4.5, 19, 15));
    p.setBrush(Qt::NoBrush);
    p.setPen(pen(kTrace, 1.8));
    p.drawPath(tracePath(5, 21, 17, {{12, 9, 2.4}}));
    p.save();
    p.translate(11, 11);
    p.scale(0.62, 0.62);
    drawMagnifier(p, true);
    p.restore();
}

void drawSettings(QPainter& p) {
    QPainterPath gear;
    const QPointF c(16, 16);
    constexpr int kTeeth = 8;
    for (int i = 0; i < kTeeth * 4; ++i) {
        const double a = (i - 0.5) * std::numbers::pi * 2 / (kTeeth * 4);
        const double r = (i % 4 == 0 || i % 4 == 1) ? 13.0 : 10.0;
        const QPointF point(c.x() + r * std::cos(a), c.y() + r * std::sin(a));
        if (i == 0) gear.moveTo(point);
        else gear.lineTo(point);
    }
    gear.closeSubpath();
    QPainterPath hole;
    hole.addEllipse(c, 4.2, 4.2);
    p.setPen(pen(kInk, 1.4));
    p.setBrush(QColor(0x6f, 0x82, 0x96));
    p.drawPath(gear.subtracted(hole));
    p.setPen(pen(QColor(0xc5, 0xd0, 0xdb), 1.2));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(c, 7, 7);
}

void drawFurnace(QPainter& p) {
    p.setPen(pen(kInk, 1.4));
    p.setBrush(QColor(0x6b, 0x77, 0x85));
    p.drawRoundedRect(QRectF(2.5, 10.5, 20, 18), 2.5, 2.5);
    QLinearGradient glow(0, 14, 0, 25);
    glow.setColorAt(0, QColor(0xff, 0xc2, 0x4a));
    glow.setColorAt(1, QColor(0xe8, 0x4a, 0x1c));
    p.setBrush(glow);
    p.setPen(pen(QColor(0x3a, 0x22, 0x18), 1.0));
    p.drawRoundedRect(QRectF(6, 14, 13, 11), 1.5, 1.5);
    p.setPen(pen(QColor(0xa8, 0x2a, 0x10), 1.2));
    for (double x : {9.0, 12.5, 16.0}) p.drawLine(QPointF(x, 15), QPointF(x, 24));
    // The quartz tube through the furnace.
    p.setPen(pen(kInk, 1.0));
    p.setBrush(QColor(0xe8, 0xf2, 0xfb, 220));
    p.drawRect(QRectF(10.5, 3, 4, 7.5));
    // A thermometer beside it.
    p.setBrush(kPaper);
    p.drawRoundedRect(QRectF(24, 3, 5, 20), 2.5, 2.5);
    p.setPen(Qt::NoPen);
    p.setBrush(kRed);
    p.drawRect(QRectF(25.5, 9, 2, 15));
    p.setPen(pen(kInk, 1.0));
    p.drawEllipse(QPointF(26.5, 25.5), 3.5, 3.5);
}

void drawFlow(QPainter& p) {
    // A float flowmeter: tapered glass tube, a float, the scale.
    QPainterPath tube;
    tube.moveTo(10, 4);
    tube.lineTo(22, 4);
    tube.lineTo(19, 28);
    tube.lineTo(13, 28);
    tube.closeSubpath();
    p.setPen(pen(kInk, 1.4));
    p.setBrush(kPaleBlue);
    p.drawPath(tube);
    p.setPen(pen(kInk, 1.0));
    for (int i = 0; i < 6; ++i) {
        const double y = 7 + i * 3.8;
        p.drawLine(QPointF(4, y), QPointF(i % 2 == 0 ? 8 : 6.5, y));
    }
    QRadialGradient ball(QPointF(15, 12), 4);
    ball.setColorAt(0, QColor(0xff, 0xb0, 0x80));
    ball.setColorAt(1, kRed);
    p.setPen(pen(QColor(0x8a, 0x20, 0x18), 1.0));
    p.setBrush(ball);
    p.drawEllipse(QPointF(16, 13), 3.4, 3.4);
    arrow(p, QPointF(27, 27), QPointF(27, 9), kBlue, 1.8, 4.5);
}

void drawGasPath(QPainter& p) {
    p.setPen(pen(kInk, 3.0));
    p.drawLine(QPointF(2, 21), QPointF(8, 21));
    p.drawLine(QPointF(24, 21), QPointF(30, 21));
    QPainterPath valve;
    valve.moveTo(8, 15);
    valve.lineTo(8, 27);
    valve.lineTo(24, 15);
    valve.lineTo(24, 27);
    valve.closeSubpath();
    p.setPen(pen(kDeepBlue, 1.4));
    p.setBrush(kBlue);
    p.drawPath(valve);
    p.setPen(pen(kInk, 2.0));
    p.drawLine(QPointF(16, 21), QPointF(16, 9));
    p.setPen(pen(kRed, 2.6));
    p.drawLine(QPointF(9, 7), QPointF(23, 7));
    p.setPen(Qt::NoPen);
    p.setBrush(kInk);
    p.drawEllipse(QPointF(16, 21), 1.8, 1.8);
}

void drawReversePolarity(QPainter& p) {
    p.setPen(pen(kGrey, 1.2));
    p.drawLine(QPointF(3, 16), QPointF(29, 16));
    p.setBrush(Qt::NoBrush);
    p.setPen(pen(kTrace, 2.0));
    p.drawPath(tracePath(3, 16, 16, {{9.5, 11, 2.2}}));
    p.setPen(pen(kBlue, 2.0, Qt::DashLine));
    p.drawPath(tracePath(16, 29, 16, {{22.5, -11, 2.2}}));
    p.setPen(pen(kInk, 1.3));
    p.drawLine(QPointF(24, 6), QPointF(28, 6));
    p.drawLine(QPointF(26, 4), QPointF(26, 8));
    p.drawLine(QPointF(4, 26), QPointF(8, 26));
}

void drawStart(QPainter& p) {
    p.setPen(pen(QColor(0x1f, 0x74, 0x42), 1.4));
    p.setBrush(kGreen);
    p.drawEllipse(QPointF(16, 16), 12.5, 12.5);
    QPainterPath play;
    play.moveTo(12.5, 9.5);
    play.lineTo(23, 16);
    play.lineTo(12.5, 22.5);
    play.closeSubpath();
    p.setPen(pen(Qt::white, 1.5));
    p.setBrush(Qt::white);
    p.drawPath(play);
}

void drawStop(QPainter& p) {
    p.setPen(pen(QColor(0x9a, 0x2a, 0x22), 1.4));
    p.setBrush(kRed);
    p.drawEllipse(QPointF(16, 16), 12.5, 12.5);
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    p.drawRoundedRect(QRectF(11, 11, 10, 10), 1.2, 1.2);
}

void drawCalibrate(QPainter& p) {
    // A gas syringe: a known volume for the calibration.
    p.save();
    p.translate(16, 16);
    p.rotate(-45);
    p.setPen(pen(kInk, 1.4));
    p.drawLine(QPointF(-15, 0), QPointF(-9, 0));
    p.drawLine(QPointF(-15, -4), QPointF(-15, 4));
    p.setBrush(kPaper);
    p.drawRect(QRectF(-9, -4.5, 17, 9));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x2f, 0x7b, 0xd6, 150));
    p.drawRect(QRectF(-3, -3.8, 10.3, 7.6));
    p.setPen(pen(kInk, 1.4));
    p.setBrush(Qt::NoBrush);
    p.drawRect(QRectF(-9, -4.5, 17, 9));
    p.drawLine(QPointF(-9, -6.5), QPointF(-9, 6.5));
    p.setPen(pen(kInk, 1.0));
    for (double x : {-1.0, 2.0, 5.0}) p.drawLine(QPointF(x, -4.5), QPointF(x, -1.5));
    p.setPen(pen(kInk, 1.6));
    p.drawLine(QPointF(8, 0), QPointF(15, 0));
    p.restore();
    badgeCircle(p, QPointF(8, 24), 5.5, kOrange);
    p.setPen(pen(Qt::white, 1.5));
    p.setBrush(Qt::NoBrush);
    p.drawPath(tracePath(4, 12, 26.5, {{8, 5, 1.1}}, 0.2));
}

void drawClearTrace(QPainter& p) {
    axes(p, 4, 4, 29, 27);
    p.setBrush(Qt::NoBrush);
    p.setPen(pen(kTrace, 2.0));
    p.drawPath(tracePath(6, 15, 23, {{10, 10, 2.0}}));
    p.setPen(pen(QColor(0xe0, 0x1e, 0x78, 70), 1.6));
    p.drawPath(tracePath(15, 29, 23, {{21, 8, 2.0}}));
    p.save();
    p.translate(21, 14);
    p.rotate(-35);
    p.setPen(pen(kInk, 1.3));
    p.setBrush(QColor(0xf2, 0x8b, 0x9b));
    p.drawRoundedRect(QRectF(-8, -4.5, 10, 9), 1.5, 1.5);
    p.setBrush(QColor(0x5f, 0x7a, 0xa8));
    p.drawRoundedRect(QRectF(2, -4.5, 7, 9), 1.5, 1.5);
    p.restore();
}

void drawComparison(QPainter& p) {
    p.setPen(pen(kInk, 1.8));
    p.drawLine(QPointF(16, 5), QPointF(16, 26));
    p.drawLine(QPointF(10, 27), QPointF(22, 27));
    p.drawLine(QPointF(5, 8), QPointF(27, 8));
    p.setPen(pen(kInk, 1.0));
    p.drawLine(QPointF(5, 8), QPointF(2, 17));
    p.drawLine(QPointF(5, 8), QPointF(8, 17));
    p.drawLine(QPointF(27, 8), QPointF(24, 17));
    p.drawLine(QPointF(27, 8), QPointF(30, 17));
    p.setPen(pen(kInk, 1.2));
    p.setBrush(kBlue);
    p.drawChord(QRectF(1.5, 12.5, 7, 9), 180 * 16, 180 * 16);
    p.setBrush(kOrange);
    p.drawChord(QRectF(23.5, 12.5, 7, 9), 180 * 16, 180 * 16);
    p.setPen(Qt::NoPen);
    p.setBrush(kInk);
    p.drawEllipse(QPointF(16, 5), 2, 2);
}

void drawBet(QPainter& p) {
    axes(p, 4, 4, 29, 27);
    p.setPen(pen(kBlue, 1.8));
    p.drawLine(QPointF(6, 23), QPointF(28, 7));
    p.setPen(pen(kDeepBlue, 1.0));
    p.setBrush(kOrange);
    for (const QPointF& point : {QPointF(9, 20.5), QPointF(14, 17.2), QPointF(19, 13.3), QPointF(24, 10.1)})
        p.drawEllipse(point, 2.2, 2.2);
}

void drawListBase(QPainter& p) {
    p.setPen(pen(kInk, 1.3));
    p.setBrush(kPaper);
    p.drawRoundedRect(QRectF(3.5, 4.5, 20, 23), 1.5, 1.5);
    p.setPen(pen(kGrey, 1.6));
    for (int i = 0; i < 4; ++i) {
        const double y = 9.5 + i * 4.8;
        p.drawLine(QPointF(7, y), QPointF(20, y));
    }
}

void drawStar(QPainter& p, QPointF centre, double radius, const QColor& fill) {
    QPainterPath star;
    for (int i = 0; i < 10; ++i) {
        const double a = -std::numbers::pi / 2 + i * std::numbers::pi / 5;
        const double r = i % 2 == 0 ? radius : radius * 0.45;
        const QPointF point(centre.x() + r * std::cos(a), centre.y() + r * std::sin(a));
        if (i == 0) star.moveTo(point);
        else star.lineTo(point);
    }
    star.closeSubpath();
    p.setPen(pen(QColor(0x9a, 0x6b, 0x08), 1.0));
    p.setBrush(fill);
    p.drawPath(star);
}

void drawListStandards(QPainter& p) {
    drawListBase(p);
    drawStar(p, QPointF(24, 23), 7.5, kYellow);
}

void drawListComparison(QPainter& p) {
    drawListBase(p);
    badgeCircle(p, QPointF(24, 23), 7, kPaper);
    p.setPen(Qt::NoPen);
    p.setBrush(kBlue);
    p.drawRect(QRectF(19.5, 19.5, 3.5, 7.5));
    p.setBrush(kOrange);
    p.drawRect(QRectF(24.5, 22, 3.5, 5));
}

void drawListBet(QPainter& p) {
    drawListBase(p);
    badgeCircle(p, QPointF(24, 23), 7, kPaper);
    p.setPen(pen(kBlue, 1.6));
    p.drawLine(QPointF(19.5, 27), QPointF(28.5, 19.5));
    p.setPen(Qt::NoPen);
    p.setBrush(kOrange);
    for (const QPointF& point : {QPointF(21.5, 25.3), QPointF(24.5, 22.8), QPointF(27, 20.8)})
        p.drawEllipse(point, 1.5, 1.5);
}

void drawNeutral(QPainter& p) {
    p.setPen(pen(kGrey, 1.6));
    p.setBrush(QColor(0xee, 0xf1, 0xf4));
    p.drawRoundedRect(QRectF(5, 5, 22, 22), 4, 4);
    p.setPen(Qt::NoPen);
    p.setBrush(kGrey);
    p.drawEllipse(QPointF(16, 16), 3, 3);
}

Draw pictogramOf(int commandId) {
    switch (commandId) {
    case kCmdNewDatabase: return drawNewDatabase;
    case kCmdOpen: return drawOpen;
    case kCmdSave: return drawSave;
    case kCmdPrint: return drawPrint;
    case kCmdZeroSignal: return drawZeroSignal;
    case kCmdRestoreSignal: return drawRestoreSignal;
    case kCmdManualPeak: return drawManualPeak;
    case kCmdReadout: return drawReadout;
    case kCmdDeleteStretch: return drawDeleteStretch;
    case kCmdZoomIn: return [](QPainter& p) { drawMagnifier(p, true); };
    case kCmdZoomOut: return [](QPainter& p) { drawMagnifier(p, false); };
    case kCmdZoomBox: return drawZoomBox;
    case kCmdSettings: return drawSettings;
    case kCmdTemperatureProgram:
    case kCmdTemperatureProgramAlt: return drawFurnace;
    case kCmdFlowSetting: return drawFlow;
    case kCmdGasPath: return drawGasPath;
    case kCmdInvertPolarity: return drawReversePolarity;
    case kCmdStartMeasurement: return drawStart;
    case kCmdStopMeasurement: return drawStop;
    case kCmdCalibration: return drawCalibrate;
    case kCmdClearTrace: return drawClearTrace;
    case kCmdComparisonMethod: return drawComparison;
    case kCmdBetMethod: return drawBet;
    case kCmdShowStandards: return drawListStandards;
    case kCmdShowComparisonSamples: return drawListComparison;
    case kCmdShowBetSamples: return drawListBet;
    default: return drawNeutral;
    }
}

// Renders a drawing made for a design box of `design` units into a square of `side` pixels,
// placed at `origin` of a transparent image of `size`.
QPixmap render(const Draw& draw, QSize size, QPointF origin, double side, double design) {
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    p.translate(origin);
    p.scale(side / design, side / design);
    draw(p);
    p.end();
    return QPixmap::fromImage(image);
}

// ---- view-button pictures, drawn in a 20 × 20 box -------------------------------------------

void drawAxisArrows(QPainter& p, bool outwards) {
    // Drawn for the time axis; the voltage axis uses it rotated.
    p.setPen(pen(kInk, 1.3));
    p.drawLine(QPointF(2, 16.5), QPointF(18, 16.5));
    for (double x : {2.0, 6.0, 10.0, 14.0, 18.0}) p.drawLine(QPointF(x, 16.5), QPointF(x, 14.5));
    if (outwards) {
        arrow(p, QPointF(8.5, 8), QPointF(1.5, 8), kBlue, 1.8, 4.2);
        arrow(p, QPointF(11.5, 8), QPointF(18.5, 8), kBlue, 1.8, 4.2);
        p.setPen(pen(kInk, 1.3));
        p.drawLine(QPointF(10, 4.5), QPointF(10, 11.5));
    } else {
        arrow(p, QPointF(1.5, 8), QPointF(8, 8), kBlue, 1.8, 4.2);
        arrow(p, QPointF(18.5, 8), QPointF(12, 8), kBlue, 1.8, 4.2);
        p.setPen(pen(kInk, 1.3));
        p.drawLine(QPointF(10, 4.5), QPointF(10, 11.5));
    }
}

void drawVoltArrows(QPainter& p, bool outwards) {
    // The time-axis picture turned a quarter: its axis lands on the left, its arrows upright.
    p.save();
    p.translate(20, 0);
    p.rotate(90);
    drawAxisArrows(p, outwards);
    p.restore();
}

void drawRestoreRange(QPainter& p) {
    p.setPen(pen(kInk, 1.2, Qt::DashLine));
    p.setBrush(Qt::NoBrush);
    p.drawRect(QRectF(5.5, 5.5, 9, 9));
    p.setPen(pen(kBlue, 1.9));
    // Counter-clockwise from the upper left round to the upper right, the head at its end.
    p.drawArc(QRectF(2, 2, 16, 16), 120 * 16, 272 * 16);
    arrowHead(p, QPointF(15.0, 3.4), 236, 5, kBlue);
}

void drawDocument(QPainter& p, QPointF at) {
    QPainterPath page;
    page.moveTo(at + QPointF(0, 0));
    page.lineTo(at + QPointF(8, 0));
    page.lineTo(at + QPointF(12, 4));
    page.lineTo(at + QPointF(12, 16));
    page.lineTo(at + QPointF(0, 16));
    page.closeSubpath();
    p.setPen(pen(kInk, 1.1));
    p.setBrush(kPaper);
    p.drawPath(page);
    p.setBrush(Qt::NoBrush);
    p.drawLine(at + QPointF(8, 0), at + QPointF(8, 4));
    p.drawLine(at + QPointF(8, 4), at + QPointF(12, 4));
    p.setPen(pen(kGrey, 1.1));
    for (double y : {6.5, 9.5, 12.5}) p.drawLine(at + QPointF(2.5, y), at + QPointF(9.5, y));
}

void drawPoreProperties(QPainter& p) {
    drawDocument(p, QPointF(2, 1.5));
    badgeCircle(p, QPointF(14.5, 14.5), 4.8, kBlue);
    p.setPen(pen(Qt::white, 1.6));
    p.drawLine(QPointF(14.5, 13.5), QPointF(14.5, 17));
    p.drawPoint(QPointF(14.5, 11.6));
}

void drawDeletePoreRecord(QPainter& p) {
    drawDocument(p, QPointF(2, 1.5));
    badgeCross(p, QPointF(14.5, 14.5), 4.8, 1.5);
}

void drawDeleteAllPoreRecords(QPainter& p) {
    drawDocument(p, QPointF(5, 0.5));
    drawDocument(p, QPointF(1.5, 3));
    badgeCross(p, QPointF(14.5, 15), 4.8, 1.5);
}

void drawPoreReport(QPainter& p) {
    QPainterPath page;
    page.addRoundedRect(QRectF(2.5, 1.5, 15, 17), 1.2, 1.2);
    p.setPen(pen(kInk, 1.1));
    p.setBrush(kPaper);
    p.drawPath(page);
    p.setPen(Qt::NoPen);
    const double heights[] = {3, 6, 10, 7, 4, 2};
    for (int i = 0; i < 6; ++i) {
        p.setBrush(i == 2 ? kOrange : kBlue);
        p.drawRect(QRectF(4.5 + i * 1.9, 15.5 - heights[i], 1.6, heights[i]));
    }
    p.setPen(pen(kInk, 1.0));
    p.drawLine(QPointF(4, 15.8), QPointF(16, 15.8));
}

void drawSampleDetails(QPainter& p) {
    drawDocument(p, QPointF(2, 1.5));
    p.save();
    p.translate(8.5, 8.5);
    p.scale(0.36, 0.36);
    drawMagnifier(p, false);
    p.restore();
}

void drawRows(QPainter& p, const int (&marks)[3]) {
    // marks: 1 ticked box, 0 empty box.
    for (int i = 0; i < 3; ++i) {
        const double y = 2.5 + i * 5.8;
        p.setPen(pen(kInk, 1.0));
        p.setBrush(marks[i] ? kBlue : kPaper);
        p.drawRoundedRect(QRectF(2, y, 4.5, 4.5), 0.8, 0.8);
        if (marks[i]) {
            p.setPen(pen(Qt::white, 1.1));
            p.drawLine(QPointF(3, y + 2.3), QPointF(4, y + 3.4));
            p.drawLine(QPointF(4, y + 3.4), QPointF(5.7, y + 1.1));
        }
        p.setPen(pen(kGrey, 1.5));
        p.drawLine(QPointF(9, y + 2.25), QPointF(18, y + 2.25));
    }
}

void drawSelectAll(QPainter& p) { drawRows(p, {1, 1, 1}); }

void drawInvertSelection(QPainter& p) {
    drawRows(p, {1, 0, 1});
    badgeCircle(p, QPointF(15, 15), 4.6, kOrange);
    p.setPen(pen(Qt::white, 1.2));
    p.drawLine(QPointF(12.5, 14), QPointF(17.3, 14));
    p.drawLine(QPointF(12.7, 16.2), QPointF(17.5, 16.2));
    arrowHead(p, QPointF(17.8, 14), 0, 2.4, Qt::white);
    arrowHead(p, QPointF(12.2, 16.2), 180, 2.4, Qt::white);
}

void drawClearSelection(QPainter& p) { drawRows(p, {0, 0, 0}); }

void drawDeleteSelected(QPainter& p) {
    drawRows(p, {1, 0, 1});
    badgeCross(p, QPointF(15, 15), 4.6, 1.5);
}

void drawDeleteAll(QPainter& p) {
    p.setPen(pen(kInk, 1.2));
    p.setBrush(QColor(0xc9, 0xd2, 0xdc));
    QPainterPath bin;
    bin.moveTo(4.5, 6);
    bin.lineTo(15.5, 6);
    bin.lineTo(14.3, 18.5);
    bin.lineTo(5.7, 18.5);
    bin.closeSubpath();
    p.drawPath(bin);
    p.setPen(pen(kInk, 1.0));
    for (double x : {7.8, 10.0, 12.2}) p.drawLine(QPointF(x, 8.5), QPointF(x, 16.5));
    p.setPen(pen(kInk, 1.4));
    p.setBrush(kRed);
    p.drawRoundedRect(QRectF(3, 3.5, 14, 2.5), 0.8, 0.8);
    p.drawLine(QPointF(8, 3.5), QPointF(8.5, 1.8));
    p.drawLine(QPointF(8.5, 1.8), QPointF(11.5, 1.8));
    p.drawLine(QPointF(11.5, 1.8), QPointF(12, 3.5));
}

void drawBack(QPainter& p) {
    badgeCircle(p, QPointF(10, 10), 8.5, kBlue);
    arrow(p, QPointF(15, 10), QPointF(4.5, 10), Qt::white, 2.2, 6);
}

Draw viewPictogramOf(int index) {
    switch (index) {
    case 0: return [](QPainter& p) { drawAxisArrows(p, true); };
    case 1: return [](QPainter& p) { drawAxisArrows(p, false); };
    case 2: return [](QPainter& p) { drawVoltArrows(p, true); };
    case 3: return [](QPainter& p) { drawVoltArrows(p, false); };
    case 4: return drawRestoreRange;
    case 6: return drawPoreProperties;
    case 7: return drawDeletePoreRecord;
    case 8: return drawDeleteAllPoreRecords;
    case 9: return drawPoreReport;
    case 10: return drawSampleDetails;
    case 11: return drawSelectAll;
    case 12: return drawInvertSelection;
    case 13: return drawClearSelection;
    case 14: return drawDeleteSelected;
    case 15: return drawDeleteAll;
    case 20: return drawBack;
    default: return nullptr;
    }
}

// ---- the larger pictures ---------------------------------------------------------------------

QFont latinFont(int pixelSize, bool bold) {
    QFont font;
    font.setFamilies({"DejaVu Sans", "Noto Sans CJK SC"});
    font.setPixelSize(pixelSize);
    font.setBold(bold);
    font.setStyleStrategy(QFont::PreferAntialias);
    return font;
}

void drawAppMark(QPainter& p, const QRectF& box) {
    QLinearGradient back(box.topLeft(), box.bottomLeft());
    back.setColorAt(0, QColor(0x2f, 0x86, 0xe6));
    back.setColorAt(1, QColor(0x0d, 0x3a, 0x75));
    const double radius = box.width() * 0.2;
    p.setPen(Qt::NoPen);
    p.setBrush(back);
    p.drawRoundedRect(box, radius, radius);
    p.save();
    p.translate(box.topLeft());
    p.scale(box.width() / 32.0, box.height() / 32.0);
    p.setPen(pen(QColor(255, 255, 255, 60), 0.8));
    for (double x : {8.0, 16.0, 24.0}) p.drawLine(QPointF(x, 4), QPointF(x, 28));
    for (double y : {10.0, 18.0}) p.drawLine(QPointF(4, y), QPointF(28, y));
    const std::initializer_list<Peak> peaks{{13, 17, 2.4}, {22, 6, 2.0}};
    QPainterPath fill = tracePath(3, 29, 25.5, peaks);
    fill.lineTo(29, 25.5);
    fill.lineTo(3, 25.5);
    fill.closeSubpath();
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0xff, 0x4f, 0x9a, 110));
    p.drawPath(fill);
    p.setBrush(Qt::NoBrush);
    p.setPen(pen(Qt::white, 2.2));
    p.drawPath(tracePath(3, 29, 25.5, peaks));
    p.restore();
}

// A vertical tube furnace with a glowing heating zone and the quartz tube through it.
void drawTubeFurnace(QPainter& p, const QRectF& body) {
    const double cx = body.center().x();
    // Quartz tube.
    const QRectF tube(cx - body.width() * 0.09, body.top() - 34, body.width() * 0.18, body.height() + 68);
    QLinearGradient glass(tube.topLeft(), tube.topRight());
    glass.setColorAt(0, QColor(220, 240, 255, 150));
    glass.setColorAt(0.5, QColor(255, 255, 255, 230));
    glass.setColorAt(1, QColor(200, 225, 245, 150));
    p.setPen(pen(QColor(180, 210, 235), 1.2));
    p.setBrush(glass);
    p.drawRoundedRect(tube, 4, 4);
    // Body.
    QLinearGradient metal(body.topLeft(), body.topRight());
    metal.setColorAt(0, QColor(0x4f, 0x5c, 0x6b));
    metal.setColorAt(0.35, QColor(0x9a, 0xa8, 0xb6));
    metal.setColorAt(1, QColor(0x3d, 0x48, 0x55));
    p.setPen(pen(QColor(0x22, 0x2b, 0x35), 1.5));
    p.setBrush(metal);
    p.drawRoundedRect(body, 8, 8);
    // Heating window.
    const QRectF window = body.adjusted(body.width() * 0.16, body.height() * 0.22, -body.width() * 0.16,
                                        -body.height() * 0.22);
    QRadialGradient heat(window.center(), window.height() * 0.7);
    heat.setColorAt(0, QColor(0xff, 0xe0, 0x7a));
    heat.setColorAt(0.55, QColor(0xff, 0x8a, 0x2a));
    heat.setColorAt(1, QColor(0xb8, 0x2a, 0x10));
    p.setPen(pen(QColor(0x2a, 0x1a, 0x12), 1.2));
    p.setBrush(heat);
    p.drawRoundedRect(window, 5, 5);
    // Heating coil turns across the tube.
    p.setPen(pen(QColor(0x9a, 0x22, 0x08, 200), 2.0));
    for (int i = 1; i < 7; ++i) {
        const double y = window.top() + window.height() * i / 7.0;
        p.drawLine(QPointF(window.left() + 4, y), QPointF(window.right() - 4, y));
    }
    // The tube seen through the window, with the sample bed.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 255, 255, 70));
    p.drawRect(QRectF(tube.left(), window.top(), tube.width(), window.height()));
    p.setBrush(QColor(0x6a, 0x4a, 0x2a, 200));
    p.drawRect(QRectF(tube.left() + 1, window.center().y() - 4, tube.width() - 2, 8));
    // Feet and a control panel strip.
    p.setBrush(QColor(0x2a, 0x33, 0x3d));
    p.drawRect(QRectF(body.left() + 8, body.bottom(), 10, 5));
    p.drawRect(QRectF(body.right() - 18, body.bottom(), 10, 5));
    p.setBrush(QColor(0x6c, 0xe0, 0x8c));
    p.drawEllipse(QPointF(body.left() + 12, body.bottom() - 10), 2.5, 2.5);
    p.setBrush(QColor(0xff, 0xc0, 0x40));
    p.drawEllipse(QPointF(body.left() + 20, body.bottom() - 10), 2.5, 2.5);
}

void drawGlowingTrace(QPainter& p, const QPainterPath& path, const QColor& colour) {
    p.setBrush(Qt::NoBrush);
    QColor halo = colour;
    halo.setAlpha(50);
    p.setPen(pen(halo, 7));
    p.drawPath(path);
    halo.setAlpha(90);
    p.setPen(pen(halo, 3.5));
    p.drawPath(path);
    p.setPen(pen(colour.lighter(130), 1.6));
    p.drawPath(path);
}

}  // namespace

QIcon commandIcon(int commandId) {
    const Draw draw = pictogramOf(commandId);
    QIcon icon;
    icon.addPixmap(render(draw, QSize(kToolbarButtonWidth, kToolbarButtonHeight), QPointF(1, 6), 28, 32));
    for (int side : {16, 24, 32, 48}) icon.addPixmap(render(draw, QSize(side, side), QPointF(0, 0), side, 32));
    return icon;
}

QPixmap viewButtonPicture(int index) {
    const QSize size(kViewButtonPictureSize, kViewButtonPictureSize);
    const Draw draw = viewPictogramOf(index);
    if (!draw) {
        QPixmap empty(size);
        empty.fill(Qt::transparent);
        return empty;
    }
    return render(draw, size, QPointF(0, 0), kViewButtonPictureSize, 20);
}

QPixmap splashPicture() {
    QImage image(kSplashWidth, kSplashHeight, QImage::Format_RGB32);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);

    constexpr int kPlainTop = 296;
    QLinearGradient sky(0, 0, 0, kPlainTop);
    sky.setColorAt(0, QColor(0x0b, 0x24, 0x47));
    sky.setColorAt(1, QColor(0x1d, 0x5c, 0x96));
    p.fillRect(QRect(0, 0, kSplashWidth, kPlainTop), sky);
    // Chart paper.
    p.setPen(QPen(QColor(255, 255, 255, 18), 1));
    for (int x = 20; x < kSplashWidth; x += 24) p.drawLine(x, 0, x, kPlainTop);
    for (int y = 12; y < kPlainTop; y += 24) p.drawLine(0, y, kSplashWidth, y);

    // The furnace on the right.
    drawTubeFurnace(p, QRectF(352, 62, 82, 138));
    // Gas flow arrows into the tube.
    arrow(p, QPointF(393, 6), QPointF(393, 24), QColor(0x9f, 0xe3, 0xff), 2.0, 7);

    // A TPD trace: desorption peaks rising from the baseline.
    const std::initializer_list<Peak> peaks{{92, 34, 9}, {168, 92, 15}, {250, 48, 12}, {318, 20, 10}};
    QPainterPath fill = tracePath(18, 450, 268, peaks, 1.0);
    fill.lineTo(450, 268);
    fill.lineTo(18, 268);
    fill.closeSubpath();
    QLinearGradient under(0, 170, 0, 268);
    under.setColorAt(0, QColor(0x5f, 0xd8, 0xff, 110));
    under.setColorAt(1, QColor(0x5f, 0xd8, 0xff, 10));
    p.setPen(Qt::NoPen);
    p.setBrush(under);
    p.drawPath(fill);
    drawGlowingTrace(p, tracePath(18, 450, 268, peaks, 1.0), QColor(0x7f, 0xe6, 0xff));
    // Tm marks on the two largest peaks.
    p.setPen(pen(QColor(0xff, 0xd2, 0x5a), 1.2, Qt::DashLine));
    p.drawLine(QPointF(168, 268 - 92 - 6), QPointF(168, 268));
    p.drawLine(QPointF(250, 268 - 48 - 6), QPointF(250, 268));

    // Name and subtitle.
    p.setPen(Qt::white);
    p.setFont(latinFont(40, true));
    p.drawText(QPointF(26, 72), "Vespian2002");
    p.setPen(QColor(0xff, 0x5a, 0xa5));
    p.fillRect(QRectF(29, 86, 150, 3), QColor(0xff, 0x5a, 0xa5));
    p.setPen(QColor(0xe6, 0xf3, 0xff));
    p.setFont(programFont(24, true));
    p.drawText(QPointF(28, 122), "动态流动化学吸附仪");
    p.setPen(QColor(0xa9, 0xd4, 0xf5));
    p.setFont(programFont(14));
    p.drawText(QPointF(30, 148), "程序升温脱附 · 还原 · 氧化    脉冲滴定    BET");
    p.setFont(latinFont(12, false));
    p.setPen(QColor(0xa9, 0xd4, 0xf5));
    p.drawText(QRectF(0, 274, kSplashWidth - 16, 16), Qt::AlignRight | Qt::AlignVCenter, "v2.9.10.12");

    // The plain strip for the progress bar.
    p.fillRect(QRect(0, kPlainTop, kSplashWidth, kSplashHeight - kPlainTop), QColor(0xee, 0xf2, 0xf6));
    p.fillRect(QRect(0, kPlainTop, kSplashWidth, 2), QColor(0xff, 0x5a, 0xa5));
    p.end();
    return QPixmap::fromImage(image);
}

QPixmap aboutPicture() {
    QImage image(kAboutWidth, kAboutHeight, QImage::Format_RGB32);
    image.fill(QColor(0xf4, 0xf6, 0xf9));
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);

    // Header band.
    constexpr int kHeader = 112;
    QLinearGradient band(0, 0, kAboutWidth, kHeader);
    band.setColorAt(0, QColor(0x0b, 0x24, 0x47));
    band.setColorAt(1, QColor(0x1d, 0x5c, 0x96));
    p.fillRect(QRect(0, 0, kAboutWidth, kHeader), band);
    p.setPen(QPen(QColor(255, 255, 255, 16), 1));
    for (int x = 16; x < kAboutWidth; x += 24) p.drawLine(x, 0, x, kHeader);
    const std::initializer_list<Peak> peaks{{385, 30, 8}, {440, 55, 11}, {492, 22, 8}};
    drawGlowingTrace(p, tracePath(330, 520, 100, peaks, 1.0), QColor(0x7f, 0xe6, 0xff));
    drawAppMark(p, QRectF(22, 22, 68, 68));
    p.setPen(Qt::white);
    p.setFont(latinFont(34, true));
    p.drawText(QPointF(106, 60), "Vespian2002");
    p.setPen(QColor(0xa9, 0xd4, 0xf5));
    p.setFont(latinFont(16, false));
    p.drawText(QPointF(108, 88), "v2.9.10.12");
    p.fillRect(QRect(0, kHeader, kAboutWidth, 3), QColor(0xff, 0x5a, 0xa5));

    // What the program is.
    p.setPen(QColor(0x1d, 0x2a, 0x38));
    p.setFont(programFont(18, true));
    p.drawText(QPointF(24, 150), "动态流动化学吸附仪 控制与数据处理软件");
    p.setPen(QColor(0x3a, 0x4a, 0x5c));
    p.setFont(programFont(14));
    p.drawText(QPointF(24, 180), "程序升温脱附/还原/氧化(TPD/TPR/TPO)  氢氧脉冲滴定");
    p.drawText(QPointF(24, 203), "脱附量测试  多点BET比表面积  对比法  孔径报告");
    p.drawText(QPointF(24, 226), "谱图实时采集  人工识峰  定量峰与吸附量标定");

    // The credits strip the about box scrolls: white, so that what scrolls in from below is white.
    const QRect strip(kAboutStripLeft, kAboutStripTop, kAboutStripWidth, kAboutStripHeight);
    p.setPen(QColor(0xc3, 0xcc, 0xd6));
    p.setBrush(Qt::NoBrush);
    p.drawRect(strip.adjusted(-1, -1, 0, 0));
    p.fillRect(strip, Qt::white);
    p.setPen(QColor(0x1d, 0x2a, 0x38));
    p.setFont(programFont(14, true));
    p.drawText(QRect(strip.left(), strip.top() + 6, strip.width(), 18), Qt::AlignHCenter, "Vespian2002 动态流动化学吸附仪软件");
    p.setFont(programFont(13));
    p.setPen(QColor(0x3a, 0x4a, 0x5c));
    const char* const kCredits[] = {"仪器通讯 · 数据采集 · 谱图处理 · 报告打印", "界面、图形与程序均由 Vespian 项目组编写",
                                    "感谢每一位使用本软件的实验人员！"};
    int y = strip.top() + 30;
    for (const char* line : kCredits) {
        p.drawText(QRect(strip.left(), y, strip.width(), 18), Qt::AlignHCenter, QString::fromUtf8(line));
        y += 21;
    }

    // Beside the strip: a small furnace and how to close the box.
    drawTubeFurnace(p, QRectF(446, 268, 40, 58));
    p.setPen(QColor(0x7a, 0x88, 0x96));
    p.setFont(programFont(12));
    p.drawText(QRect(414, 344, 104, 16), Qt::AlignHCenter, "单击任意处关闭");
    p.end();
    return QPixmap::fromImage(image);
}

QImage bannerStrip() {
    QImage image(kBannerPeriod + kBannerWindowWidth, kBannerHeight, QImage::Format_RGB32);
    image.fill(QColor(0x0c, 0x1d, 0x30));
    QPainter p(&image);
    // Grid with a pitch that divides the period, so it repeats with the trace.
    p.setPen(QColor(0x17, 0x33, 0x50));
    for (int x = 0; x < image.width(); x += 10) p.drawLine(x, 0, x, kBannerHeight - 1);
    for (int y = 4; y < kBannerHeight; y += 10) p.drawLine(0, y, image.width() - 1, y);
    p.setRenderHint(QPainter::Antialiasing);

    // Peaks placed within one period and repeated one period either side, plus a gentle
    // baseline wander of whole cycles per period.
    const Peak peaks[] = {{90, 18, 7}, {260, 30, 10}, {330, 9, 6}, {520, 24, 12}, {700, 14, 8},
                          {860, 31, 9}, {990, 11, 6}, {1150, 22, 14}, {1320, 16, 8}};
    auto level = [&](double x) {
        double y = 38.0;
        for (const Peak& peak : peaks)
            for (int shift : {-kBannerPeriod, 0, kBannerPeriod}) {
                const double u = (x - peak.centre - shift) / peak.width;
                y -= peak.height * std::exp(-0.5 * u * u);
            }
        y += 1.2 * std::sin(2 * std::numbers::pi * x * 3 / kBannerPeriod);
        y += 0.6 * std::sin(2 * std::numbers::pi * x * 37 / kBannerPeriod);
        return y;
    };
    QPainterPath path;
    // Drawn from one period before, so the antialiased start matches the repeat exactly.
    path.moveTo(-20, level(-20));
    for (double x = -19.5; x <= image.width() + 20; x += 0.5) path.lineTo(x, level(x));
    drawGlowingTrace(p, path, QColor(0x46, 0xe0, 0x7c));
    p.end();
    // Make the repeat exact to the pixel, whatever rounding the painter did.
    for (int y = 0; y < kBannerHeight; ++y) {
        auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = kBannerPeriod; x < image.width(); ++x) row[x] = row[x - kBannerPeriod];
    }
    return image;
}

QImage bannerOverlay() {
    QImage image(100, 18, QImage::Format_RGB32);
    image.fill(Qt::black);
    QPainter p(&image);
    p.setRenderHint(QPainter::TextAntialiasing);
    p.setPen(QColor(0xff, 0xa8, 0x10));
    p.setFont(latinFont(12, true));
    p.drawText(QRect(4, 0, 96, 18), Qt::AlignLeft | Qt::AlignVCenter, "Vespian2002");
    p.end();
    return image;
}

QIcon applicationIcon() {
    QIcon icon;
    for (int side : {16, 24, 32, 48, 64, 128, 256}) {
        QImage image(side, side, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        QPainter p(&image);
        p.setRenderHint(QPainter::Antialiasing);
        drawAppMark(p, QRectF(side * 0.03, side * 0.03, side * 0.94, side * 0.94));
        p.end();
        icon.addPixmap(QPixmap::fromImage(image));
    }
    return icon;
}

}  // namespace vespian
