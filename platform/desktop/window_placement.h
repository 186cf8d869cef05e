#pragma once
// Window placement that keeps a window on a small screen. Installed once on the application,
// it fits every top-level window and dialog of the program as it is shown: moved inside the
// screen's available area with its title bar, shrunk to that area where it is larger, and,
// where its laid-out contents cannot be drawn that small, given scroll bars around them. The
// arithmetic is platform/window_fit.h; this carries it out on the Qt windows.

#include <QObject>

class QWidget;

namespace vespian {

class WindowPlacement : public QObject {
    Q_OBJECT

public:
    // One placement for the whole program; a second call does nothing.
    static void install();
    // Fits one window now, as showing it does. True when it was moved, resized or given
    // scroll bars.
    static bool fit(QWidget* window);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    using QObject::QObject;
    // `move`: the window may be moved as well as resized.
    static bool fitWindow(QWidget* window, bool move);
};

}  // namespace vespian
