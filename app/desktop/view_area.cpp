#include "app/desktop/view_area.h"

#include <QEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QToolBar>
#include <QWheelEvent>
#include <algorithm>

#include "app/desktop/artwork.h"
#include "app/desktop/banner.h"
#include "libs/line.h"
#include "platform/desktop/canvas.h"
#include "trace/trace_drawing.h"
#include "trace/desktop/axis_labels.h"

namespace vespian {

namespace {

constexpr QRgb kWindowColour = qRgb(217, 210, 200);  // the window's background brush
constexpr StoredColour kFlatColour = 0x00C8D2D9u;     // RGB(217, 210, 200)
constexpr StoredColour kRaisedLight = 0x00FAFAFAu;    // RGB(250, 250, 250)
constexpr StoredColour kShadow = 0x005A5A5Au;         // RGB(90, 90, 90)
constexpr StoredColour kWhite = 0x00FFFFFFu;
constexpr int kTabTextHeightExtra = 10;
constexpr int kTabTitleDrop = 3;
constexpr int kInactiveTabDrop = 5;
constexpr int kBannerRightInset = 110;
constexpr int kBannerTop = 5;
constexpr int kHoverOffset = 16;

const char* const kTabTitles[3] = {"谱图窗口", "报告窗口", "BET列表"};

}  // namespace

ViewArea::ViewArea(ProgramState& state, QWidget* parent)
    : QWidget(parent), state_(state), renderer_(std::make_unique<TraceRenderer>()),
      banner_(std::make_unique<Banner>()) {
    setObjectName("viewArea");
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMinimumSize(400, 300);
}

ViewArea::~ViewArea() = default;

void ViewArea::setToolbars(QToolBar* a, QToolBar* b, QToolBar* c) {
    toolbars_[0] = a;
    toolbars_[1] = b;
    toolbars_[2] = c;
    for (QToolBar* toolbar : toolbars_) {
        if (toolbar != nullptr) toolbar->move(0, 0);
    }
}

void ViewArea::showToolbarOfView() {
    const bool trace = state_.measurement.viewMode() == ViewMode::Trace;
    if (toolbars_[0] != nullptr) toolbars_[0]->setVisible(trace);
    if (toolbars_[1] != nullptr) toolbars_[1]->setVisible(!trace);
    if (toolbars_[2] != nullptr) toolbars_[2]->setVisible(false);  // the list toolbar is never shown
    for (QToolBar* toolbar : toolbars_) {
        if (toolbar != nullptr && toolbar->isVisible()) toolbar->resize(width(), toolbar->sizeHint().height());
    }
    if (!trace) {
        delete hBar_;
        delete vBar_;
        hBar_ = vBar_ = nullptr;
    }
}

void ViewArea::ensureCanvas() {
    if (canvas_.size() != size()) {
        canvas_ = QImage(size().expandedTo(QSize(1, 1)), QImage::Format_RGB32);
        canvas_.fill(kWindowColour);
    }
}

void ViewArea::resizeEvent(QResizeEvent*) {
    dropTraceScrollBars();
    showToolbarOfView();
    redraw();
}

void ViewArea::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    painter.drawImage(event->rect(), canvas_, event->rect());
    if (hoverShown_) {
        painter.setPen(Qt::black);
        painter.setBrush(QColor(255, 255, 220));
        painter.drawRect(hoverRect_.adjusted(0, 0, -1, -1));
        painter.setFont(programFont(13));
        painter.drawText(hoverRect_.adjusted(3, 3, -3, -3), Qt::AlignLeft | Qt::AlignTop, hoverText_);
    }
}

// ---- Full redraw ---------------------------------------------------------------------------

void ViewArea::paintBackground(QSize screen, int minimumWidth, const std::function<void()>& afterRow) {
    const QSize size(std::max(screen.width(), minimumWidth), std::max(screen.height(), 1));
    if (background_.size() != size) background_ = QImage(size, QImage::Format_RGB32);
    const QRgb pixel = qColour(state_.view.backgroundColour).rgb();
    for (int y = 0; y < size.height(); ++y) {
        auto* row = reinterpret_cast<QRgb*>(background_.scanLine(y));
        std::fill(row, row + size.width(), pixel);
        if (afterRow) afterRow();
    }
}

void ViewArea::redraw() {
    ensureCanvas();
    canvas_.fill(kWindowColour);
    cursorX_ = -1;
    switch (state_.measurement.viewMode()) {
    case ViewMode::Trace: drawTraceView(); break;
    case ViewMode::Report: drawPlainView("报告窗口：化学吸附测试报告与记录列表"); break;
    case ViewMode::BetList: drawPlainView("BET列表：多点BET测试记录"); break;
    }
    drawTabs();
    drawButtonStrip();
    update();
}

