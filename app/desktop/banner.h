#pragma once
// The small animated banner at the top right of the main window: a framed 100 × 44 window onto
// a scrolling detector trace, with the program's label laid over it.

#include <QImage>
#include <QPoint>

class QPainter;

namespace vespian {

// The strip column shown at the left edge of the window on a tick: 2 pixels further per tick,
// back to 0 after 1420 (0, 2, ..., 1420, 0, ...).
int bannerSourceColumn(long long tick);

class Banner {
public:
    static constexpr int kWidth = 100;
    static constexpr int kHeight = 44;
    static constexpr int kOverlayDrop = 10;  // the label sits this much lower than the trace

    Banner();
    // Builds from given pictures (tests); the strip must be at least 1520 wide and 44 high.
    Banner(QImage strip, QImage overlay);

    // The framed 100 × 44 picture for a tick.
    QImage render(long long tick) const;
    void paint(QPainter& painter, const QPoint& topLeft, long long tick) const;

private:
    QImage strip_;
    QImage overlay_;
};

}  // namespace vespian
