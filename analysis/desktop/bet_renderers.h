#pragma once
// The BET list and the BET page as the main window's third view draws them, and the page as
// the printer receives it. The main window calls these with its painter and the view's
// rectangle; all positions come from the core (analysis/bet_page.h, analysis/bet_list.h).

#include <QImage>
#include <QPainter>
#include <QPoint>
#include <QRect>

#include "files/record_database_layout.h"

namespace vespian {

class BetPageRenderer {
public:
    // The page at scale 1 (700 × 1000), drawn off screen and copied into `area` from the
    // scroll offsets (horizontal, vertical) on.
    static void drawOnScreen(QPainter& painter, const QRect& area, const SurfaceReportRecord& record, QPoint scroll);
    // One printer page of width × height device pixels.
    static void drawOnPage(QPainter& painter, int width, int height, const SurfaceReportRecord& record);
    // The whole screen page.
    static QImage pageImage(const SurfaceReportRecord& record);
};

class BetListRenderer {
public:
    // The list in `area` over the list background picture (a null image: white), first row
    // and horizontal scroll as the view's scroll bars say.
    static void draw(QPainter& painter, const QRect& area, const ReportTable& reports, int firstRow, int hScroll,
                     const QImage& background);
};

}  // namespace vespian
