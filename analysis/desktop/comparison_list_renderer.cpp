#include "analysis/desktop/comparison_list_renderer.h"

#include "analysis/comparison_lists.h"
#include "platform/desktop/draw_list_painter.h"

namespace vespian {

namespace {

void drawList(QPainter& painter, const QRect& area, const QImage& background, const DrawList& list) {
    painter.save();
    painter.setClipRect(area);
    if (background.isNull()) {
        painter.fillRect(area, Qt::white);
    } else {
        painter.drawImage(area.topLeft(), background, QRect(QPoint(0, 0), area.size()));
    }
    painter.translate(area.topLeft());
    paintDrawList(painter, list);
    painter.restore();
}

}  // namespace

void ComparisonListRenderer::drawStandards(QPainter& painter, const QRect& area, const StandardTable& standards,
                                           std::span<const int32_t> widths, int screenWidth, int firstRow, int hScroll,
                                           const QImage& background) {
    drawList(painter, area, background,
             standardListDrawing(standards, widths, screenWidth, area.height(), firstRow, hScroll));
}

void ComparisonListRenderer::drawSamples(QPainter& painter, const QRect& area, const SampleTable& samples,
                                         std::span<const int32_t> widths, int screenWidth, int firstRow, int hScroll,
                                         const QImage& background) {
    drawList(painter, area, background, sampleListDrawing(samples, widths, screenWidth, area.height(), firstRow, hScroll));
}

}  // namespace vespian
