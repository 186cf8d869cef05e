#include "platform/desktop/screen.h"
#include "app/desktop/about_box.h"

#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QShowEvent>
#include <QTimer>

#include "app/desktop/artwork.h"

namespace vespian {

namespace {

// The captured credits on a white surface taller than the strip, so that rows scrolled in from
// beyond the credits are blank. Kept for the whole run.
QImage& creditsSurface() {
    static QImage surface;
    return surface;
}

const QRect kStrip(kAboutStripLeft, kAboutStripTop, kAboutStripWidth, kAboutStripHeight);

}  // namespace

AboutBox::AboutBox(QWidget* parent)
    : QDialog(parent), canvas_(aboutPicture().toImage().convertToFormat(QImage::Format_RGB32)) {
    setObjectName("aboutBox");
    setWindowTitle("关于Vespian");
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFixedSize(kAboutWidth, kAboutHeight);
    centreOnScreen(this, QSize(kAboutWidth, kAboutHeight));
    scrollTimer_ = new QTimer(this);
    scrollTimer_->setInterval(kScrollIntervalMs);
    connect(scrollTimer_, &QTimer::timeout, this, &AboutBox::scrollTick);
}

void AboutBox::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (started_) return;
    started_ = true;
    if (creditsCaptured()) {
        startScrolling();
        return;
    }
    // The first opening of the run lets the credits stand for a second before they move.
    QTimer::singleShot(kCaptureDelayMs, this, [this] {
        if (!isVisible()) return;  // closed within the second: the next opening captures
        if (!creditsCaptured()) captureCredits();
        startScrolling();
    });
}

bool AboutBox::creditsCaptured() { return !creditsSurface().isNull(); }

void AboutBox::forgetCredits() { creditsSurface() = QImage(); }

void AboutBox::captureCredits() {
    QImage surface(450, 300, QImage::Format_RGB32);
    surface.fill(Qt::white);
    QPainter p(&surface);
    p.drawImage(QPoint(0, 0), canvas_, kStrip);
    p.end();
    creditsSurface() = surface;
}

void AboutBox::startScrolling() { scrollTimer_->start(); }

void AboutBox::scrollTick() {
    if (!creditsCaptured()) return;
    scroll_.tick();
    const QRect target(kStrip.left(), kStrip.top() + scroll_.offset, kStrip.width(), scroll_.height());
    QPainter p(&canvas_);
    p.drawImage(target, creditsSurface(), QRect(0, scroll_.sourceRow, kStrip.width(), scroll_.height()));
    p.end();
    update(kStrip);
}

void AboutBox::hideEvent(QHideEvent* event) {
    scrollTimer_->stop();
    started_ = false;
    QDialog::hideEvent(event);
}

void AboutBox::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    painter.drawImage(event->rect(), canvas_, event->rect());
}

void AboutBox::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        accept();
        return;
    }
    QDialog::mouseReleaseEvent(event);
}

}  // namespace vespian