void ViewArea::drawTabs() {
    QPainter painter(&canvas_);
    painter.setFont(programFont(13));
    const QFontMetrics metrics(painter.font());
    const int active = static_cast<int>(state_.measurement.viewMode());
    const int top = kViewTop;
    int left = 5;
    for (int t = 0; t < 3; ++t) {
        const QString title = kTabTitles[t];
        const int w = metrics.horizontalAdvance(title) + 16;
        const int h = metrics.height() + kTabTextHeightExtra;
        tabRects_[t] = QRect(left, top, w, h);
        left += w + 1;
    }
    // The base line runs along the tabs' bottom except under the active tab.
    const QRect& on = tabRects_[active];
    const int base = on.bottom() + 1;
    painter.setPen(Qt::white);
    painter.drawLine(0, base, on.left(), base);
    painter.drawLine(on.right() + 1, base, width(), base);
    for (int t = 0; t < 3; ++t) {
        QRect r = tabRects_[t];
        const bool isActive = t == active;
        if (!isActive) r.setTop(r.top() + kInactiveTabDrop);
        painter.fillRect(r, QColor(kWindowColour));
        painter.setPen(Qt::white);
        painter.drawLine(r.topLeft(), r.bottomLeft());
        painter.drawLine(r.topLeft(), r.topRight());
        painter.setPen(QColor(90, 90, 90));
        painter.drawLine(r.topRight(), r.bottomRight());
        painter.setPen(isActive ? QColor(130, 0, 255) : QColor(Qt::black));
        painter.drawText(r.adjusted(0, kTabTitleDrop, 0, 0), Qt::AlignHCenter | Qt::AlignTop, kTabTitles[t]);
    }
}

int ViewArea::tabAt(QPoint point) const {
    for (int t = 0; t < 3; ++t) {
        if (tabRects_[t].contains(point)) return t;
    }
    return -1;
}

void ViewArea::layoutTrace() {
    setViewArea(state_.view, width(), stripBottom() - kViewButtonRuleAbove);
    layoutTraceView(state_.view);
}

void ViewArea::drawTraceView() {
    layoutTrace();
    const TraceView& v = state_.view;
    if (background_.isNull()) paintBackground(size(), 0, {});
    {
        // The frame's inside shows the view's background picture.
        QPainter painter(&canvas_);
        const QRect inside(v.X0 + 2, v.Y0 + 2, v.X1 - v.X0 - 4, v.Y1 - v.Y0 - 4);
        painter.drawImage(inside.topLeft(), background_, QRect(QPoint(0, 0), inside.size()));
    }
    PixelSurface surface = surfaceOf(canvas_);
    FullViewOptions options;
    options.manualPeakMode = state_.tools.manualPeak;
    options.frame.fillInside = false;
    const AxisLayout axes = renderer_->drawFullView(surface, state_.view, *state_.chromatogram, options);
    drawTexts(axes.labels);
    updateScrollBars();
}

void ViewArea::redrawTrace() {
    if (state_.measurement.viewMode() != ViewMode::Trace) return;
    ensureCanvas();
    cursorX_ = -1;
    drawTraceView();
    update();
}

void ViewArea::drawTexts(const std::vector<AxisLabel>& labels) { drawAxisLabels(canvas_, labels); }

void ViewArea::drawPlainView(const char* notice) {
    TraceView frame = state_.view;
    setViewArea(frame, width(), stripBottom() - kViewButtonRuleAbove);
    layoutTraceView(frame);
    PixelSurface surface = surfaceOf(canvas_);
    FrameStyle style;
    style.insideColour = kWhite;
    drawViewFrame(surface, frame, style);
    QPainter painter(&canvas_);
    painter.setFont(programFont(14));
    painter.setPen(QColor(90, 90, 90));
    painter.drawText(QRect(frame.X0, frame.Y0, frame.X1 - frame.X0, frame.Y1 - frame.Y0), Qt::AlignCenter,
                     QString::fromUtf8(notice));
}

// ---- Incremental drawing ------------------------------------------------------------------

bool ViewArea::drawNewPoint(int32_t n) {
    if (n < 1 || !state_.view.roomToDraw) return false;
    eraseCursorLine();
    PixelSurface surface = surfaceOf(canvas_);
    const bool beyond = renderer_->drawPoint(surface, state_.view, *state_.chromatogram, n);
    const PixelRect plot = plotRect(state_.view);
    update(QRect(plot.left, plot.top, plot.right - plot.left, plot.bottom - plot.top));
    return beyond;
}

