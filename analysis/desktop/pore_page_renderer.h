#pragma once
// A pore report's page as the list view shows it: drawn at scale 1 off screen (700 units wide,
// as high as its table) and copied into the view from the scroll offsets on.

#include <QImage>
#include <QPainter>
#include <QPoint>
#include <QRect>

#include "analysis/pore.h"
#include "files/record_database_layout.h"

namespace vespian {

class PorePageRenderer {
public:
    static QImage pageImage(const SurfaceReportRecord& record, const PoreTable& table);
    static void drawOnScreen(QPainter& painter, const QRect& area, const SurfaceReportRecord& record,
                             const PoreTable& table, QPoint scroll);
};

}  // namespace vespian
