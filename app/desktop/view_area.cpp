#include "app/desktop/view_area.h"

#include <QEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QToolBar>
#include <QWheelEvent>
#include <algorithm>

#include "app/desktop/artwork.h"
#include "app/desktop/banner.h"
#include "app/command_ids.h"
#include "app/status_texts.h"
#include "app/view_titles.h"
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

QString qs(std::string_view text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }

}  // namespace

ViewArea::ViewArea(ProgramState& state, QWidget* parent)
    : QWidget(parent), state_(state), renderer_(std::make_unique<TraceRenderer>()),
      banner_(std::make_unique<Banner>()) {
    setObjectName("viewArea");
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMinimumSize(400, 300);
    hoverLabel_ = new QLabel(this);
    hoverLabel_->setObjectName("hoverHelp");
    hoverLabel_->setFont(programFont(13));
    hoverLabel_->setStyleSheet("QLabel { background: rgb(255, 255, 220); color: black; border: 1px solid black; "
                               "padding: 2px; }");
    hoverLabel_->setAttribute(Qt::WA_TransparentForMouseEvents);
    hoverLabel_->hide();
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
    // The banner at the top right keeps its corner: the toolbar ends left of it (and folds the
    // buttons that do not fit into its extension menu).
    const int toolbarWidth = std::max(width() - kBannerRightInset - 10, 200);
    for (QToolBar* toolbar : toolbars_) {
        if (toolbar != nullptr && toolbar->isVisible()) toolbar->resize(toolbarWidth, toolbar->sizeHint().height());
        // "打开" opens what the view shows: a trace, a report or a record database.
        if (toolbar == nullptr) continue;
        if (QAction* open = toolbar->findChild<QAction*>(QString("tool%1").arg(kCmdOpen))) {
            open->setToolTip(qs(openToolTip(state_.measurement.viewMode())));
        }
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
    paintOverlay(painter, event->rect());
}

void ViewArea::paintOverlay(QPainter& painter, const QRect& area) const {
    if (cursorX_ >= 0 && state_.measurement.viewMode() == ViewMode::Trace) {
        const PixelRect plot = plotRect(state_.view);
        const QRect line(cursorX_, plot.top, 1, plot.bottom - plot.top);
        if (line.intersects(area)) painter.fillRect(line, qColour(cursorColour(state_.view.backgroundColour)));
    }
}

QImage ViewArea::screenImage() const {
    QImage image = canvas_.copy();
    QPainter painter(&image);
    paintOverlay(painter, image.rect());
    return image;
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
    // The third tab names the list it shows.
    QString* titles = tabTitles_;
    titles[0] = qs(kTraceViewTitle);
    titles[1] = qs(kReportViewTitle);
    titles[2] = qs(listViewTabTitle(static_cast<RecordList>(std::clamp(state_.listKind, 0, 2))));
    int left = 5;
    for (int t = 0; t < 3; ++t) {
        const QString& title = titles[t];
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
        painter.drawText(r.adjusted(0, kTabTitleDrop, 0, 0), Qt::AlignHCenter | Qt::AlignTop, titles[t]);
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
    drawMarks();
    updateScrollBars();
}

void ViewArea::drawMarks() {
    if (state_.traceMarks.empty()) return;
    const std::vector<PlacedMark> placed =
        placeMarks(state_.view, state_.traceMarks, state_.chromatogram->shownCount());
    PixelSurface surface = surfaceOf(canvas_);
    drawMarkLines(surface, state_.view, placed);
    QPainter painter(&canvas_);
    painter.setPen(qColour(kTraceMarkColour));
    const PixelRect plot = plotRect(state_.view);
    for (const PlacedMark& p : placed) {
        painter.drawText(QPoint(p.x + 3, plot.top + painter.fontMetrics().ascent() + 2),
                         QString::fromStdString(p.mark->name));
    }
}

void ViewArea::redrawTrace() {
    if (state_.measurement.viewMode() != ViewMode::Trace) return;
    ensureCanvas();
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
    viewInside_ = QRect(frame.X0 + 2, frame.Y0 + 2, frame.X1 - frame.X0 - 4, frame.Y1 - frame.Y0 - 4);
    if (const ViewPainter& draw = viewPainters_[static_cast<int>(state_.measurement.viewMode())]) {
        painter.setClipRect(viewInside_);
        draw(painter, viewInside_);
        return;
    }
    painter.setFont(programFont(14));
    painter.setPen(QColor(90, 90, 90));
    painter.drawText(QRect(frame.X0, frame.Y0, frame.X1 - frame.X0, frame.Y1 - frame.Y0), Qt::AlignCenter,
                     QString::fromUtf8(notice));
}

void ViewArea::setViewPainter(ViewMode view, ViewPainter painter) {
    viewPainters_[static_cast<int>(view)] = std::move(painter);
}

void ViewArea::setViewClick(ViewMode view, ViewClick click) { viewClicks_[static_cast<int>(view)] = std::move(click); }

void ViewArea::setViewDoubleClick(ViewMode view, ViewClick click) {
    viewDoubleClicks_[static_cast<int>(view)] = std::move(click);
}

// ---- Incremental drawing ------------------------------------------------------------------

void ViewArea::drawNewPoints(int32_t first, int32_t end) {
    if (!state_.view.roomToDraw || state_.measurement.viewMode() != ViewMode::Trace) return;
    PixelSurface surface = surfaceOf(canvas_);
    for (int32_t n = std::max(first, 1); n < end; ++n) renderer_->drawPoint(surface, state_.view, *state_.chromatogram, n);
    const PixelRect plot = plotRect(state_.view);
    update(QRect(plot.left, plot.top, plot.right - plot.left, plot.bottom - plot.top));
}

void ViewArea::updateHorizontalRange() {
    if (hBar_ == nullptr) return;
    const TraceView& v = state_.view;
    const QSignalBlocker block(hBar_);
    hScale_ = scrollBarScale(v.hMax);
    hBar_->setRange(0, hScale_.barMax);
    hBar_->setPageStep(static_cast<int>(std::max<int64_t>(1, v.visibleWidth / 2 / hScale_.unit)));
    hBar_->setValue(hScale_.barPosition(v.hScroll));
    hBar_->setEnabled(v.hMax != 0);
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
    hScale_ = scrollBarScale(v.hMax);
    hBar_->setRange(0, hScale_.barMax);
    hBar_->setPageStep(static_cast<int>(std::max<int64_t>(1, v.visibleWidth / 2 / hScale_.unit)));
    hBar_->setValue(hScale_.barPosition(v.hScroll));
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
    case QAbstractSlider::SliderMove:
    case QAbstractSlider::SliderToMinimum:
    case QAbstractSlider::SliderToMaximum: return ScrollAction::Thumb;  // the bar already stands there
    default: return std::nullopt;
    }
}

}  // namespace

