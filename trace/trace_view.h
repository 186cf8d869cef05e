#pragma once
// The trace window's geometry and state: the frame laid out from the view area, the
// point transforms (index → x, signal → y, temperature → y) in float32 with truncation in the
// program's classic order of operations, clicks and the coordinate readout back to indices, zoom and
// scroll, the rubber-band zoom and auto-scroll. No drawing here (trace_drawing.h) and no Qt.
//
// The time axis beyond the time range. The classic transforms cover one time range (P points)
// across the virtual width; a run longer than that lies beyond it. So that the whole run can be
// scrolled to and drawn as exactly at its end as at its start, every horizontal rule works in
// whole time ranges plus a remainder: point i = k·P + r lies at virtual x = k·virtualWidth +
// xv(r), a virtual x v = k·virtualWidth + w maps back to k·P + index(w), and a zoom keeps k
// time ranges and scales the remainder as written. Within the first time range (k = 0), which
// is all a run shorter than the time range ever uses, every rule is the classic one to the
// pixel. Virtual x and the horizontal scroll are 64-bit: 10,000,000 points at the deepest zoom
// lie far beyond 32 bits of pixels.
//
// Guards against values that would divide by zero or overflow:
// - a time range below 1 s counts as 1 s, so P = 5 × time range is never 0;
// - a voltage range below 500 µV gives the full scale S = 1 mV (S is never below 1);
// - a virtualWidth or virtualHeight of 0 or less draws no trace and maps clicks to index 0;
// - zoom factors are kept in 1.0 .. kMaxZoom (a zoom step that would pass kMaxZoom does nothing),
//   so the virtual sizes stay inside int32;
// - every float → int32 truncation saturates (NaN gives 0) instead of being undefined, and
//   screen coordinates are kept within ±2^30.

#include <cstdint>
#include <string>

#include "platform/pixel_surface.h"

namespace vespian {

class Chromatogram;

inline constexpr float kMaxZoom = 100000.0f;
inline constexpr int32_t kViewTop = 55;  // area.top, and the least area.bottom

struct TraceView {
    // The view rectangle in the main window: left 0, right = client width (≥ 0), top 55,
    // bottom = the bottom of the view area (≥ 55). Set with setViewArea.
    int32_t areaLeft = 0;
    int32_t areaRight = 0;
    int32_t areaTop = kViewTop;
    int32_t areaBottom = kViewTop;

    // Frame and plot, computed by layoutTraceView.
    int32_t X0 = 30, X1 = 34, Y0 = 105, Y1 = 109;
    int32_t xOrigin = 95;       // X0 + 65: x of time 0 when not scrolled
    int32_t visibleWidth = 0;   // X1 − X0 − 115
    int32_t visibleHeight = 0;  // Y1 − Y0 − 60
    bool roomToDraw = false;    // layout step 2 passed

    float xZoom = 1.0f;
    float yZoom = 1.0f;
    int32_t virtualWidth = 0;   // truncate(visibleWidth × xZoom)
    int32_t virtualHeight = 0;  // truncate(visibleHeight × yZoom)
    int64_t hScroll = 0;
    // The larger of virtualWidth − visibleWidth and what the recorded trace needs to show its
    // newest point three quarters across the plot (never below 0).
    int64_t hMax = 0;
    int32_t recordedPoints = 0;  // the trace's shown points, which the scroll range covers
    int32_t vScroll = -1;       // −1 = not set: becomes vMax / 2 at the next layout
    int32_t vMax = 0;           // virtualHeight − visibleHeight
    int32_t laidOutHeight = 0;  // visibleHeight of the last layout with room, 0 before the first

    int32_t timeRangeS = 3600;
    int32_t voltRangeUv = 10000;
    StoredColour backgroundColour = 0x00FFFFFFu;
    StoredColour traceColour = 0x007800FFu;

    int32_t autoScroll = 1;

