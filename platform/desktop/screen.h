#pragma once
// The screen the program's windows are placed on.

#include <QSize>

class QWidget;

namespace vespian {

// The primary screen's size (a common size when there is none, as in some test set-ups).
QSize screenSize();
// Moves a window of the given size to the middle of the screen's available area.
void centreOnScreen(QWidget* window, QSize size);

}  // namespace vespian