void ViewArea::onHorizontalAction(int action) {
    std::optional<ScrollAction> mapped = scrollActionOf(action);
    if (!mapped) return;
    const ScrollResult result = scrollHorizontal(state_.view, *mapped, hScale_.positionOf(hBar_->sliderPosition()));
    hBar_->setSliderPosition(hScale_.barPosition(state_.view.hScroll));  // the bar shows the position the view took
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
    const std::optional<int32_t> index = hover_.tick(buttons_);
    if (!index) return;
    const std::string_view label = viewButtonLabel(*index);
    hoverText_ = QString::fromUtf8(label.data(), static_cast<qsizetype>(label.size()));
    const QFontMetrics metrics(programFont(13));
    // The box stays whole inside the view area, above the status bar.
    const PixelRect box = placeHoverBox(hover_.x(), hover_.y(), metrics.horizontalAdvance(hoverText_) + 6,
                                        metrics.height() + 6, width(), height());
    hoverRect_ = QRect(box.left, box.top, box.right - box.left, box.bottom - box.top);
    hoverShown_ = true;
    hoverLabel_->setText(hoverText_);
    hoverLabel_->setGeometry(hoverRect_);
    hoverLabel_->raise();
    hoverLabel_->show();
}

void ViewArea::hideHover() {
    if (!hoverShown_) return;
    hoverShown_ = false;
    hoverLabel_->hide();
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

MouseContext ViewArea::mouseContext() {
    return MouseContext{state_.measurement.viewMode(), state_.view, state_.tools, *state_.chromatogram, buttons_};
}

void ViewArea::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) clickAt(event->position().toPoint());
}

