#pragma once
// The about box: the about picture, with its credits strip scrolling up, out of sight and back
// in from below. Closes on a left-button release anywhere.

#include <QDialog>
#include <QImage>

class QTimer;

namespace vespian {

// Where the credits strip is drawn from and to. Each tick: while the strip sits at its place
// (offset 0) it scrolls up one row; otherwise it rises one row towards its place. After 100
// rows it has scrolled out and starts again from 80 rows below its place.
struct AboutScroll {
    static constexpr int kRows = 100;
    static constexpr int kReentryOffset = 80;

    int sourceRow = 0;  // first strip row shown
    int offset = 0;     // rows below the strip's place where it is drawn

    void tick() {
        if (offset > 0) {
            --offset;
            return;
        }
        if (++sourceRow >= kRows) {
            sourceRow = 0;
            offset = kReentryOffset;
        }
    }
    // Rows drawn: from sourceRow, at the strip's top + offset, down to the strip's bottom.
    int height() const { return kRows - offset; }
};

class AboutBox : public QDialog {
    Q_OBJECT

public:
    static constexpr int kCaptureDelayMs = 1000;
    static constexpr int kScrollIntervalMs = 100;

    explicit AboutBox(QWidget* parent = nullptr);

    // True once the credits have been captured in this run (one second into the first opening).
    static bool creditsCaptured();
    // Back to a fresh run's state, where the next opening captures the credits again (tests).
    static void forgetCredits();

    const AboutScroll& scroll() const { return scroll_; }
    const QImage& canvas() const { return canvas_; }
    // One step of the scrolling, as the timer does it; nothing before the credits are captured.
    void scrollTick();

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void captureCredits();
    void startScrolling();

    QImage canvas_;
    AboutScroll scroll_;
    QTimer* scrollTimer_;
    bool started_ = false;
};

}  // namespace vespian
