#include "analysis/desktop/pore_page_renderer.h"

#include "analysis/pore_page.h"
#include "platform/desktop/draw_list_painter.h"

namespace vespian {

QImage PorePageRenderer::pageImage(const SurfaceReportRecord& record, const PoreTable& table) {
    const auto rows = static_cast<int32_t>(poreDistribution(record, table).size());
    QImage image(kPorePageWidth, porePageHeight(rows), QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::TextAntialiasing);
    paintDrawList(painter, porePage(record, table, 1.0, 1.0));
    return image;
}

void PorePageRenderer::drawOnScreen(QPainter& painter, const QRect& area, const SurfaceReportRecord& record,
                                    const PoreTable& table, QPoint scroll) {
    const QImage page = pageImage(record, table);
    painter.fillRect(area, Qt::white);
    painter.drawImage(area.topLeft(), page, QRect(scroll, area.size()));
}

}  // namespace vespian
