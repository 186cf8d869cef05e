#include "platform/desktop/draw_list_painter.h"

#include <QFontMetrics>
#include <QPagedPaintDevice>
#include <QPen>
#include <QPolygon>


namespace vespian {

namespace {

// The share of the em above the baseline in "宋体" and "黑体".
constexpr double kAscentPerEm = 0.86;

QColor colourOf(DrawColour c) { return QColor((c >> 16) & 0xFF, (c >> 8) & 0xFF, c & 0xFF); }

QRect rectOf(const DrawBox& box) { return QRect(QPoint(box.left, box.top), QPoint(box.right - 1, box.bottom - 1)); }

// Clips to the item's box, if it has one, for the lifetime of the guard.
class ClipGuard {
public:
    ClipGuard(QPainter& painter, const DrawBox& clip) : painter_(painter), active_(!clip.empty()) {
        if (!active_) return;
        painter_.save();
        painter_.setClipRect(rectOf(clip), Qt::IntersectClip);
    }
    ~ClipGuard() {
        if (active_) painter_.restore();
    }
    ClipGuard(const ClipGuard&) = delete;
    ClipGuard& operator=(const ClipGuard&) = delete;

private:
    QPainter& painter_;
    bool active_;
};

QPen penOf(DrawColour colour, int32_t width, bool dotted = false) {
    QPen pen(colourOf(colour));
    pen.setWidth(std::max(1, width));
    pen.setCapStyle(Qt::FlatCap);
    if (dotted) pen.setDashPattern({6.0 / pen.widthF(), 6.0 / pen.widthF()});
    return pen;
}

// Pages: a printer's, or a PDF document's.
TextMedium mediumOf(const QPainter& p) {
    return dynamic_cast<const QPagedPaintDevice*>(p.device()) != nullptr ? TextMedium::Page : TextMedium::Screen;
}

void paint(QPainter& p, const DrawText& t, TextMedium medium) {
    ClipGuard clip(p, t.clip);
    const QFont font = drawListFont(t.face, t.pixelSize, medium);
    const QFontMetrics metrics(font);
    const QString text = QString::fromUtf8(t.text.data(), static_cast<qsizetype>(t.text.size()));
    const int width = metrics.horizontalAdvance(text);
    int x = t.x;
    if (!t.after.empty()) x += metrics.horizontalAdvance(QString::fromUtf8(t.after.data(), qsizetype(t.after.size())));
    if (t.h == HAlign::Centre) x -= width / 2;
    if (t.h == HAlign::Right) x -= width;
    // Texts are placed by their em box, as the program's own faces ("宋体", "黑体") fill it:
    // a fallback face with taller ascenders then sits where those would, not lower.
    const int em = font.pixelSize();
    const int baseline = static_cast<int>(kAscentPerEm * em + 0.5);
    const int top = t.v == VAlign::Centre ? -em / 2 : 0;
    p.setFont(font);
    p.setPen(colourOf(t.colour));
    if (!t.rotated) {
        p.drawText(QPoint(x, t.y + top + baseline), text);
        return;
    }
    p.save();
    p.translate(t.x, t.y);
    p.rotate(-90.0);
    p.drawText(QPoint(0, baseline), text);
    p.restore();
}

}  // namespace

QFont drawListFont(FontFace face, int pixelSize, TextMedium medium) {
    pixelSize = std::max(1, pixelSize);
    return face == FontFace::Song ? programFont(pixelSize, false, medium) : programHeiFont(pixelSize, medium);
}

void paintDrawList(QPainter& p, const DrawList& list) {
    p.save();
    p.setBackgroundMode(Qt::TransparentMode);
    p.setBrush(Qt::NoBrush);
    const TextMedium medium = mediumOf(p);
    for (const DrawItem& item : list.items) {
        if (const auto* t = std::get_if<DrawText>(&item)) {
            paint(p, *t, medium);
        } else if (const auto* l = std::get_if<DrawLine>(&item)) {
            ClipGuard clip(p, l->clip);
            p.setPen(penOf(l->colour, l->width, l->dotted));
            p.drawLine(l->from.x, l->from.y, l->to.x, l->to.y);
        } else if (const auto* f = std::get_if<DrawFrame>(&item)) {
            ClipGuard clip(p, f->clip);
            p.setPen(penOf(f->colour, f->width));
            p.drawRect(f->box.left, f->box.top, f->box.right - f->box.left - 1, f->box.bottom - f->box.top - 1);
        } else if (const auto* fill = std::get_if<DrawFill>(&item)) {
            p.fillRect(rectOf(fill->box), colourOf(fill->colour));
        } else if (const auto* poly = std::get_if<DrawPolyline>(&item)) {
            ClipGuard clip(p, poly->clip);
            p.setPen(penOf(poly->colour, poly->width));
            QPolygon points;
            points.reserve(static_cast<qsizetype>(poly->points.size()));
            for (const DrawPoint& point : poly->points) points << QPoint(point.x, point.y);
            p.drawPolyline(points);
        }
    }
    p.restore();
}

}  // namespace vespian
