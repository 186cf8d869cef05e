// Drawing of the trace window. See trace_drawing.h.
//
// Why the column drawing is exact. The per-point loop draws, for every point i after the
// first, the signal segment from point i − 1 to point i and then the temperature segment (a
// point whose three pixel values all equal the previous point's draws nothing, and zero-length
// segments draw nothing either, so "every consecutive pair, signal first" is the same thing).
// xv(i) never decreases, so the points of one pixel column x form an index range a .. b. The
// segments inside it are vertical: step j covers the pixels from y(j − 1) towards y(j), y(j)
// itself excluded. The segments entering the column (from point a − 1) and leaving it (to point
// b + 1) are ordinary pixel-line segments and are drawn as such, in order.
//
// 1. The vertical steps of one series cover exactly the pixels between min and max of the walk
//    y(a .. c − 1), c being the start of the final constant run (y(c .. b) = y(b)), extended
//    towards y(b) but without y(b) itself when y(b) lies beyond them; nothing when c = a. (Every
//    value the walk leaves is a step's first pixel, every value it jumps over lies inside a
//    step; only the last value can be reached without being left.) The transforms are monotone,
//    so the pyramid's value min/max give the pixel min/max, and its "last index that maps to
//    another pixel" query gives c − 1.
// 2. The signal and temperature steps of a column are drawn interleaved; where their pixel sets
//    do not overlap the order does not matter and each set is one vertical run. Where they
//    overlap, the pixel takes the colour of the series whose last covering step comes later (the
//    temperature on a tie: it is drawn second). Step j covers p exactly when y(j) ≠ p and y(j −
//    1) lies on the other side of p or on it. So the last step covering p is: for p < y(b),
//    1 + the last index whose pixel is ≤ p; for p > y(b), 1 + the last index whose pixel is ≥ p;
//    for p = y(b), with m1 = c − 1 the last index off y(b), 1 + the last index ≤ m1 that is not
//    on y(m1)'s side of p. Each is one pyramid query for one pixel ("pixel ≤ p" is first turned
//    into "value ≥ v0" by bisection over the floats, exact because the transform is monotone,
//    so the query compares plain values). Both functions of p are
//    monotone on either side of their series' end pixel, so on a run of pixels between those two
//    pixels the ranges at the ends bound the run: where they do not overlap, the whole run has one
//    colour; otherwise it is halved. A column where that would cost more than its points is drawn
//    point by point instead.

#include "trace/trace_drawing.h"

#include <algorithm>
#include <bit>
#include <cmath>

#include "libs/line.h"
#include "libs/wide_arithmetic.h"

