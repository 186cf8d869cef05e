#include "analysis/desktop/bet_renderers.h"

#include "analysis/bet_list.h"
#include "analysis/bet_page.h"
#include "platform/desktop/draw_list_painter.h"

namespace vespian {

namespace {

// The list background picture under the area, or white.
void fillBackground(QPainter& painter, const QRect& area, const QImage& background) {
    if (background.isNull()) {
        painter.fillRect(area, Qt::white);
    } else {
        painter.drawImage(area.topLeft(), background, QRect(QPoint(0, 0), area.size()));
    }
}

}  // namespace

QImage BetPageRenderer::pageImage(const SurfaceReportRecord& record) {
    QImage image(kBetPageWidth, kBetPageHeight, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::TextAntialiasing);
    paintDrawList(painter, BetPage(record, 1.0, 1.0));
    return image;
}

void BetPageRenderer::drawOnScreen(QPainter& painter, const QRect& area, const SurfaceReportRecord& record,
                                   QPoint scroll) {
    const QImage page = pageImage(record);
    painter.fillRect(area, Qt::white);
    painter.drawImage(area.topLeft(), page, QRect(scroll, area.size()));
}

void BetPageRenderer::drawOnPage(QPainter& painter, int width, int height, const SurfaceReportRecord& record) {
    paintDrawList(painter, BetPage(record, double(width) / kBetPageWidth, double(height) / kBetPageHeight));
}

void BetListRenderer::draw(QPainter& painter, const QRect& area, const ReportTable& reports, int firstRow, int hScroll,
                           const QImage& background) {
    painter.save();
    painter.setClipRect(area);
    fillBackground(painter, area, background);
    painter.translate(area.topLeft());
    paintDrawList(painter, betListDrawing(reports, area.width(), area.height(), firstRow, hScroll));
    painter.restore();
}

}  // namespace vespian
