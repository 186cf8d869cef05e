#include "control/desktop/digit_images.h"

#include <QPainterPath>

namespace vespian {

namespace {

const QColor kCell(0x10, 0x14, 0x18);

// Segments a–g of the digits 0–9, bit 0 = a … bit 6 = g.
constexpr std::array<unsigned, 10> kSegments = {0x3F, 0x06, 0x5B, 0x4F, 0x66, 0x6D, 0x7D, 0x07, 0x7F, 0x6F};

void segment(QPainter& p, QPointF from, QPointF to) { p.drawLine(from, to); }

QImage digitImage(int digit, const QColor& lit, const QColor& unlit) {
    QImage image(kDigitWidth, kDigitHeight, QImage::Format_RGB32);
    image.fill(kCell);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    // Corners of the figure, slanted a little like a real display.
    const double l = 3.0, r = 10.0, t = 3.0, m = 11.0, b = 19.0, slant = 0.8;
    const QPointF segmentEnds[7][2] = {
        {{l + 1 + slant, t}, {r - 1 + slant, t}},             // a
        {{r + slant, t + 1}, {r + slant / 2, m - 1}},         // b
        {{r + slant / 2, m + 1}, {r, b - 1}},                 // c
        {{l + 1, b}, {r - 1, b}},                             // d
        {{l, b - 1}, {l + slant / 2, m + 1}},                 // e
        {{l + slant / 2, m - 1}, {l + slant, t + 1}},         // f
        {{l + 1 + slant / 2, m}, {r - 1 + slant / 2, m}},     // g
    };
    for (int s = 0; s < 7; ++s) {
        const bool on = digit >= 0 && ((kSegments[static_cast<size_t>(digit)] >> s) & 1u) != 0;
        p.setPen(QPen(on ? lit : unlit, 2.0, Qt::SolidLine, Qt::RoundCap));
        segment(p, segmentEnds[s][0], segmentEnds[s][1]);
    }
    return image;
}

QImage pointImage(const QColor& lit) {
    QImage image(kPointWidth, kDigitHeight, QImage::Format_RGB32);
    image.fill(kCell);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(lit);
    p.drawEllipse(QPointF(3.0, 18.5), 1.6, 1.6);
    return image;
}

DigitImageSet makeSet(const QColor& lit) {
    const QColor unlit(lit.red() / 7 + 0x10, lit.green() / 7 + 0x12, lit.blue() / 7 + 0x14);
    DigitImageSet set;
    for (int d = 0; d < 10; ++d) set.digits[static_cast<size_t>(d)] = digitImage(d, lit, unlit);
    set.point = pointImage(lit);
    set.blank = digitImage(-1, lit, unlit);
    return set;
}

}  // namespace

const DigitImageSet& digitImages(DigitColour colour) {
    // Made once and kept while the program runs.
    static const DigitImageSet flow = makeSet(QColor(0x4c, 0xf0, 0x7a));
    static const DigitImageSet temperature = makeSet(QColor(0xff, 0xb0, 0x2e));
    return colour == DigitColour::Flow ? flow : temperature;
}

void drawDigitReadout(QPainter& painter, const DigitImageSet& images, double v, int x, int y) {
    const DigitLayout layout = layoutDigitReadout(v, x);
    for (const DigitDraw& blank : layout.blanks) painter.drawImage(blank.x, y, images.blank);
    for (int32_t i = 0; i < layout.drawCount; ++i) {
        const DigitDraw& d = layout.draws[static_cast<size_t>(i)];
        painter.drawImage(d.x, y, d.image == DigitImage::Point ? images.point : images.digits[static_cast<size_t>(d.digit)]);
    }
}

}  // namespace vespian
