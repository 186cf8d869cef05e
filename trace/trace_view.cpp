// The trace window's geometry, transforms, zoom and scroll. See trace_view.h.

#include "trace/trace_view.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "trace/chromatogram.h"

namespace vespian {

namespace {

int32_t saturate(int64_t v) {
    return static_cast<int32_t>(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX));
}

float sanitizedZoom(float zoom) {
    if (!(zoom >= 1.0f)) return 1.0f;  // also NaN
    return std::min(zoom, kMaxZoom);
}

// factor += factor / 5 and position += position / 5, unless the factor would pass kMaxZoom.
// Returns whether the factor changed.
bool growAxis(float& factor, int32_t& position) {
    const float grown = factor + factor / 5.0f;
    if (!(grown <= kMaxZoom)) return false;
    factor = grown;
    position = saturate(static_cast<int64_t>(position) + position / 5);
    return true;
}

// factor −= factor / 5, not below 1.0; position −= position / 5.
void shrinkAxis(float& factor, int32_t& position) {
    factor = factor - factor / 5.0f;
    if (!(factor >= 1.0f)) factor = 1.0f;
    position = position - position / 5;
}

// A horizontal position split into whole time ranges (k) and the remainder within the range,
// which is what the classic rules act on.
struct RangeSplit {
    int64_t ranges = 0;
    int64_t remainder = 0;
};
RangeSplit splitVirtualX(int64_t virtualWidth, int64_t v) {
    if (virtualWidth <= 0 || v < virtualWidth) return {0, v};
    return {v / virtualWidth, v % virtualWidth};
}

// The horizontal zoom: the factor changes as `change` says; the remainder of the position
// within its time range moves by its fifth, the whole ranges stay.
template <class Change>
void zoomHorizontal(TraceView& view, Change change) {
    const RangeSplit split = splitVirtualX(view.virtualWidth, view.hScroll);
    int32_t remainder = saturate(split.remainder);
    change(view.xZoom, remainder);
    layoutTraceView(view);
    view.hScroll = split.ranges * std::max<int64_t>(view.virtualWidth, 0) + remainder;
    view.hScroll = std::clamp<int64_t>(view.hScroll, 0, view.hMax);
}

void relayout(TraceView& view) { layoutTraceView(view); }

// The horizontal range that shows the trace's newest point three quarters across the plot.
int64_t rangeForTrace(const TraceView& view) {
    const int64_t written = static_cast<int64_t>(view.virtualWidth) - view.visibleWidth;
    int64_t needed = 0;
    if (view.recordedPoints > 0 && view.virtualWidth > 0) {
        needed = pointTransform(view).xv(view.recordedPoints - 1) - static_cast<int64_t>(view.visibleWidth) * 3 / 4;
    }
    return std::max<int64_t>({written, needed, 0});
}

}  // namespace

// ---- Layout ---------------------------------------------------------------------------------

void setViewArea(TraceView& view, int32_t clientWidth, int32_t viewBottom) {
    view.areaLeft = 0;
    view.areaRight = std::max(clientWidth, 0);
    view.areaTop = kViewTop;
    view.areaBottom = std::max(viewBottom, kViewTop);
}

bool layoutTraceView(TraceView& view) {
    view.xZoom = sanitizedZoom(view.xZoom);
    view.yZoom = sanitizedZoom(view.yZoom);
    // Step 1: the frame.
    view.X0 = view.areaLeft + 30;
    view.X1 = std::max(view.areaRight - 50, view.X0 + 4);
    view.Y0 = view.areaTop + 50;
    view.Y1 = std::max(view.areaBottom - 15, view.Y0 + 4);
    view.xOrigin = view.X0 + 65;
    view.visibleWidth = view.X1 - view.X0 - 115;
    view.visibleHeight = view.Y1 - view.Y0 - 60;
    // Step 2: room?
    view.roomToDraw = !(view.xOrigin >= view.X1 - 30 || view.Y0 + 30 >= view.Y1 - 30);
    if (!view.roomToDraw) {
        return false;
    }
    // Step 4: horizontal virtual size and range.
    view.virtualWidth = truncateToInt(static_cast<float>(view.X1 - view.X0 - 115) * view.xZoom);
    view.hMax = rangeForTrace(view);
    // A zoom-out shrinks the range under the position: the view must not stay scrolled past its
    // end, with the scroll bar unable to show where it is.
    view.hScroll = std::clamp<int64_t>(view.hScroll, 0, view.hMax);
    // Step 5: vertical virtual size and range; the "not set" position centres the zero line.
    const int32_t previousVMax = view.vMax;
    view.virtualHeight = truncateToInt(static_cast<float>(view.Y1 - view.Y0 - 60) * view.yZoom);
    view.vMax = std::max(saturate(static_cast<int64_t>(view.virtualHeight) - view.visibleHeight), 0);
    const bool resized = view.laidOutHeight > 0 && view.laidOutHeight != view.visibleHeight;
    view.laidOutHeight = view.visibleHeight;
    if (resized && previousVMax > 0 && view.vScroll > 0 && view.vMax != 0) {
        view.vScroll = saturate(static_cast<int64_t>(std::llround(static_cast<double>(view.vScroll) * view.vMax /
                                                                  previousVMax)));
    }
    if (view.vScroll == -1 && view.vMax != 0) {
        view.vScroll = view.vMax / 2;
    }
    if (view.vMax == 0) {
        view.vScroll = -1;
    } else {
        view.vScroll = std::clamp(view.vScroll, 0, view.vMax);
    }
    return true;
}

