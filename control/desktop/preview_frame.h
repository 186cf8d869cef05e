#pragma once
// The temperature-over-time picture both the furnace programme dialog and the method editor draw:
// the card with its summary line, the plot's mapping from (s, ℃) to pixels, and its grid, scales
// and frame, in the colours of the programme preview.

#include <QColor>
#include <QPainter>
#include <QPointF>
#include <QRectF>
#include <QString>

#include "control/programme_preview.h"

namespace vespian {

inline const QColor kPreviewPlan(0xd9, 0x45, 0x3b);
inline const QColor kPreviewGrid(0xe3, 0xe8, 0xee);
inline const QColor kPreviewInk(0x2b, 0x36, 0x42);
inline const QColor kPreviewMuted(0x6a, 0x76, 0x84);
inline const QColor kPreviewActive(0xff, 0xf1, 0xc9);

struct PreviewFrame {
    QRectF plot;
    PreviewAxes axes;
    QPointF at(double seconds, double celsius) const;
};

// The white card with its border and the bold summary on its first line.
void drawPreviewCard(QPainter& p, const QRect& rect, const QString& summary);
// Grid lines with their ℃ and minute scales, the units and the plot's frame.
void drawPreviewGrid(QPainter& p, const PreviewFrame& frame);

}  // namespace vespian