// ---- Scroll bars ---------------------------------------------------------------------------

void ViewArea::dropTraceScrollBars() {
    delete hBar_;
    delete vBar_;
    hBar_ = vBar_ = nullptr;
}

void ViewArea::updateScrollBars() {
    const TraceView& v = state_.view;
    if (!v.roomToDraw) {
        dropTraceScrollBars();
        return;
    }
    if (hBar_ == nullptr) {
        hBar_ = new QScrollBar(Qt::Horizontal, this);
        hBar_->setObjectName("traceHorizontalBar");
        connect(hBar_, &QAbstractSlider::actionTriggered, this, &ViewArea::onHorizontalAction);
    }
    if (vBar_ == nullptr) {
        vBar_ = new QScrollBar(Qt::Vertical, this);
        vBar_->setObjectName("traceVerticalBar");
        connect(vBar_, &QAbstractSlider::actionTriggered, this, &ViewArea::onVerticalAction);
    }
    const QSignalBlocker blockH(hBar_);
    const QSignalBlocker blockV(vBar_);
    hBar_->setGeometry(v.X0, v.Y1 + 1, v.X1 - v.X0, 12);
    hBar_->setRange(0, std::max(0, v.hMax));
    hBar_->setPageStep(std::max(1, v.visibleWidth / 2));
    hBar_->setValue(std::clamp(v.hScroll, 0, std::max(0, v.hMax)));
    hBar_->setEnabled(v.hMax != 0);
    vBar_->setGeometry(v.X1 + 2, v.Y0, 12, v.Y1 - v.Y0);
    vBar_->setRange(0, std::max(0, v.vMax));
    vBar_->setPageStep(std::max(1, v.visibleHeight / 2));
    vBar_->setValue(std::clamp(v.vScroll, 0, std::max(0, v.vMax)));
    vBar_->setEnabled(v.vMax != 0);
    hBar_->show();
    vBar_->show();
}

namespace {

std::optional<ScrollAction> scrollActionOf(int action) {
    switch (action) {
    case QAbstractSlider::SliderSingleStepSub: return ScrollAction::LineUp;
    case QAbstractSlider::SliderSingleStepAdd: return ScrollAction::LineDown;
    case QAbstractSlider::SliderPageStepSub: return ScrollAction::PageUp;
    case QAbstractSlider::SliderPageStepAdd: return ScrollAction::PageDown;
    case QAbstractSlider::SliderMove: return ScrollAction::Thumb;
    default: return std::nullopt;
    }
}

}  // namespace

void ViewArea::onHorizontalAction(int action) {
    std::optional<ScrollAction> mapped = scrollActionOf(action);
    if (!mapped) return;
    const ScrollResult result = scrollHorizontal(state_.view, *mapped, hBar_->sliderPosition());
    hBar_->setSliderPosition(state_.view.hScroll);  // the bar shows the position the view took
    if (result.startAutoScrollTimer) emit horizontalUserScroll();
    if (result.changed) redrawTrace();
}

void ViewArea::onVerticalAction(int action) {
    std::optional<ScrollAction> mapped = scrollActionOf(action);
    if (!mapped) return;
    const ScrollResult result = scrollVertical(state_.view, *mapped, vBar_->sliderPosition());
    vBar_->setSliderPosition(state_.view.vScroll);
    if (result.changed) redrawTrace();
}

// ---- View buttons --------------------------------------------------------------------------

void ViewArea::drawButtonStrip() {
    const int b = stripBottom();
    buttons_.layout(state_.measurement.viewMode(), state_.betDetail != 0, b);
    if (!buttons_.shown()) return;
    PixelSurface surface = surfaceOf(canvas_);
    Line(surface, 0, b - kViewButtonRuleAbove, width(), b - kViewButtonRuleAbove, kWhite);
    QPainter painter(&canvas_);
    painter.fillRect(QRect(kViewButtonLeft, b - kViewButtonTopAbove, kViewButtonBackgroundWidth,
                           kViewButtonBackgroundHeight),
                     QColor(kWindowColour));
    const ViewButtonRange range = buttons_.activeRange();
    for (int index = range.first; index <= range.last; ++index) {
        const ButtonRect r = buttons_.rect(index);
        painter.drawPixmap(r.left + 2, r.top + 2, viewButtonPicture(index));
    }
    painter.end();
    for (int index = range.first; index <= range.last; ++index) drawBevel(index, buttons_.bevel(index));
}