bool setRecordedPoints(TraceView& view, int32_t count) {
    view.recordedPoints = std::max(count, 0);
    if (!view.roomToDraw) return false;
    const int64_t before = view.hMax;
    view.hMax = rangeForTrace(view);
    view.hScroll = std::clamp<int64_t>(view.hScroll, 0, view.hMax);
    return view.hMax != before;
}

int32_t midY(const TraceView& view) { return (view.Y1 - view.Y0) / 2 + view.Y0; }

PixelRect plotRect(const TraceView& view) {
    PixelRect r;
    r.left = view.X0 + 66;
    r.right = view.X1 - 51;
    r.top = view.Y0 + 31;
    r.bottom = view.Y1 - 31;
    return r;
}

int64_t pointsPerFullWidth(const TraceView& view) { return static_cast<int64_t>(std::max(view.timeRangeS, 1)) * 5; }

int64_t fullScaleMv(const TraceView& view) {
    return std::max<int64_t>(static_cast<int64_t>(view.voltRangeUv) * 2 / 1000, 1);
}

// ---- Point transforms ----------------------------------------------------------------------

PointTransform pointTransform(const TraceView& view) {
    PointTransform t;
    t.virtualWidthI = view.virtualWidth;
    // Without width every point lies at 0, as written: no whole ranges to add.
    t.pointsI = view.virtualWidth > 0 ? pointsPerFullWidth(view) : INT64_MAX;
    t.virtualWidthF = static_cast<float>(view.virtualWidth);
    t.pointsF = static_cast<float>(pointsPerFullWidth(view));
    t.virtualHeightF = static_cast<float>(view.virtualHeight);
    t.fullScaleF = static_cast<float>(fullScaleMv(view));
    t.visibleHeightF = static_cast<float>(view.visibleHeight);
    t.xOffset = static_cast<int64_t>(view.xOrigin) - view.hScroll;
    t.signalBase = static_cast<int64_t>(midY(view)) + view.vMax / 2 - view.vScroll;
    t.temperatureBase = static_cast<int64_t>(view.Y1) - 30;
    return t;
}

float pixelsPerPoint(const TraceView& view) {
    return static_cast<float>(view.X1 - view.X0 - 115) * view.xZoom / static_cast<float>(pointsPerFullWidth(view));
}

namespace {

// Index of virtual x v by a classic rule `within` for the part inside one time range.
template <class Within>
int64_t indexOfVirtualX(const TraceView& view, int64_t v, Within within) {
    const RangeSplit split = splitVirtualX(view.virtualWidth, v);
    return split.ranges * pointsPerFullWidth(view) + within(split.remainder);
}

int32_t saturateIndex(int64_t index) { return saturate(index); }

}  // namespace

IndexRange visibleIndexRange(const TraceView& view) {
    IndexRange r;
    const float g = pixelsPerPoint(view);
    if (!(g > 0.0f) || view.virtualWidth <= 0) {
        return r;
    }
    auto within = [g](int64_t w) -> int64_t { return truncateToInt(static_cast<float>(w) / g); };
    r.first = saturateIndex(indexOfVirtualX(view, view.hScroll, within));
    r.last = saturateIndex(indexOfVirtualX(view, static_cast<int64_t>(view.visibleWidth) + view.hScroll, within));
    r.valid = r.first >= 0;
    return r;
}

int32_t clickIndex(const TraceView& view, int32_t x, int32_t shownCount) {
    const float width = static_cast<float>(view.X1 - view.X0 - 115) * view.xZoom;
    if (!(width > 0.0f)) {
        return 0;
    }
    const float pointsPerPixel = static_cast<float>(pointsPerFullWidth(view)) / width;
    const int64_t offset = static_cast<int64_t>(x) + view.hScroll - view.X0 - 65;
    const int64_t index = indexOfVirtualX(view, offset, [pointsPerPixel](int64_t w) -> int64_t {
        return truncateToInt(static_cast<float>(w) * pointsPerPixel);
    });
    return static_cast<int32_t>(std::clamp<int64_t>(index, 0, std::max(shownCount, 0)));
}

