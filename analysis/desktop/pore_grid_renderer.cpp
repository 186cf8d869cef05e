#include "analysis/desktop/pore_grid_renderer.h"

#include <algorithm>

#include "platform/desktop/draw_list_painter.h"

namespace vespian {

QImage PoreGridRenderer::thumbnail(const PoreTable& table, int index, const QImage& background) {
    QImage image(kPoreThumbnailSize, kPoreThumbnailSize, QImage::Format_RGB32);
    if (background.isNull()) {
        image.fill(Qt::white);
    } else {
        image = background.copy(0, 0, kPoreThumbnailSize, kPoreThumbnailSize).convertToFormat(QImage::Format_RGB32);
    }
    QPainter painter(&image);
    paintDrawList(painter, poreThumbnail(table, index));
    return image;
}

void PoreGridRenderer::draw(QPainter& painter, const QRect& area, const PoreTable& table, int scroll,
                            const QImage& background) {
    painter.save();
    painter.setClipRect(area);
    if (background.isNull()) {
        painter.fillRect(area, Qt::white);
    } else {
        painter.drawImage(area.topLeft(), background, QRect(QPoint(0, 0), area.size()));
    }
    const int columns = std::max(1, area.width() / kPoreThumbnailPitch);
    const int count = std::clamp(table.count, 0, kPorePointCapacity);
    for (int i = 0; i < count; ++i) {
        const int x = area.left() + (i % columns) * kPoreThumbnailPitch;
        const int y = area.top() + (i / columns) * kPoreThumbnailPitch - scroll;
        if (y + kPoreThumbnailSize < area.top() || y > area.bottom()) continue;
        painter.drawImage(QPoint(x, y), thumbnail(table, i, background));
    }
    painter.restore();
}

}  // namespace vespian
