#include "control/desktop/guide_window.h"

#include <QKeyEvent>
#include <QPainter>
#include <QScrollBar>
#include <QWheelEvent>

#include <array>
#include <optional>

#include "control/desktop/guide_pictures.h"
#include "platform/desktop/screen.h"

namespace vespian {

namespace {

constexpr int kBarWidth = 18;

}  // namespace

const QImage& GuideWindow::picture(GuideKind kind) {
    static std::array<std::optional<QImage>, kGuideKinds> pictures;
    std::optional<QImage>& slot = pictures[static_cast<size_t>(kind)];
    if (!slot) slot = guidePicture(kind);
    return *slot;
}

GuideWindow::GuideWindow(GuideKind kind, QWidget* parent)
    : QDialog(parent),
      kind_(kind),
      scroll_(guideInfo(kind).scrolling, guideInfo(kind).pictureHeight, guideInfo(kind).windowHeight) {
    const GuideWindowInfo& info = guideInfo(kind);
    setObjectName("guideWindow");
    setWindowTitle(QString::fromUtf8(info.title.data(), static_cast<qsizetype>(info.title.size())));
    setFixedSize(info.windowWidth, info.windowHeight);
    centreOnScreen(this, size());
    setAttribute(Qt::WA_OpaquePaintEvent);
    bar_ = new QScrollBar(Qt::Vertical, this);
    bar_->setGeometry(info.windowWidth - kBarWidth, 0, kBarWidth, info.windowHeight);
    bar_->setRange(0, scroll_.positions() - 1);
    bar_->setPageStep(1);
    bar_->setSingleStep(1);
    connect(bar_, &QScrollBar::valueChanged, this, [this](int value) {
        scroll_.scrollTo(value);
        update();
    });
    picture(kind_);
}

void GuideWindow::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), Qt::white);
    const QImage& image = picture(kind_);
    p.drawImage(QPoint(0, 0), image, QRect(0, scroll_.offset(), std::min(image.width(), width() - kBarWidth), height()));
}

void GuideWindow::wheelEvent(QWheelEvent* event) {
    const int delta = event->angleDelta().y();
    if (delta != 0) bar_->setValue(bar_->value() + (delta < 0 ? 1 : -1));
    event->accept();
}

void GuideWindow::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
    case Qt::Key_Down:
    case Qt::Key_PageDown: bar_->setValue(bar_->value() + 1); break;
    case Qt::Key_Up:
    case Qt::Key_PageUp: bar_->setValue(bar_->value() - 1); break;
    case Qt::Key_Home: bar_->setValue(bar_->minimum()); break;
    case Qt::Key_End: bar_->setValue(bar_->maximum()); break;
    default: QDialog::keyPressEvent(event); return;
    }
    event->accept();
}

}  // namespace vespian
