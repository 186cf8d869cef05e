#include "platform/desktop/screen.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

namespace vespian {

QSize screenSize() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen != nullptr ? screen->geometry().size() : QSize(1280, 1024);
}

void centreOnScreen(QWidget* window, QSize size) {
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (screen == nullptr) return;
    // Clear of the desktop's panels; the window placement keeps the title bar on the screen.
    const QRect area = screen->availableGeometry();
    window->move(area.left() + (area.width() - size.width()) / 2, area.top() + (area.height() - size.height()) / 2);
}

}  // namespace vespian