int32_t readoutIndex(const TraceView& view, int32_t x) {
    if (view.virtualWidth <= 0) {
        return -1;
    }
    const int64_t offset = static_cast<int64_t>(x) + view.hScroll - view.xOrigin;
    const float range = static_cast<float>(std::max(view.timeRangeS, 1));
    const float width = static_cast<float>(view.virtualWidth);
    const int64_t index = indexOfVirtualX(view, offset, [range, width](int64_t w) -> int64_t {
        return truncateToInt(static_cast<float>(w) / width * range * 5.0f);
    });
    return index < 0 ? -1 : saturateIndex(index);
}

std::string readoutText(const TraceView& view, int32_t x, const float* signalMv, const float* temperatureC,
                        int32_t shownCount) {
    const int32_t index = readoutIndex(view, x);
    if (index < 0 || index >= shownCount || signalMv == nullptr || temperatureC == nullptr) {
        return "坐标：";
    }
    char text[160];
    std::snprintf(text, sizeof text, "坐标：电压=%.3f [mV] , 温度=%.1f [℃]", static_cast<double>(signalMv[index]),
                  static_cast<double>(temperatureC[index]));
    return text;
}

std::string readoutText(const TraceView& view, int32_t x, const Chromatogram& trace) {
    return readoutText(view, x, trace.signalMv(), trace.temperatureC(), trace.shownCount());
}

// ---- Colours --------------------------------------------------------------------------------

StoredColour cursorColour(StoredColour backgroundColour) {
    return ~((backgroundColour - 8u) * 16u) & 0x00FFFFFFu;
}

StoredColour inverseColour(StoredColour backgroundColour) { return ~backgroundColour & 0x00FFFFFFu; }

// ---- Zoom and scroll ------------------------------------------------------------------------

void zoomInX(TraceView& view) { zoomHorizontal(view, [](float& f, int32_t& p) { growAxis(f, p); }); }
void zoomOutX(TraceView& view) { zoomHorizontal(view, shrinkAxis); }
void zoomInY(TraceView& view) {
    growAxis(view.yZoom, view.vScroll);
    relayout(view);
}
void zoomOutY(TraceView& view) {
    shrinkAxis(view.yZoom, view.vScroll);
    relayout(view);
}
void zoomIn(TraceView& view) {
    growAxis(view.yZoom, view.vScroll);
    zoomInX(view);
}
void zoomOut(TraceView& view) {
    shrinkAxis(view.yZoom, view.vScroll);
    zoomOutX(view);
}
void restoreRange(TraceView& view) {
    view.xZoom = 1.0f;
    view.yZoom = 1.0f;
    view.hScroll = 0;
    view.vScroll = 0;
    relayout(view);
}

bool viewButton(TraceView& view, int32_t index) {
    switch (index) {
    case 0: zoomInX(view); return true;
    case 1: zoomOutX(view); return true;
    case 2: zoomInY(view); return true;
    case 3: zoomOutY(view); return true;
    case 4: restoreRange(view); return true;
    default: return false;
    }
}

WheelResult wheel(TraceView& view, int32_t delta, WheelButton button) {
    WheelResult result;
    if (delta == 0) {
        return result;
    }
    const bool forward = delta > 0;
    switch (button) {
    case WheelButton::None:
        if (forward) {
            zoomOut(view);
        } else {
            zoomIn(view);
        }
        result.zoomed = true;
        break;
    case WheelButton::Right:
        view.hScroll = std::clamp<int64_t>(view.hScroll + (forward ? -60 : 60), 0, std::max<int64_t>(view.hMax, 0));
        view.autoScroll = 0;
        result.scrolled = true;
        break;
    case WheelButton::Left:
        view.vScroll = saturate(std::clamp<int64_t>(static_cast<int64_t>(view.vScroll) + (forward ? -30 : 30), 0,
                                                    std::max(view.vMax, 0)));
        result.scrolled = true;
        break;
    }
    return result;
}

namespace {

int64_t scrolledPosition(int64_t position, int64_t max, int32_t visible, ScrollAction action, int64_t thumb) {
    int64_t p = position;
    switch (action) {
    case ScrollAction::LineUp: p -= 10; break;
    case ScrollAction::LineDown: p += 10; break;
    case ScrollAction::PageUp: p -= visible / 2; break;
    case ScrollAction::PageDown: p += visible / 2; break;
    case ScrollAction::Thumb: p = thumb; break;
    }
    return std::clamp<int64_t>(p, 0, std::max<int64_t>(max, 0));
}

}  // namespace

ScrollResult scrollHorizontal(TraceView& view, ScrollAction action, int64_t thumbPosition) {
    ScrollResult result;
    const int64_t p = scrolledPosition(view.hScroll, view.hMax, view.visibleWidth, action, thumbPosition);
    result.changed = p != view.hScroll;
    view.hScroll = p;
    view.autoScroll = 0;
    result.startAutoScrollTimer = true;
    return result;
}

