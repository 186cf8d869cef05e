#include "platform/desktop/canvas.h"
#include "platform/desktop/screen.h"
#include "app/desktop/splash_window.h"

#include <QPaintEvent>
#include <QPainter>

#include "app/desktop/artwork.h"

namespace vespian {

namespace {

const char* const kProgressText = "正在初始化，请稍候．．．";

QRect qtRect(const PixelRect& rect) { return QRect(rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top); }

}  // namespace

SplashWindow::SplashWindow(QWidget* parent)
    : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint),
      canvas_(splashPicture().toImage().convertToFormat(QImage::Format_RGB32)) {
    setObjectName("splashWindow");
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFixedSize(kSplashWidth, kSplashHeight);
    centreOnScreen(this, QSize(kSplashWidth, kSplashHeight));
    drawEmptyBar();
    sinceRepaint_.start();
}

void SplashWindow::setTotal(int total) {
    progress_.setTotal(total);
    drawEmptyBar();
    update(qtRect(progress_.bar()));
}

void SplashWindow::step() {
    if (const auto block = progress_.step()) {
        PixelSurface surface = surfaceOf(canvas_);
        paintProgressBlock(surface, *block);
        unpainted_ |= qtRect(*block);
        update(qtRect(*block));  // in case no repaint follows before the event loop runs
    }
    if (unpainted_.isEmpty() || sinceRepaint_.elapsed() < kRepaintIntervalMs) return;
    // Start-up work is running on this thread: paint now rather than wait for the event loop.
    repaint(unpainted_);
    unpainted_ = QRect();
    sinceRepaint_.restart();
}

void SplashWindow::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    painter.drawImage(event->rect(), canvas_, event->rect());
}

void SplashWindow::drawEmptyBar() {
    const QRect bar = qtRect(progress_.bar());
    QPainter p(&canvas_);
    p.fillRect(bar, Qt::white);
    p.setPen(Qt::black);
    p.drawRect(bar.adjusted(0, 0, -1, -1));
    // Plain pixels, no smoothing: the bar recolours exactly the white ones, so the text must
    // have no grey edges.
    QFont font = programFont(12);
    font.setStyleStrategy(QFont::NoAntialias);
    p.setFont(font);
    p.drawText(bar.adjusted(1, 1, -1, -1), Qt::AlignCenter, QString::fromUtf8(kProgressText));
    p.end();
    unpainted_ = QRect();
}

}  // namespace vespian