    // Click modes of this Part, and the rubber band: first corner (x, y) and second corner.
    int32_t coordinateMode = 0;
    int32_t rubberBandMode = 0;
    int32_t rubberBandStarted = 0;  // the first corner is set; the band is being drawn
    int32_t bandX1 = 0, bandY1 = 0, bandX2 = 0, bandY2 = 0;
};

// ---- Layout ---------------------------------------------------------------------------------

// The view area from the main window's layout: right = client width (0 if negative), bottom = the
// bottom of the view area (at least 55).
void setViewArea(TraceView& view, int32_t clientWidth, int32_t viewBottom);

// Layout steps 1, 2, 4 and 5: frame fields from the area (X1 ≥ X0 + 4, Y1 ≥ Y0 + 4); the room
// test of step 2 (xOrigin ≥ X1 − 30 or Y0 + 30 ≥ Y1 − 30: no room, and the virtual sizes and
// scroll ranges are left as they were); then virtualWidth, hMax (covering recordedPoints),
// virtualHeight, vMax, with
// vScroll = vMax / 2 when it was −1 and vMax ≠ 0, and vScroll = −1 when vMax = 0. When the plot
// has changed height since the last layout (the window was resized) vScroll keeps its share of
// vMax, so the same signal stays in the middle of the plot rather than the trace moving out of
// view. Zoom factors outside 1.0 .. kMaxZoom (or NaN, as from a damaged settings file) are
// brought back inside first. The scroll positions are then brought within 0 .. hMax and 0 .. vMax.
// Returns roomToDraw.
bool layoutTraceView(TraceView& view);

// The trace now shows `count` points: the horizontal range grows (or shrinks, after a cut) to
// cover them. Returns whether hMax changed; hScroll is kept within the new range.
bool setRecordedPoints(TraceView& view, int32_t count);

// midY = (Y1 − Y0) / 2 + Y0.
int32_t midY(const TraceView& view);

// The plot rectangle (drawing clip and click area): x from X0 + 66 to X1 − 51, y from Y0 + 31 to
// Y1 − 31, right and bottom edges excluded.
PixelRect plotRect(const TraceView& view);

// Guarded ranges: P = 5 × max(timeRangeS, 1) points per full width; S = max((voltRangeUv × 2)
// / 1000, 1) mV of the full ± range.
int64_t pointsPerFullWidth(const TraceView& view);
int64_t fullScaleMv(const TraceView& view);

// ---- Point transforms ----------------------------------------------------------------------

// float → int32 truncation towards zero; NaN gives 0, out-of-range values saturate.
inline int32_t truncateToInt(float value) {
    if (!(value == value)) return 0;
    if (value >= 2147483648.0f) return INT32_MAX;
    if (value <= -2147483648.0f) return INT32_MIN;
    return static_cast<int32_t>(value);
}
inline int32_t truncateToInt(double value) {
    if (!(value == value)) return 0;
    if (value >= 2147483648.0) return INT32_MAX;
    if (value <= -2147483648.0) return INT32_MIN;
    return static_cast<int32_t>(value);
}

inline constexpr int64_t kScreenLimit = int64_t{1} << 30;
inline int32_t clampScreen(int64_t v) {
    return static_cast<int32_t>(v < -kScreenLimit ? -kScreenLimit : v > kScreenLimit ? kScreenLimit : v);
}

// The transforms of one view state, precomputed. Each value is computed in float32 in the order
// written here, then truncated:
//   xv(i) = truncate(virtualWidth × (i / P));            screen x = xv(i) + xOrigin − hScroll
//   ys(v) = truncate(virtualHeight × (v / S));           screen y = midY + vMax/2 − ys(v) − vScroll
//   yt(T) = truncate(visibleHeight × (T / 1200));        screen y = (Y1 − 30) − yt(T)
// All three are monotone (non-decreasing in i, v, T; NaN maps like 0), which the fast drawing
// relies on.
struct PointTransform {
    int64_t virtualWidthI = 0;
    int64_t pointsI = 1;  // P
    float virtualWidthF = 0.0f;
    float pointsF = 1.0f;  // P
    float virtualHeightF = 0.0f;
    float fullScaleF = 1.0f;  // S
    float visibleHeightF = 0.0f;
    int64_t xOffset = 0;           // xOrigin − hScroll
    int64_t signalBase = 0;        // midY + vMax / 2 − vScroll
    int64_t temperatureBase = 0;   // Y1 − 30