void ViewArea::mouseReleaseEvent(QMouseEvent* event) {
    const QPoint point = event->position().toPoint();
    if (event->button() == Qt::LeftButton) {
        MouseContext c = mouseContext();
        apply(mouse_.release(point.x(), point.y(), c));
    }
    if (event->button() == Qt::RightButton) rightClickAt(point);
}

void ViewArea::mouseMoveEvent(QMouseEvent* event) { moveTo(event->position().toPoint()); }

void ViewArea::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) doubleClickAt(event->position().toPoint());
}

void ViewArea::doubleClickAt(QPoint point) {
    const int view = static_cast<int>(state_.measurement.viewMode());
    if (viewDoubleClicks_[view] && viewInside_.contains(point) && viewDoubleClicks_[view](point, viewInside_)) redraw();
}

void ViewArea::leaveEvent(QEvent*) {
    if (hover_.left()) hideHover();
    setCursorLine(-1);
    MouseContext c = mouseContext();
    applyBevels(mouse_.leave(c).bevels);
}

void ViewArea::wheelEvent(QWheelEvent* event) {
    wheelAt(event->position().toPoint(), event->angleDelta().y(), event->buttons());
}

void ViewArea::clickAt(QPoint point) {
    const int view = static_cast<int>(state_.measurement.viewMode());
    if (tabAt(point) < 0 && viewClicks_[view] && viewInside_.contains(point) && viewClicks_[view](point, viewInside_)) {
        redraw();
    }
    MouseContext c = mouseContext();
    apply(mouse_.press(point.x(), point.y(), tabAt(point), c));
}

void ViewArea::moveTo(QPoint point) {
    if (hover_.moved(point.x(), point.y())) hideHover();
    MouseContext c = mouseContext();
    apply(mouse_.move(point.x(), point.y(), c));
}

void ViewArea::rightClickAt(QPoint) {
    MouseContext c = mouseContext();
    apply(mouse_.rightClick(c));
}

void ViewArea::wheelAt(QPoint, int delta, Qt::MouseButtons held) {
    MouseContext c = mouseContext();
    apply(mouse_.wheel(delta, (held & Qt::LeftButton) != 0, (held & Qt::RightButton) != 0, c));
}

// Carries out what the mouse rules decided.
void ViewArea::apply(const MouseOutcome& out) {
    if (out.selectTab) {
        emit tabSelected(*out.selectTab);
        return;
    }
    if (out.zoomed) dropTraceScrollBars();
    switch (out.redraw) {
    case ViewRedraw::Full: redraw(); break;
    case ViewRedraw::Trace: redrawTrace(); break;
    case ViewRedraw::None: break;
    }
    if (out.readout) emit statusText(kStatusPartReadout, QString::fromStdString(*out.readout));
    switch (out.cursor) {
    case ToolCursor::DeleteStretch: setCursor(Qt::SplitHCursor); break;
    case ToolCursor::Readout: setCursor(Qt::CrossCursor); break;
    case ToolCursor::ManualPeak: setCursor(Qt::UpArrowCursor); break;
    case ToolCursor::ZoomBox: setCursor(Qt::SizeFDiagCursor); break;
    case ToolCursor::Arrow: unsetCursor(); break;
    }
    setCursorLine(out.cursorLineX);
    applyBevels(out.bevels);
    if (out.traceEdited) emit traceEdited();
    if (out.manualPick) emit manualPick(out.manualPick->start, out.manualPick->end);
    if (out.viewButton) emit viewButtonPressed(*out.viewButton);
}

void ViewArea::setCursorLine(int x) {
    if (x == cursorX_) return;
    const PixelRect plot = plotRect(state_.view);
    if (cursorX_ >= 0) update(QRect(cursorX_, plot.top, 1, plot.bottom - plot.top));
    cursorX_ = x;
    if (cursorX_ >= 0) update(QRect(cursorX_, plot.top, 1, plot.bottom - plot.top));
}

}  // namespace vespian
