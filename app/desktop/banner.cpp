#include "app/desktop/banner.h"

#include <QPainter>

#include <algorithm>
#include <utility>

#include "app/desktop/artwork.h"

namespace vespian {

namespace {

constexpr int kStep = 2;
constexpr int kLastColumn = 1420;
constexpr long long kCycle = kLastColumn / kStep + 1;  // ticks until the column is back at 0

const QColor kFrameDark(80, 80, 80);

}  // namespace

int bannerSourceColumn(long long tick) {
    long long phase = tick % kCycle;
    if (phase < 0) phase += kCycle;
    return static_cast<int>(phase * kStep);
}

Banner::Banner() : Banner(bannerStrip(), bannerOverlay()) {}

Banner::Banner(QImage strip, QImage overlay)
    : strip_(std::move(strip).convertToFormat(QImage::Format_RGB32)),
      overlay_(std::move(overlay).convertToFormat(QImage::Format_RGB32)) {}

QImage Banner::render(long long tick) const {
    QImage image(kWidth, kHeight, QImage::Format_RGB32);
    image.fill(Qt::black);
    QPainter p(&image);
    p.drawImage(QPoint(0, 0), strip_, QRect(bannerSourceColumn(tick), 0, kWidth, kHeight));
    // The label adds its light onto the trace: an OR of the pixels, black adds nothing.
    p.setCompositionMode(QPainter::RasterOp_SourceOrDestination);
    p.drawImage(QPoint(0, kOverlayDrop), overlay_, QRect(0, 0, std::min(overlay_.width(), kWidth), overlay_.height()));
    p.setCompositionMode(QPainter::CompositionMode_SourceOver);
    // A sunken frame: dark on the top and left, white on the bottom and right.
    p.setPen(kFrameDark);
    p.drawLine(0, 0, kWidth - 1, 0);
    p.drawLine(0, 0, 0, kHeight - 1);
    p.setPen(Qt::white);
    p.drawLine(1, kHeight - 1, kWidth - 1, kHeight - 1);
    p.drawLine(kWidth - 1, 1, kWidth - 1, kHeight - 1);
    p.end();
    return image;
}

void Banner::paint(QPainter& painter, const QPoint& topLeft, long long tick) const {
    painter.drawImage(topLeft, render(tick));
}

}  // namespace vespian
