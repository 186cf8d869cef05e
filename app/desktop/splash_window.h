#pragma once
// The start-up window: the product picture with a progress bar that fills while the program
// loads its database and paints the trace background. It is stepped from the UI thread in the
// middle of start-up work, so it repaints itself directly and only every few milliseconds.
// Show it and let the event loop run once before the work starts, so the platform maps it.

#include <QElapsedTimer>
#include <QImage>
#include <QWidget>

#include "app/splash_progress.h"

namespace vespian {

class SplashWindow : public QWidget {
    Q_OBJECT

public:
    static constexpr int kRepaintIntervalMs = 15;

    explicit SplashWindow(QWidget* parent = nullptr);

    // Starts the bar again, empty, for this many steps.
    void setTotal(int total);
    // One pixel row of the background painted.
    void step();

    const SplashProgress& progress() const { return progress_; }
    // What the window shows (the picture with the bar as far as it has come).
    const QImage& canvas() const { return canvas_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void drawEmptyBar();

    QImage canvas_;
    SplashProgress progress_;
    QElapsedTimer sinceRepaint_;
    QRect unpainted_;
};

}  // namespace vespian
