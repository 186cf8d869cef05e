#include "control/desktop/preview_frame.h"

#include <QPen>
#include <algorithm>

#include "platform/desktop/program_font.h"

namespace vespian {

QPointF PreviewFrame::at(double seconds, double celsius) const {
    return QPointF(plot.left() + plot.width() * seconds / 60.0 / axes.maxMinutes,
                   plot.bottom() - plot.height() * std::clamp(celsius, 0.0, axes.maxC) / axes.maxC);
}

void drawPreviewCard(QPainter& p, const QRect& rect, const QString& summary) {
    p.setRenderHint(QPainter::Antialiasing);
    p.fillRect(rect, Qt::white);
    p.setPen(QPen(QColor(0xc5, 0xcf, 0xda), 1));
    p.drawRect(rect.adjusted(0, 0, -1, -1));
    p.setFont(programFont(13, true));
    p.setPen(kPreviewInk);
    p.drawText(QRect(10, 2, rect.width() - 20, 18), Qt::AlignLeft | Qt::AlignVCenter, summary);
}

void drawPreviewGrid(QPainter& p, const PreviewFrame& frame) {
    const QRectF& plot = frame.plot;
    const PreviewAxes& axes = frame.axes;
    p.setFont(programFont(11));
    for (double c = 0; c <= axes.maxC + 1e-9; c += axes.stepC) {
        const double y = frame.at(0, c).y();
        p.setPen(kPreviewGrid);
        p.drawLine(QPointF(plot.left(), y), QPointF(plot.right(), y));
        p.setPen(kPreviewMuted);
        p.drawText(QRectF(0, y - 7, plot.left() - 4, 14), Qt::AlignRight | Qt::AlignVCenter, QString::number(c));
    }
    for (double m = 0; m <= axes.maxMinutes + 1e-9; m += axes.minuteStep) {
        const double x = frame.at(m * 60.0, 0).x();
        p.setPen(kPreviewGrid);
        p.drawLine(QPointF(x, plot.top()), QPointF(x, plot.bottom()));
        p.setPen(kPreviewMuted);
        p.drawText(QRectF(x - 30, plot.bottom() + 2, 60, 14), Qt::AlignHCenter | Qt::AlignTop, QString::number(m));
    }
    p.drawText(QRectF(plot.right() + 16, plot.bottom() + 2, 30, 14), Qt::AlignLeft | Qt::AlignTop, "min");
    p.drawText(QRectF(2, plot.top() - 14, 60, 12), Qt::AlignLeft, "℃");
    p.setPen(QPen(QColor(0x9a, 0xa5, 0xb1), 1));
    p.setBrush(Qt::NoBrush);
    p.drawRect(plot);
}

}  // namespace vespian