void ViewArea::drawBevel(int index, Bevel bevel) {
    const ButtonRect r = buttons_.rect(index);
    if (r.empty()) return;
    StoredColour light = kFlatColour;
    StoredColour dark = kFlatColour;
    if (bevel == Bevel::Raised) {
        light = kRaisedLight;
        dark = kShadow;
    } else if (bevel == Bevel::Pressed) {
        light = kShadow;
        dark = kWhite;
    }
    PixelSurface surface = surfaceOf(canvas_);
    const int right = r.right - 1;
    const int bottom = r.bottom - 1;
    Line(surface, r.left, r.top, right, r.top, light);
    Line(surface, r.left, r.top, r.left, bottom, light);
    Line(surface, r.left, bottom, right, bottom, dark);
    Line(surface, right, r.top, right, bottom, dark);
    update(QRect(r.left, r.top, r.right - r.left, r.bottom - r.top));
}

void ViewArea::applyBevels(const std::vector<BevelChange>& changes) {
    for (const BevelChange& change : changes) drawBevel(change.button, change.bevel);
}

void ViewArea::pressViewButton(int index) { applyBevels(buttons_.pressed(index)); }

void ViewArea::hoverTick() {
    if (mouseMoving_) {
        mouseMoving_ = false;  // rests from now on; the next tick shows the help
        return;
    }
    if (hoverShown_) return;
    const std::optional<int32_t> index = buttons_.hitTest(mouse_.x(), mouse_.y());
    if (!index) return;
    hoverText_ = QString::fromUtf8(viewButtonLabel(*index).data(), static_cast<qsizetype>(viewButtonLabel(*index).size()));
    const QFontMetrics metrics(programFont(13));
    hoverRect_ = QRect(mouse_.x(), mouse_.y() + kHoverOffset, metrics.horizontalAdvance(hoverText_) + 6,
                       metrics.height() + 6);
    hoverShown_ = true;
    update(hoverRect_);
}

// ---- Banner --------------------------------------------------------------------------------

void ViewArea::bannerTick() {
    ++bannerTicks_;
    const QPoint topLeft(width() - kBannerRightInset, kBannerTop);
    QPainter painter(&canvas_);
    banner_->paint(painter, topLeft, bannerTicks_);
    update(QRect(topLeft, QSize(Banner::kWidth, Banner::kHeight)));
}

// ---- Mouse ---------------------------------------------------------------------------------

void ViewArea::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) leftPress(event->position().toPoint());
}

void ViewArea::mouseReleaseEvent(QMouseEvent* event) {
    const QPoint point = event->position().toPoint();
    if (event->button() == Qt::LeftButton) setToolCursor(point);
    if (event->button() == Qt::RightButton) rightClickAt(point);
}

void ViewArea::mouseMoveEvent(QMouseEvent* event) { moveTo(event->position().toPoint()); }

void ViewArea::leaveEvent(QEvent*) {
    applyBevels(buttons_.mouseLeft());
    if (hoverShown_) {
        hoverShown_ = false;
        update(hoverRect_);
    }
}

void ViewArea::wheelEvent(QWheelEvent* event) {
    wheelAt(event->position().toPoint(), event->angleDelta().y(), event->buttons());
}

void ViewArea::clickAt(QPoint point) { leftPress(point); }

void ViewArea::leftPress(QPoint point) {
    const int tab = tabAt(point);
    if (tab >= 0 && tab != static_cast<int>(state_.measurement.viewMode())) {
        emit tabSelected(tab);
        return;
    }
    if (state_.measurement.viewMode() == ViewMode::Trace) traceClick(point);
    if (std::optional<int32_t> button = buttons_.hitTest(point.x(), point.y())) emit viewButtonPressed(*button);
}

void ViewArea::traceClick(QPoint point) {
    const PixelRect plot = plotRect(state_.view);
    const bool inPlot = plot.contains(point.x(), point.y());
    TraceTools& tools = state_.tools;
    if (tools.deleteStretch && inPlot) {
        const int32_t index = clickIndex(state_.view, point.x(), state_.chromatogram->shownCount());
        if (tools.pendingDeleteIndex < 0) {
            tools.pendingDeleteIndex = index;
        } else {
            state_.chromatogram->deleteStretch(tools.pendingDeleteIndex, index);
            tools.pendingDeleteIndex = -1;  // the tool stays on for the next pair
            redrawTrace();
        }
    } else if (tools.manualPeak && inPlot) {
        if (!peakNoticeShown_) {
            peakNoticeShown_ = true;
            emit notYetAvailable("人工识峰");
        }
    } else if (state_.view.rubberBandMode != 0) {
        if (state_.view.rubberBandStarted == 0) {
            rubberBandBegin(state_.view, point.x(), point.y());
        } else if (rubberBandComplete(state_.view, point.x(), point.y())) {
            dropTraceScrollBars();
            redrawTrace();
        } else {
            redrawTrace();
        }
    }
}

