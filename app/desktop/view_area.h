#pragma once
// The main window's client area, drawn as the program has always drawn it: the toolbars at the
// top, the view tabs, the active view (the trace view, the report view or the BET list view)
// with its strip of drawn view buttons at the bottom. Everything is painted into one off-screen
// canvas of the client's size; the paint event only copies the canvas. The trace view's frame,
// axes and trace are drawn by the core into the same pixels; only texts go through QPainter.

#include <QImage>
#include <QPoint>
#include <QString>
#include <QWidget>
#include <algorithm>
#include <functional>
#include <memory>
#include <optional>

#include "app/program_state.h"
#include "app/trace_mouse.h"
#include "app/view_buttons.h"
#include "trace/trace_axes.h"

class QLabel;
class QPainter;
class QScrollBar;
class QToolBar;

namespace vespian {

class Banner;
class TraceRenderer;

class ViewArea : public QWidget {
    Q_OBJECT

public:
    // The view area reaches down to this many pixels above the client's bottom edge; the
    // button strip's bottom is 2 pixels above it.
    static constexpr int kStripBottomMargin = 2;

    ViewArea(ProgramState& state, QWidget* parent = nullptr);
    ~ViewArea() override;

    // The toolbars sit at the top of the client area, as the window's own children.
    void setToolbars(QToolBar* a, QToolBar* b, QToolBar* c);
    void showToolbarOfView();

    // Paints the trace view's background picture (screen-sized, at least as wide as the widest
    // list) in the background colour, one pixel row at a time, calling afterRow after each row:
    // the splash and the settings' progress window count these rows.
    void paintBackground(QSize screen, int minimumWidth, const std::function<void()>& afterRow);
    const QImage& background() const { return background_; }

    // Full redraw of the tab strip, the active view and its buttons.
    void redraw();
    // The trace view's plot and axes only (after a scroll).
    void redrawTrace();
    // Draws the newly taken-over points first .. end − 1 of the trace.
    void drawNewPoints(int32_t first, int32_t end);
    // The horizontal range followed the trace's length: the scroll bar's range follows it.
    void updateHorizontalRange();
    // Draws one view button pressed (a click on it is being handled).
    void pressViewButton(int index);
    // Destroys the trace scroll bars; they are created anew at the next layout.
    void dropTraceScrollBars();

    // The banner at the top right, advanced by one tick.
    void bannerTick();
    // The hover tick: shows the help of the view button under a mouse that has rested.
    void hoverTick();

    const QImage& canvas() const { return canvas_; }
    const ViewButtonStrip& buttons() const { return buttons_; }
    // The title of tab 0, 1 or 2 as last drawn (the third names the list it shows).
    QString tabTitle(int tab) const { return tabTitles_[std::clamp(tab, 0, 2)]; }
    QScrollBar* horizontalTraceBar() const { return hBar_; }
    QScrollBar* verticalTraceBar() const { return vBar_; }
    // The client point at the top-left of view area pixel (0, 0) is the widget's own origin.
    int stripBottom() const { return height() - kStripBottomMargin; }

    // What the report view and the list view show inside their frame, drawn by the subsystem
    // that owns them, and what a press or a double click inside that frame does (true: taken,
    // the view is redrawn). Without a painter the view shows its notice.
    using ViewPainter = std::function<void(QPainter& painter, const QRect& inside)>;
    using ViewClick = std::function<bool(QPoint point, const QRect& inside)>;
    void setViewPainter(ViewMode view, ViewPainter painter);
    void setViewClick(ViewMode view, ViewClick click);
    void setViewDoubleClick(ViewMode view, ViewClick click);
    // The inside of the current view's frame, as last drawn.
    QRect viewInside() const { return viewInside_; }
    void doubleClickAt(QPoint point);

    // Test hooks: what a click, a move, a wheel turn or a right click at a client point does.
    void clickAt(QPoint point);
    void moveTo(QPoint point);
    void wheelAt(QPoint point, int delta, Qt::MouseButtons buttons);
    void rightClickAt(QPoint point);

    // The tools' cursor line (−1: none), drawn over the canvas, and the hover help box.
    int cursorLineX() const { return cursorX_; }
    bool hoverShown() const { return hoverShown_; }
    QRect hoverRect() const { return hoverRect_; }
    // The canvas with the cursor line over it: what the screen shows of the view.
    QImage screenImage() const;

signals:
    void viewButtonPressed(int index);          // the private message 5020
    void tabSelected(int view);                 // a click on another tab
    void statusText(int part, const QString& text);
    void horizontalUserScroll();                // starts the 3 s auto-scroll resume timer
    void manualPick(int start, int end);        // a completed manual peak pick (sorted)
    void traceEdited();                         // a stretch of the trace was deleted

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    void ensureCanvas();
    void layoutTrace();
    void drawTabs();
    void drawTraceView();
    void drawPlainView(const char* notice);
    void drawButtonStrip();
    void drawBevel(int index, Bevel bevel);
    void drawTexts(const std::vector<AxisLabel>& labels);
    void drawMarks();
    void updateScrollBars();
    void onHorizontalAction(int action);
    void onVerticalAction(int action);
    void apply(const MouseOutcome& outcome);
    void setCursorLine(int x);
    void hideHover();
    void paintOverlay(QPainter& painter, const QRect& area) const;
    MouseContext mouseContext();
    void applyBevels(const std::vector<BevelChange>& changes);
    int tabAt(QPoint point) const;

    ProgramState& state_;
    QImage canvas_;
    QImage background_;  // the view's background picture, copied into the frame
    std::unique_ptr<TraceRenderer> renderer_;
    std::unique_ptr<Banner> banner_;
    long long bannerTicks_ = 0;
    QToolBar* toolbars_[3] = {nullptr, nullptr, nullptr};
    QScrollBar* hBar_ = nullptr;
    ScrollBarScale hScale_;
    QScrollBar* vBar_ = nullptr;
    ViewButtonStrip buttons_;
    QRect tabRects_[3];
    QString tabTitles_[3];

    TraceMouse mouse_;
    // The vertical cursor line of the tools, drawn over the canvas so no drawing into the
    // canvas (a new point, a redraw) can wipe it.
    int cursorX_ = -1;

    // Hover help over the view buttons.
    HoverHelp hover_;
    bool hoverShown_ = false;
    QRect hoverRect_;
    QString hoverText_;
    // The help box is a child of its own, raised over the scroll bars and the other children.
    QLabel* hoverLabel_ = nullptr;

    ViewPainter viewPainters_[3];
    ViewClick viewClicks_[3];
    ViewClick viewDoubleClicks_[3];
    QRect viewInside_;
};

}  // namespace vespian