    // Within the first time range as written; beyond it in whole ranges plus the remainder.
    int64_t xv(int32_t i) const {
        if (i < pointsI) return truncateToInt(virtualWidthF * (static_cast<float>(i) / pointsF));
        const int64_t k = i / pointsI;
        const int64_t r = i - k * pointsI;
        return k * virtualWidthI + truncateToInt(virtualWidthF * (static_cast<float>(r) / pointsF));
    }
    int32_t ys(float v) const { return truncateToInt(virtualHeightF * (v / fullScaleF)); }
    int32_t yt(float t) const { return truncateToInt(visibleHeightF * (t / 1200.0f)); }
    int32_t screenX(int32_t i) const { return clampScreen(xOffset + xv(i)); }
    int32_t screenYSignal(float v) const { return clampScreen(signalBase - ys(v)); }
    int32_t screenYTemperature(float t) const { return clampScreen(temperatureBase - yt(t)); }
};

PointTransform pointTransform(const TraceView& view);

// Pixels per point G = (X1 − X0 − 115) × xZoom / P (float32).
float pixelsPerPoint(const TraceView& view);

// The first and last index of the full trace drawing (step 1): i0 = truncate(hScroll / G),
// i1 = truncate((visibleWidth + hScroll) / G), in whole time ranges plus the remainder beyond
// the first. valid is false when G ≤ 0 (no width) or i0 < 0.
struct IndexRange {
    int32_t first = 0;
    int32_t last = -1;
    bool valid = false;
};
IndexRange visibleIndexRange(const TraceView& view);

// Click x → index: truncate((x + hScroll − X0 − 65) × (P / ((X1 − X0 − 115) × xZoom))) (in whole
// time ranges plus the remainder beyond the first), clamped to 0 .. shownCount. A view without
// width maps every click to 0.
int32_t clickIndex(const TraceView& view, int32_t x, int32_t shownCount);

// Readout x → index: truncate((x + hScroll − xOrigin) / virtualWidth × timeRangeS × 5.0) in
// float32 (whole time ranges plus the remainder beyond the first); −1 when virtualWidth ≤ 0 or
// left of time 0's range.
int32_t readoutIndex(const TraceView& view, int32_t x);

// The status-bar pane 3 text for the cursor at x: "坐标：电压=%.3f [mV] , 温度=%.1f [℃]" with the
// signal and temperature of the readout index, or "坐标：" when the index is not in 0 .. shownCount − 1.
std::string readoutText(const TraceView& view, int32_t x, const float* signalMv, const float* temperatureC,
                        int32_t shownCount);
std::string readoutText(const TraceView& view, int32_t x, const Chromatogram& trace);

// ---- Colours --------------------------------------------------------------------------------

// Cursor and zero-line colour ~((backgroundColour − 8) × 16), as a colour value (low 24 bits).
StoredColour cursorColour(StoredColour backgroundColour);
// The inverse of the background colour (frame of the plot, time axis, rubber band).
StoredColour inverseColour(StoredColour backgroundColour);

// ---- Zoom and scroll ------------------------------------------------------------------------

// Every zoom re-lays out the view (the scroll bars are rebuilt with the new ranges); the caller
// redraws. Zoom in: factor += factor / 5, position += position / 5 (integer division). Zoom out:
// factor −= factor / 5, not below 1.0; position −= position / 5. Horizontally the position beyond
// the first time range keeps its whole ranges and only the remainder moves by its fifth, so a
// zoom far along a long run stays at the same time.
void zoomIn(TraceView& view);
void zoomOut(TraceView& view);
void zoomInX(TraceView& view);
void zoomOutX(TraceView& view);
void zoomInY(TraceView& view);
void zoomOutY(TraceView& view);
// Both factors 1.0, both positions 0.
void restoreRange(TraceView& view);
// View buttons 0–4 (message 5020): 0 x in, 1 x out, 2 y in, 3 y out, 4 restore range. Other
// indices do nothing and return false.
bool viewButton(TraceView& view, int32_t index);

enum class WheelButton { None, Left, Right };
struct WheelResult {
    bool zoomed = false;     // full redraw (the view was re-laid out)
    bool scrolled = false;   // redraw of the plot area
};
// The wheel over the trace view: delta > 0 is forward (away from the user). No button: forward
// zooms out, backward zooms in. Right button: hScroll −60 / +60 and autoScroll off. Left button:
// vScroll −30 / +30. Scrolls are clamped to 0 .. max. A delta of 0 does nothing.
WheelResult wheel(TraceView& view, int32_t delta, WheelButton button);

enum class ScrollAction { LineUp, LineDown, PageUp, PageDown, Thumb };
struct ScrollResult {
    bool changed = false;             // the position changed: redraw
    bool startAutoScrollTimer = false;  // horizontal user scroll: autoScroll is off now, start the 3 s timer
};
// Scroll-bar actions: arrows ±10, page ± half the visible extent, thumb sets the position;
// clamped to 0 .. max. Every horizontal action turns autoScroll off and asks for the timer.
ScrollResult scrollHorizontal(TraceView& view, ScrollAction action, int64_t thumbPosition = 0);
ScrollResult scrollVertical(TraceView& view, ScrollAction action, int32_t thumbPosition = 0);

// ---- Rubber band ----------------------------------------------------------------------------

// First click: both corners at (x, y), the band is being drawn.
void rubberBandBegin(TraceView& view, int32_t x, int32_t y);
// Mouse move while the band is drawn: the second corner follows. Returns whether it is drawn.
bool rubberBandMove(TraceView& view, int32_t x, int32_t y);
// Second click at (x, y): second corner = (x, y); then with the corners ordered (x1 < x2,
// y1 < y2) and the plot rectangle's width and height: fx = width / (x2 − x1), fy = height /
// (y2 − y1); hScroll = max(0, truncate((hScroll + x1 − X0 − 65) × fx)) (whole time ranges
// kept, the remainder scaled, beyond the first range); vScroll =
// truncate((vScroll + y1 − 30 − Y0) × fy); xZoom ×= fx; yZoom ×= fy (at most kMaxZoom); layout;
// autoScroll off. The band ends; rubber-band mode stays on for the next band. A band without
// width or height zooms nothing (it would divide by zero). Returns whether the view zoomed.
bool rubberBandComplete(TraceView& view, int32_t x, int32_t y);

// ---- Auto-scroll ----------------------------------------------------------------------------

// hScroll that shows the newest point n three quarters of the way across the plot, within
// 0 .. hMax. (The rule this program inherited, n × (plot width × xZoom / (time range × 100)),
// scrolls by a twentieth of the point's position and lets the newest point run out of view.)
int64_t autoScrollPosition(const TraceView& view, int32_t n);
// Whether point n lies right of the plot rectangle (or on its excluded right edge), where it
// cannot be seen.
bool pointRightOfPlot(const TraceView& view, int32_t n);
// Applies it when point n lies right of the plot, the trace view is shown, autoScroll is on and
// neither manual-peak nor rubber-band mode is on; the range is first grown to cover point n.
// Returns whether hScroll changed (the caller redraws).
bool applyAutoScroll(TraceView& view, int32_t n, bool pointBeyondRight, bool traceViewShown, bool manualPeakMode);

// ---- Scroll bar ----------------------------------------------------------------------------

// A scroll bar counts in int; a horizontal range beyond kScrollBarLimit is shown in steps of
// `unit` pixels so the bar can still reach every part of the trace.
inline constexpr int64_t kScrollBarLimit = int64_t{1} << 30;
struct ScrollBarScale {
    int64_t max = 0;
    int64_t unit = 1;
    int32_t barMax = 0;
    // The bar's ends are the range's ends, whatever the rounding in between.
    int32_t barPosition(int64_t position) const;
    int64_t positionOf(int32_t barValue) const;
};
ScrollBarScale scrollBarScale(int64_t max);

}  // namespace vespian