void ViewArea::rightClickAt(QPoint) {
    const TraceTool left = leaveTraceTool(state_.tools, state_.view);
    if (left == TraceTool::None) return;
    if (left == TraceTool::Readout) emit statusText(3, "坐标：");
    if (left == TraceTool::ManualPeak) peakNoticeShown_ = false;
    unsetCursor();
    redraw();
}

void ViewArea::setToolCursor(QPoint point) {
    const TraceTool tool = activeTraceTool(state_.tools, state_.view);
    const PixelRect plot = plotRect(state_.view);
    if (state_.measurement.viewMode() != ViewMode::Trace || tool == TraceTool::None ||
        !plot.contains(point.x(), point.y())) {
        unsetCursor();
        return;
    }
    switch (tool) {
    case TraceTool::DeleteStretch: setCursor(Qt::SplitHCursor); break;
    case TraceTool::Readout: setCursor(Qt::CrossCursor); break;
    case TraceTool::ManualPeak: setCursor(Qt::UpArrowCursor); break;
    case TraceTool::ZoomBox: setCursor(Qt::SizeFDiagCursor); break;
    case TraceTool::None: break;
    }
}

void ViewArea::moveTo(QPoint point) {
    mouse_ = point;
    mouseMoving_ = true;
    if (hoverShown_) {
        hoverShown_ = false;
        update(hoverRect_);
    }
    if (state_.measurement.viewMode() == ViewMode::Trace) {
        const TraceTool tool = activeTraceTool(state_.tools, state_.view);
        const PixelRect plot = plotRect(state_.view);
        const bool inPlot = plot.contains(point.x(), point.y());
        setToolCursor(point);
        if (tool == TraceTool::ZoomBox && state_.view.rubberBandStarted != 0) {
            if (rubberBandMove(state_.view, point.x(), point.y())) redrawTrace();
        } else if (tool != TraceTool::None && tool != TraceTool::ZoomBox && inPlot) {
            drawCursorLine(point.x());
        }
        if (tool == TraceTool::Readout && inPlot) {
            emit statusText(3, QString::fromStdString(readoutText(state_.view, point.x(), *state_.chromatogram)));
        }
    }
    applyBevels(buttons_.mouseMoved(point.x(), point.y()));
}

void ViewArea::wheelAt(QPoint, int delta, Qt::MouseButtons held) {
    if (state_.measurement.viewMode() != ViewMode::Trace || delta == 0) return;
    WheelButton button = WheelButton::None;
    if (held & Qt::RightButton) button = WheelButton::Right;
    else if (held & Qt::LeftButton) button = WheelButton::Left;
    const WheelResult result = wheel(state_.view, delta, button);
    if (result.zoomed) {
        dropTraceScrollBars();
        redraw();
    } else if (result.scrolled) {
        redrawTrace();
    }
}

// ---- The tools' cursor line ----------------------------------------------------------------

void ViewArea::eraseCursorLine() {
    if (cursorX_ < 0 || savedColumn_.empty()) return;
    const PixelRect plot = plotRect(state_.view);
    PixelSurface surface = surfaceOf(canvas_);
    for (int y = plot.top; y < plot.bottom && y - plot.top < static_cast<int>(savedColumn_.size()); ++y) {
        surface.set(cursorX_, y, savedColumn_[y - plot.top]);
    }
    update(QRect(cursorX_, plot.top, 1, plot.bottom - plot.top));
    cursorX_ = -1;
}

void ViewArea::drawCursorLine(int x) {
    eraseCursorLine();
    const PixelRect plot = plotRect(state_.view);
    if (x < plot.left || x >= plot.right) return;
    PixelSurface surface = surfaceOf(canvas_);
    savedColumn_.assign(static_cast<size_t>(std::max(0, plot.bottom - plot.top)), 0);
    const uint32_t cursor = pixelFromStored(cursorColour(state_.view.backgroundColour));
    for (int y = plot.top; y < plot.bottom; ++y) {
        savedColumn_[y - plot.top] = surface.at(x, y);
        surface.set(x, y, cursor);
    }
    cursorX_ = x;
    update(QRect(x, plot.top, 1, plot.bottom - plot.top));
}

}  // namespace vespian