ScrollResult scrollVertical(TraceView& view, ScrollAction action, int32_t thumbPosition) {
    ScrollResult result;
    const int32_t p =
        saturate(scrolledPosition(view.vScroll, view.vMax, view.visibleHeight, action, thumbPosition));
    result.changed = p != view.vScroll;
    view.vScroll = p;
    return result;
}

// ---- Rubber band ----------------------------------------------------------------------------

void rubberBandBegin(TraceView& view, int32_t x, int32_t y) {
    view.rubberBandStarted = 1;
    view.bandX1 = view.bandX2 = x;
    view.bandY1 = view.bandY2 = y;
}

bool rubberBandMove(TraceView& view, int32_t x, int32_t y) {
    if (!view.rubberBandStarted) {
        return false;
    }
    view.bandX2 = x;
    view.bandY2 = y;
    return true;
}

bool rubberBandComplete(TraceView& view, int32_t x, int32_t y) {
    if (!view.rubberBandStarted) {
        return false;
    }
    view.bandX2 = x;
    view.bandY2 = y;
    view.rubberBandStarted = 0;
    const int32_t x1 = std::min(view.bandX1, view.bandX2);
    const int32_t x2 = std::max(view.bandX1, view.bandX2);
    const int32_t y1 = std::min(view.bandY1, view.bandY2);
    const int32_t y2 = std::max(view.bandY1, view.bandY2);
    if (x2 == x1 || y2 == y1) {
        return false;
    }
    const PixelRect plot = plotRect(view);
    const float fx = static_cast<float>(plot.right - plot.left) / static_cast<float>(static_cast<int64_t>(x2) - x1);
    const float fy = static_cast<float>(plot.bottom - plot.top) / static_cast<float>(static_cast<int64_t>(y2) - y1);
    const RangeSplit h = splitVirtualX(view.virtualWidth, view.hScroll + x1 - view.X0 - 65);
    const int64_t v = static_cast<int64_t>(view.vScroll) + y1 - 30 - view.Y0;
    view.vScroll = truncateToInt(static_cast<float>(v) * fy);
    view.xZoom = view.xZoom * fx;
    view.yZoom = view.yZoom * fy;
    view.autoScroll = 0;
    relayout(view);
    view.hScroll = std::max<int64_t>(h.ranges * std::max<int64_t>(view.virtualWidth, 0) +
                                         truncateToInt(static_cast<float>(h.remainder) * fx),
                                     0);
    view.hScroll = std::clamp<int64_t>(view.hScroll, 0, view.hMax);
    return true;
}

// ---- Auto-scroll ----------------------------------------------------------------------------

int64_t autoScrollPosition(const TraceView& view, int32_t n) {
    // The newest point goes to three quarters of the plot width, leaving a quarter page for the
    // points to come before the next scroll; the view never scrolls past its end.
    const int64_t x = pointTransform(view).xv(std::max(n, 0));
    const int64_t target = x - static_cast<int64_t>(view.visibleWidth) * 3 / 4;
    return std::clamp<int64_t>(target, 0, std::max<int64_t>(view.hMax, 0));
}

bool pointRightOfPlot(const TraceView& view, int32_t n) {
    return pointTransform(view).xv(std::max(n, 0)) + view.xOrigin - view.hScroll >= plotRect(view).right;
}

bool applyAutoScroll(TraceView& view, int32_t n, bool pointBeyondRight, bool traceViewShown, bool manualPeakMode) {
    if (!pointBeyondRight || !traceViewShown || !view.autoScroll || manualPeakMode || view.rubberBandMode) {
        return false;
    }
    if (n >= view.recordedPoints) setRecordedPoints(view, n + 1);
    const int64_t position = autoScrollPosition(view, n);
    if (position == view.hScroll) return false;
    view.hScroll = position;
    return true;
}

// ---- Scroll bar ----------------------------------------------------------------------------

int32_t ScrollBarScale::barPosition(int64_t position) const {
    if (position >= max) return barMax;
    return static_cast<int32_t>(std::clamp<int64_t>(position / unit, 0, barMax));
}

int64_t ScrollBarScale::positionOf(int32_t barValue) const {
    if (barValue >= barMax) return max;
    return std::clamp<int64_t>(static_cast<int64_t>(barValue) * unit, 0, max);
}

ScrollBarScale scrollBarScale(int64_t max) {
    ScrollBarScale scale;
    scale.max = std::max<int64_t>(max, 0);
    scale.unit = scale.max / kScrollBarLimit + 1;
    scale.barMax = static_cast<int32_t>((scale.max + scale.unit - 1) / scale.unit);
    return scale;
}

}  // namespace vespian