namespace vespian {

namespace {

constexpr StoredColour kWhite = 0x00FFFFFFu;

PixelRect clipToSurface(const PixelRect& r, const PixelSurface& s) {
    PixelRect c;
    c.left = std::max(r.left, 0);
    c.top = std::max(r.top, 0);
    c.right = std::min(r.right, s.width);
    c.bottom = std::min(r.bottom, s.height);
    return c;
}

bool emptyRect(const PixelRect& r) { return r.left >= r.right || r.top >= r.bottom; }


void fillRect(PixelSurface& s, int64_t left, int64_t top, int64_t width, int64_t height, uint32_t pixel) {
    const int64_t x0 = std::max<int64_t>(left, 0);
    const int64_t y0 = std::max<int64_t>(top, 0);
    const int64_t x1 = std::min<int64_t>(left + width, s.width);
    const int64_t y1 = std::min<int64_t>(top + height, s.height);
    if (s.pixels == nullptr || x0 >= x1 || y0 >= y1) return;
    for (int64_t y = y0; y < y1; ++y) {
        std::fill(s.pixels + y * s.stride + x0, s.pixels + y * s.stride + x1, pixel);
    }
}

// Floats in their numeric order as integers (−0 just below +0; NaN outside ±inf), so monotone
// functions of a float can be searched by bisection.
constexpr int64_t kKeyMin = -2139095041;  // key of −inf
constexpr int64_t kKeyMax = 2139095040;   // key of +inf
int64_t keyOf(float v) {
    const int32_t b = std::bit_cast<int32_t>(v);
    return b >= 0 ? b : (b ^ 0x7FFFFFFF);
}
float valueOfKey(int64_t key) {
    const int32_t k = static_cast<int32_t>(key);
    return std::bit_cast<float>(k >= 0 ? k : (k ^ 0x7FFFFFFF));
}

// The least key in kKeyMin .. kKeyMax at which the monotone (false, then true) predicate holds,
// or kKeyMax + 1; the search gallops out from the key of `estimate`.
template <class Pred>
int64_t leastKey(Pred holds, float estimate) {
    if (!holds(kKeyMax)) return kKeyMax + 1;
    if (holds(kKeyMin)) return kKeyMin;
    const int64_t guess = std::isfinite(estimate) ? keyOf(estimate) : 0;
    int64_t lo = kKeyMin, hi = kKeyMax;  // holds(lo) false, holds(hi) true
    if (holds(guess)) {
        hi = guess;
        for (int64_t step = 1;; step *= 2) {
            const int64_t probe = hi - step;
            if (probe <= kKeyMin) break;
            if (!holds(probe)) {
                lo = probe;
                break;
            }
            hi = probe;
        }
    } else {
        lo = guess;
        for (int64_t step = 1;; step *= 2) {
            const int64_t probe = lo + step;
            if (probe >= kKeyMax) break;
            if (holds(probe)) {
                hi = probe;
                break;
            }
            lo = probe;
        }
    }
    while (hi - lo > 1) {
        const int64_t mid = lo + (hi - lo) / 2;
        if (holds(mid)) {
            hi = mid;
        } else {
            lo = mid;
        }
    }
    return hi;
}

}  // namespace

// ---- The pixel line routine -----------------------------------------------------------------

void drawPixelLine(PixelSurface& surface, const PixelRect& plot, int32_t x1, int32_t y1, int32_t x2, int32_t y2,
                   StoredColour colour) {
    if (surface.pixels == nullptr) return;
    const PixelRect clip = clipToSurface(plot, surface);
    if (emptyRect(clip)) return;
    const uint32_t pixel = pixelFromStored(colour);
    const int64_t dx = static_cast<int64_t>(x2) - x1;
    const int64_t dy = static_cast<int64_t>(y2) - y1;
    const int64_t sx = dx < 0 ? -1 : 1;
    const int64_t sy = dy < 0 ? -1 : 1;
    const int64_t adx = dx < 0 ? -dx : dx;
    const int64_t ady = dy < 0 ? -dy : dy;
    const bool steep = adx < ady;
    const int64_t major = steep ? ady : adx;
    const int64_t minor = steep ? adx : ady;
    if (major == 0) return;
    uint32_t* const pixels = surface.pixels;
    const int64_t stride = surface.stride;

    // Entirely inside: the routine as written.
    if (std::min(x1, x2) >= clip.left && std::max(x1, x2) < clip.right && std::min(y1, y2) >= clip.top &&
        std::max(y1, y2) < clip.bottom) {
        int64_t x = x1, y = y1;
        int64_t err = 4 * minor - major;
        if (steep) {
            for (int64_t k = 0; k < major; ++k) {
                pixels[y * stride + x] = pixel;
                if (err >= 0) {
                    x += sx;
                    err -= 4 * major;
                }
                y += sy;
                err += 4 * minor;
            }
        } else {
            for (int64_t k = 0; k < major; ++k) {
                pixels[y * stride + x] = pixel;
                if (err >= 0) {
                    y += sy;
                    err -= 4 * major;
                }
                x += sx;
                err += 4 * minor;
            }
        }
        return;
    }

    // Clipped. After k major steps the routine has taken n(k) = floor((4·minor·k + 3·major) /
    // (4·major)) minor steps (err before step k is 4·minor·(k + 1) − major − 4·major·n(k)), so
    // the walk can start at the first step that lands in the plot.
    const int64_t major0 = steep ? y1 : x1;
    const int64_t minor0 = steep ? x1 : y1;
    const int64_t majorStep = steep ? sy : sx;
    const int64_t minorStep = steep ? sx : sy;
    const int64_t majorLo = steep ? clip.top : clip.left;
    const int64_t majorHi = (steep ? clip.bottom : clip.right) - 1;
    const int64_t minorLo = steep ? clip.left : clip.top;
    const int64_t minorHi = (steep ? clip.right : clip.bottom) - 1;
    Wide kLo = 0;
    Wide kHi = major - 1;
    if (majorStep > 0) {
        kLo = std::max<Wide>(kLo, majorLo - major0);
        kHi = std::min<Wide>(kHi, majorHi - major0);
    } else {
        kLo = std::max<Wide>(kLo, major0 - majorHi);
        kHi = std::min<Wide>(kHi, major0 - majorLo);
    }
    const Wide nLo = minorStep > 0 ? minorLo - minor0 : minor0 - minorHi;
    const Wide nHi = minorStep > 0 ? minorHi - minor0 : minor0 - minorLo;
    const Wide fourMajor = 4 * static_cast<Wide>(major);
    const Wide fourMinor = 4 * static_cast<Wide>(minor);
    if (minor == 0) {
        if (nLo > 0 || nHi < 0) return;
    } else {
        // n(k) ≥ nLo ⟺ 4·minor·k ≥ 4·major·nLo − 3·major;
        // n(k) ≤ nHi ⟺ 4·minor·k < 4·major·(nHi + 1) − 3·major.
        kLo = std::max(kLo, ceilDiv(fourMajor * nLo - 3 * static_cast<Wide>(major), fourMinor));
        kHi = std::min(kHi, ceilDiv(fourMajor * (nHi + 1) - 3 * static_cast<Wide>(major), fourMinor) - 1);
    }
    if (kLo > kHi) return;
    const Wide start = fourMinor * kLo + 3 * static_cast<Wide>(major);
    int64_t n = static_cast<int64_t>(floorDiv(start, fourMajor));
    int64_t rest = static_cast<int64_t>(start - static_cast<Wide>(n) * fourMajor);  // 0 ≤ rest < 4·major
    const int64_t fourMajor64 = 4 * major;
    const int64_t fourMinor64 = 4 * minor;
    const int64_t kEnd = static_cast<int64_t>(kHi);
    for (int64_t k = static_cast<int64_t>(kLo); k <= kEnd; ++k) {
        const int64_t a = major0 + majorStep * k;
        const int64_t b = minor0 + minorStep * n;
        if (steep) {
            pixels[a * stride + b] = pixel;
        } else {
            pixels[b * stride + a] = pixel;
        }
        rest += fourMinor64;
        if (rest >= fourMajor64) {
            rest -= fourMajor64;
            ++n;
        }
    }
}

// ---- Frame, outline, ticks, background -------------------------------------------------------

void drawViewFrame(PixelSurface& surface, const TraceView& view, const FrameStyle& style) {
    const int32_t l = view.X0, r = view.X1 - 1, t = view.Y0, b = view.Y1 - 1;
    const StoredColour outerLight = storedFromRgb(120, 120, 120);
    const StoredColour outerShade = storedFromRgb(210, 210, 210);
    const StoredColour innerLight = storedFromRgb(80, 80, 80);
    Line(surface, l, t, r, t, outerLight);
    Line(surface, l, t, l, b, outerLight);
    Line(surface, l, b, r, b, outerShade);
    Line(surface, r, t, r, b, outerShade);
    Line(surface, l + 1, t + 1, r - 1, t + 1, innerLight);
    Line(surface, l + 1, t + 1, l + 1, b - 1, innerLight);
    Line(surface, l + 1, b - 1, r - 1, b - 1, kWhite);
    Line(surface, r - 1, t + 1, r - 1, b - 1, kWhite);
    if (style.fillInside) {
        fillRect(surface, int64_t{view.X0} + 2, int64_t{view.Y0} + 2, int64_t{view.X1} - view.X0 - 4,
                 int64_t{view.Y1} - view.Y0 - 4, pixelFromStored(style.insideColour));
    }
}

void drawPlotOutline(PixelSurface& surface, const TraceView& view) {
    const StoredColour c = inverseColour(view.backgroundColour);
    const int32_t l = view.xOrigin, r = view.X1 - 50, t = view.Y0 + 30, b = view.Y1 - 30;
    Line(surface, l, t, r, t, c);
    Line(surface, l, t, l, b, c);
    Line(surface, l, b, r, b, c);
    Line(surface, r, t, r, b, c);
}

void drawAxisTicks(PixelSurface& surface, const AxisLayout& axes) {
    for (const TickSegment& t : axes.ticks) {
        Line(surface, t.x1, t.y1, t.x2, t.y2, t.colour);
    }
}

void drawCursorLine(PixelSurface& surface, const TraceView& view, int32_t x) {
    drawPixelLine(surface, plotRect(view), x, view.Y0, x, view.Y1, cursorColour(view.backgroundColour));
}

void drawPlotBackground(PixelSurface& surface, const TraceView& view, bool manualPeakMode) {
    fillRect(surface, int64_t{view.X0} + 66, int64_t{view.Y0} + 31, int64_t{view.visibleWidth} - 1,
             int64_t{view.visibleHeight} - 1, pixelFromStored(view.backgroundColour));
    const PixelRect plot = plotRect(view);
    if (manualPeakMode) {
        const int32_t y = clampScreen(static_cast<int64_t>(midY(view)) + view.vMax / 2 - view.vScroll);
        drawPixelLine(surface, plot, view.X0, y, view.X1, y, cursorColour(view.backgroundColour));
    }
    if (view.rubberBandStarted) {
        const StoredColour c = inverseColour(view.backgroundColour);
        drawPixelLine(surface, plot, view.bandX1, view.bandY1, view.bandX2, view.bandY1, c);
        drawPixelLine(surface, plot, view.bandX2, view.bandY1, view.bandX2, view.bandY2, c);
        drawPixelLine(surface, plot, view.bandX2, view.bandY2, view.bandX1, view.bandY2, c);
        drawPixelLine(surface, plot, view.bandX1, view.bandY2, view.bandX1, view.bandY1, c);
    }
}

// ---- The trace -------------------------------------------------------------------------------

struct TraceRenderer::Context {
    PixelSurface& surface;
    PixelRect clip;  // plot ∩ surface
    PointTransform t;
    const float* signal;
    const float* temperature;
    uint32_t signalPixel;
    uint32_t temperaturePixel;

