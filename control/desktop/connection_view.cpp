#include "control/desktop/connection_view.h"

#include <QPainter>

#include "control/desktop/connection_pictures.h"
#include "platform/desktop/screen.h"

namespace vespian {

ConnectionView::ConnectionView(Side side, QWidget* parent) : QDialog(parent) {
    const ConnectionViewInfo& info = side == Side::Rear ? kRearView : kRightView;
    // Each picture is made once and kept while the program runs.
    static const QImage rear = rearViewPicture();
    static const QImage right = rightViewPicture();
    picture_ = side == Side::Rear ? rear : right;
    setObjectName(side == Side::Rear ? "rearView" : "rightView");
    setWindowTitle(QString::fromUtf8(info.title.data(), static_cast<qsizetype>(info.title.size())));
    setFixedSize(info.windowWidth, info.windowHeight);
    centreOnScreen(this, size());
}

void ConnectionView::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), QColor(0xf4, 0xf6, 0xf8));
    p.drawImage(0, 0, picture_);
}

}  // namespace vespian
