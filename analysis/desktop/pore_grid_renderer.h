#pragma once
// The grid of pore-point thumbnails (102 × 102, 110 pixels apart) over the list background.

#include <QImage>
#include <QPainter>
#include <QRect>

#include "analysis/pore.h"

namespace vespian {

class PoreGridRenderer {
public:
    // One thumbnail on the background.
    static QImage thumbnail(const PoreTable& table, int index, const QImage& background);
    // The points' thumbnails in `area`, scrolled by `scroll` pixels.
    static void draw(QPainter& painter, const QRect& area, const PoreTable& table, int scroll, const QImage& background);
};

}  // namespace vespian
