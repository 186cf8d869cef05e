#include "trace/desktop/axis_labels.h"

#include <QFontMetrics>
#include <QPainter>

#include "platform/desktop/program_font.h"
#include "platform/desktop/canvas.h"

namespace vespian {

void drawAxisLabels(QImage& canvas, const std::vector<AxisLabel>& labels) {
    QPainter painter(&canvas);
    painter.setFont(programFont(12));
    const QFontMetrics metrics(painter.font());
    for (const AxisLabel& label : labels) {
        const QString text = QString::fromStdString(label.text);
        const int w = metrics.horizontalAdvance(text);
        int x = label.x;
        if (label.align == LabelAlign::CentredOnX) x -= w / 2;
        if (label.align == LabelAlign::RightAligned) x -= w;
        int y = label.y;
        if (label.valign == LabelVAlign::Centred) y -= metrics.height() / 2;
        painter.setPen(qColour(label.colour));
        painter.drawText(QRect(x, y, w + 1, metrics.height()), Qt::AlignLeft | Qt::AlignTop, text);
    }
}

}  // namespace vespian