    int32_t ySignal(float v) const { return t.screenYSignal(v); }
    int32_t yTemperature(float v) const { return t.screenYTemperature(v); }
    int32_t pixel(MinMaxPyramid::Series s, float v) const {
        return s == MinMaxPyramid::Series::Signal ? ySignal(v) : yTemperature(v);
    }
    // The least value key whose pixel is ≤ p (pixels fall as values grow); kKeyMax + 1 if none.
    // So "pixel ≤ p" is "value ≥ valueOfKey(key)", a plain comparison.
    int64_t firstKeyAtMost(MinMaxPyramid::Series s, int64_t p) const {
        float estimate = 0.0f;
        if (s == MinMaxPyramid::Series::Signal) {
            if (t.virtualHeightF > 0.0f)
                estimate = static_cast<float>(t.signalBase - p) * t.fullScaleF / t.virtualHeightF;
        } else if (t.visibleHeightF > 0.0f) {
            estimate = static_cast<float>(t.temperatureBase - p) * 1200.0f / t.visibleHeightF;
        }
        return leastKey([&](int64_t key) { return pixel(s, valueOfKey(key)) <= p; }, estimate);
    }

    // Pixels lo .. hi (inclusive) of column x, clipped to the plot rows; x must be a plot column.
    void span(int32_t x, int64_t lo, int64_t hi, uint32_t pixel) {
        lo = std::max<int64_t>(lo, clip.top);
        hi = std::min<int64_t>(hi, clip.bottom - 1);
        if (lo > hi) return;
        uint32_t* p = surface.pixels + lo * surface.stride + x;
        for (int64_t y = lo; y <= hi; ++y, p += surface.stride) *p = pixel;
    }
    // The vertical pixel-line segment from `from` towards `to` (to excluded) in column x.
    void step(int32_t x, int32_t from, int32_t to, uint32_t pixel) {
        if (to > from) {
            span(x, from, int64_t{to} - 1, pixel);
        } else if (to < from) {
            span(x, int64_t{to} + 1, from, pixel);
        }
    }
};

TraceRenderer::TraceRenderer(int32_t capacity) : pyramid_(capacity) {}

void TraceRenderer::setColumnThreshold(int32_t points) { columnThreshold_ = std::max(points, 2); }

AxisLayout TraceRenderer::drawFullView(PixelSurface& surface, TraceView& view, const Chromatogram& trace,
                                       const FullViewOptions& options) {
    view.recordedPoints = trace.shownCount();
    layoutTraceView(view);
    drawViewFrame(surface, view, options.frame);
    if (!view.roomToDraw) {
        return {};
    }
    drawPlotOutline(surface, view);
    AxisLayout axes = computeAxes(view);
    drawAxisTicks(surface, axes);
    drawPlotBackground(surface, view, options.manualPeakMode);
    drawTrace(surface, view, trace);
    return axes;
}

bool TraceRenderer::drawPoint(PixelSurface& surface, const TraceView& view, const Chromatogram& trace, int32_t n) {
    if (n < 0 || n >= kMaxPoints) return false;
    const PointTransform t = pointTransform(view);
    const int32_t x = t.screenX(n);
    if (n >= 1 && view.roomToDraw) {
        const float* signal = trace.signalMv();
        const float* temperature = trace.temperatureC();
        const int32_t px = t.screenX(n - 1);
        const int32_t py = t.screenYSignal(signal[n - 1]);
        const int32_t pt = t.screenYTemperature(temperature[n - 1]);
        const int32_t y = t.screenYSignal(signal[n]);
        const int32_t yt = t.screenYTemperature(temperature[n]);
        if (x != px || y != py || yt != pt) {
            const PixelRect plot = plotRect(view);
            drawPixelLine(surface, plot, px, py, x, y, view.traceColour);
            drawPixelLine(surface, plot, px, pt, x, yt, kTemperatureTraceColour);
        }
    }
    pyramid_.sync(trace);
    return static_cast<int64_t>(t.xv(n)) + view.xOrigin - view.hScroll > view.X1;
}

void TraceRenderer::drawTrace(PixelSurface& surface, const TraceView& view, const Chromatogram& trace) {
    stats_ = Stats{};
    if (!view.roomToDraw || surface.pixels == nullptr) return;
    const IndexRange range = visibleIndexRange(view);
    if (!range.valid) return;
    const int32_t last = std::min(range.last, trace.shownCount() - 1);
    const int32_t first = range.first;
    if (first > last) return;

    Context c{surface,
              clipToSurface(plotRect(view), surface),
              pointTransform(view),
              trace.signalMv(),
              trace.temperatureC(),
              pixelFromStored(view.traceColour),
              pixelFromStored(kTemperatureTraceColour)};
    const PixelRect plot = plotRect(view);
    const PointTransform& t = c.t;
    const float* signal = c.signal;
    const float* temperature = c.temperature;

    // Columns are worth the pyramid only when they hold many points.
    const double pointsPerColumn = static_cast<double>(t.pointsF) / static_cast<double>(t.virtualWidthF);
    const bool columns = pointsPerColumn >= columnThreshold_ / 2.0 && !emptyRect(c.clip) &&
                         trace.shownCount() <= pyramid_.capacity();
    if (columns) {
        pyramid_.sync(trace);
    }
    // The last index ≤ last in the column of point a (xv(a) = u).
    auto columnEnd = [&](int32_t a, int64_t u) -> int32_t {
        auto inColumn = [&](int64_t j) { return t.xv(static_cast<int32_t>(j)) <= u; };
        const double estimate = (static_cast<double>(u) + 1.0) * pointsPerColumn - 1.0;
        int64_t g = static_cast<int64_t>(
            std::clamp(std::floor(estimate), static_cast<double>(a), static_cast<double>(last)));
        int64_t lo = a, hi = int64_t{last} + 1;  // inColumn(lo), !inColumn(hi) or past the end
        if (inColumn(g)) {
            lo = g;
            for (int64_t step = 1;; step *= 2) {
                const int64_t probe = lo + step;
                if (probe > last) break;
                if (!inColumn(probe)) {
                    hi = probe;
                    break;
                }
                lo = probe;
            }
        } else {
            hi = g;
            for (int64_t step = 1;; step *= 2) {
                const int64_t probe = hi - step;
                if (probe <= a) break;
                if (inColumn(probe)) {
                    lo = probe;
                    break;
                }
                hi = probe;
            }
        }
        while (hi - lo > 1) {
            const int64_t mid = lo + (hi - lo) / 2;
            if (inColumn(mid)) {
                lo = mid;
            } else {
                hi = mid;
            }
        }
        return static_cast<int32_t>(lo);
    };

    int32_t i = first;
    int32_t px = t.screenX(i);
    int32_t py = t.screenYSignal(signal[i]);
    int32_t pt = t.screenYTemperature(temperature[i]);
    bool columnStart = true;
    int64_t looped = 0;
    while (true) {
        if (columns && columnStart) {
            columnStart = false;
            const int32_t b = columnEnd(i, t.xv(i));
            if (b - i >= columnThreshold_) {
                drawColumn(c, i, b, px);
                i = b;
                py = t.screenYSignal(signal[b]);
                pt = t.screenYTemperature(temperature[b]);
            }
        }
        if (i >= last) break;
        const int32_t j = i + 1;
        const int32_t x = t.screenX(j);
        const int32_t y = t.screenYSignal(signal[j]);
        const int32_t yt = t.screenYTemperature(temperature[j]);
        if (x != px || y != py || yt != pt) {
            drawPixelLine(surface, plot, px, py, x, y, view.traceColour);
            drawPixelLine(surface, plot, px, pt, x, yt, kTemperatureTraceColour);
            columnStart = x != px;
            px = x;
            py = y;
        }
        pt = yt;
        i = j;
        ++looped;
    }
    stats_.pointsLooped += looped;
}

void TraceRenderer::drawColumnPointByPoint(Context& c, int32_t a, int32_t b, int32_t x) {
    int32_t py = c.ySignal(c.signal[a]);
    int32_t pt = c.yTemperature(c.temperature[a]);
    for (int32_t j = a + 1; j <= b; ++j) {
        const int32_t y = c.ySignal(c.signal[j]);
        const int32_t yt = c.yTemperature(c.temperature[j]);
        c.step(x, py, y, c.signalPixel);
        c.step(x, pt, yt, c.temperaturePixel);
        py = y;
        pt = yt;
    }
    stats_.pointsLooped += b - a;
}

namespace {

struct Cover {
    int64_t lo = 1;
    int64_t hi = 0;  // empty when lo > hi
    bool empty() const { return lo > hi; }
};

// The pixels covered by the vertical steps of one series in a column (note 1 at the top).
Cover columnCover(int32_t pixelOfMax, int32_t pixelOfMin, int32_t yEnd) {
    // The transforms decrease with the value: the greatest value has the least pixel.
    Cover c{pixelOfMax, pixelOfMin};
    if (yEnd > c.hi) {
        c.hi = int64_t{yEnd} - 1;
    } else if (yEnd < c.lo) {
        c.lo = int64_t{yEnd} + 1;
    }
    return c;
}

}  // namespace

void TraceRenderer::drawColumn(Context& c, int32_t a, int32_t b, int32_t x) {
    if (x < c.clip.left || x >= c.clip.right) return;  // no pixel of the column's inner steps is visible
    using Series = MinMaxPyramid::Series;
    const MinMaxPyramid& pyr = pyramid_;
    const int32_t ySignalEnd = c.ySignal(c.signal[b]);
    const int32_t yTemperatureEnd = c.yTemperature(c.temperature[b]);

    // The last index before the final constant run of each series (−1: the column is constant).
    auto lastOff = [&](Series s, int32_t yEnd) -> int32_t {
        const float* values = s == Series::Signal ? c.signal : c.temperature;
        const int32_t nearEnd = std::max(a, b - 8);
        for (int32_t j = b - 1; j >= nearEnd; --j) {
            if (c.pixel(s, values[j]) != yEnd) return j;
        }
        if (nearEnd <= a) return -1;
        // The values that map to yEnd are those from `low` up to (not including) `above`.
        const float low = valueOfKey(c.firstKeyAtMost(s, yEnd));
        const int64_t aboveKey = c.firstKeyAtMost(s, int64_t{yEnd} - 1);
        if (aboveKey > kKeyMax) {
            return pyr.lastWhere(s, a, nearEnd - 1, [low](float v) { return v < low; });
        }
        const float above = valueOfKey(aboveKey);
        return pyr.lastWhere(s, a, nearEnd - 1, [low, above](float v) { return v < low || v >= above; });
    };
    const int32_t signalOff = lastOff(Series::Signal, ySignalEnd);
    const int32_t temperatureOff = lastOff(Series::Temperature, yTemperatureEnd);

    MinMaxPyramid::Range rs{1.0f, 0.0f}, rt{1.0f, 0.0f};
    auto merge = [](MinMaxPyramid::Range& r, const MinMaxPyramid::Range& more) {
        r.min = std::min(r.min, more.min);
        r.max = std::max(r.max, more.max);
    };
    if (signalOff >= a && temperatureOff >= a) {
        const int32_t common = std::min(signalOff, temperatureOff);
        const MinMaxPyramid::BothRanges both = pyr.ranges(a, common);
        rs = both.signal;
        rt = both.temperature;
        if (signalOff > common) merge(rs, pyr.range(Series::Signal, common + 1, signalOff));
        if (temperatureOff > common) merge(rt, pyr.range(Series::Temperature, common + 1, temperatureOff));
    } else if (signalOff >= a) {
        rs = pyr.range(Series::Signal, a, signalOff);
    } else if (temperatureOff >= a) {
        rt = pyr.range(Series::Temperature, a, temperatureOff);
    }
    Cover cs, ct;
    if (signalOff >= a) cs = columnCover(c.ySignal(rs.max), c.ySignal(rs.min), ySignalEnd);
    if (temperatureOff >= a) ct = columnCover(c.yTemperature(rt.max), c.yTemperature(rt.min), yTemperatureEnd);
    // Only the plot rows matter.
    auto clipRows = [&](Cover& v) {
        v.lo = std::max<int64_t>(v.lo, c.clip.top);
        v.hi = std::min<int64_t>(v.hi, c.clip.bottom - 1);
    };
    clipRows(cs);
    clipRows(ct);
    ++stats_.columnsFromPyramid;
    const int64_t overlapLo = std::max(cs.lo, ct.lo);
    const int64_t overlapHi = std::min(cs.hi, ct.hi);
    if (cs.empty() || ct.empty() || overlapLo > overlapHi) {
        if (!cs.empty()) c.span(x, cs.lo, cs.hi, c.signalPixel);
        if (!ct.empty()) c.span(x, ct.lo, ct.hi, c.temperaturePixel);
        return;
    }

    // The two series overlap in this column (they cross here).
    const int64_t height = overlapHi - overlapLo + 1;
    bool pointByPoint = overlapMode_ == OverlapMode::PointByPoint;
    if (overlapMode_ == OverlapMode::Auto) {
        // Resolving costs a few pyramid queries per halving of the overlap, each worth some 20
        // points of the per-point loop.
        const int64_t halvings = std::bit_width(static_cast<uint64_t>(height));
        pointByPoint = static_cast<int64_t>(b) - a <= 48 * (2 + halvings);
    }
    if (pointByPoint) {
        ++stats_.overlapsPointByPoint;
        drawColumnPointByPoint(c, a, b, x);
        return;
    }
    ++stats_.overlapsResolved;
    if (cs.lo < overlapLo) c.span(x, cs.lo, overlapLo - 1, c.signalPixel);
    if (cs.hi > overlapHi) c.span(x, overlapHi + 1, cs.hi, c.signalPixel);
    if (ct.lo < overlapLo) c.span(x, ct.lo, overlapLo - 1, c.temperaturePixel);
    if (ct.hi > overlapHi) c.span(x, overlapHi + 1, ct.hi, c.temperaturePixel);
    const Crossing k{a, b, x, ySignalEnd, yTemperatureEnd, signalOff, temperatureOff};
    // Split the overlap where either function changes direction (at each series' end pixel);
    // between those pixels both are monotone.
    int64_t specials[2] = {std::min(ySignalEnd, yTemperatureEnd), std::max(ySignalEnd, yTemperatureEnd)};
    int64_t from = overlapLo;
    auto run = [&](int64_t p1, int64_t p2) {
        if (p1 > p2) return;
        const int32_t s1 = lastCover(c, k, Series::Signal, p1), t1 = lastCover(c, k, Series::Temperature, p1);
        if (p1 == p2) {
            resolveRun(c, k, p1, p2, s1, s1, t1, t1);
            return;
        }
        const int32_t s2 = lastCover(c, k, Series::Signal, p2), t2 = lastCover(c, k, Series::Temperature, p2);
        resolveRun(c, k, p1, p2, s1, s2, t1, t2);
    };
    for (int i = 0; i < 2; ++i) {
        const int64_t special = specials[i];
        if (special < from || special > overlapHi) continue;
        run(from, special - 1);
        run(special, special);
        from = special + 1;
    }
    run(from, overlapHi);
}

// The index j of the last step (point j − 1 → point j) of the series in the column that covers
// pixel p, or −1 (note 2 at the top). One pyramid query.
int32_t TraceRenderer::lastCover(Context& c, const Crossing& k, MinMaxPyramid::Series series, int64_t p) {
    using Series = MinMaxPyramid::Series;
    const int32_t yEnd = series == Series::Signal ? k.ySignalEnd : k.yTemperatureEnd;
    const int32_t lastOff = series == Series::Signal ? k.signalOff : k.temperatureOff;
    if (lastOff < k.a) return -1;  // the column is constant: no step covers anything
    const MinMaxPyramid& pyr = pyramid_;
    ++stats_.overlapQueries;
    // The last index in a .. end whose pixel is ≤ q, or ≥ q (−1 if none).
    auto lastAtMost = [&](int32_t end, int64_t q) -> int32_t {
        const int64_t key = c.firstKeyAtMost(series, q);
        return key > kKeyMax ? -1 : pyr.lastAtLeast(series, k.a, end, valueOfKey(key));
    };
    auto lastAtLeast = [&](int32_t end, int64_t q) -> int32_t {
        const int64_t key = c.firstKeyAtMost(series, q - 1);
        return key <= kKeyMin ? -1 : pyr.lastAtMost(series, k.a, end, valueOfKey(key - 1));
    };
    int32_t m;
    if (p < yEnd) {
        m = lastAtMost(k.b - 1, p);
    } else if (p > yEnd) {
        m = lastAtLeast(k.b - 1, p);
    } else {
        // The last step that leaves yEnd's side of the walk before the final run.
        m = c.pixel(series, pyr.value(series, lastOff)) > yEnd ? lastAtMost(lastOff, p) : lastAtLeast(lastOff, p);
    }
    return m >= k.a ? m + 1 : -1;
}

// Paints p1 .. p2 of the overlap, given the last covering steps of both series at both ends; on
// p1 .. p2 both are monotone, so when their ranges do not overlap the whole run has one colour,
// and otherwise it is split in two.
void TraceRenderer::resolveRun(Context& c, const Crossing& k, int64_t p1, int64_t p2, int32_t s1, int32_t s2,
                               int32_t t1, int32_t t2) {
    using Series = MinMaxPyramid::Series;
    auto paint = [&](int64_t p, int32_t s, int32_t t) {
        if (s < 0 && t < 0) return;
        c.span(k.x, p, p, t >= s ? c.temperaturePixel : c.signalPixel);  // the temperature step is drawn second
    };
    while (true) {
        const int32_t sMin = std::min(s1, s2), sMax = std::max(s1, s2);
        const int32_t tMin = std::min(t1, t2), tMax = std::max(t1, t2);
        if (sMax < 0 && tMax < 0) return;
        if (tMin >= sMax) {
            c.span(k.x, p1, p2, c.temperaturePixel);
            return;
        }
        if (tMax < sMin) {
            c.span(k.x, p1, p2, c.signalPixel);
            return;
        }
        if (p2 - p1 <= 1) {
            paint(p1, s1, t1);
            if (p2 != p1) paint(p2, s2, t2);
            return;
        }
        const int64_t mid = p1 + (p2 - p1) / 2;
        const int32_t sm = lastCover(c, k, Series::Signal, mid);
        const int32_t tm = lastCover(c, k, Series::Temperature, mid);
        resolveRun(c, k, p1, mid, s1, sm, t1, tm);
        p1 = mid;  // the upper half in this frame
        s1 = sm;
        t1 = tm;
    }
}

}  // namespace vespian
