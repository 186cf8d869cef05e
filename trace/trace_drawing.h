#pragma once
// Drawing of the trace window into an off-screen pixel surface: the canvas that the
// desktop layer copies to the screen. Frame lines and axis ticks use `Line` (libs/line.h);
// everything inside the plot uses the program's own pixel line routine, clipped to the plot
// rectangle. Texts (axis labels) are left to the desktop layer, which draws them with a font.
//
// The full trace drawing gives exactly the pixels of the straightforward per-point loop, at a cost that does not grow with the number of points shown: where a
// pixel column holds many points it is drawn from the min/max pyramid (min_max_pyramid.h)
// instead of point by point. See trace_drawing.cpp for why that is exact.

#include <cstdint>
#include <vector>

#include "platform/pixel_surface.h"
#include "trace/chromatogram.h"
#include "trace/min_max_pyramid.h"
#include "trace/trace_axes.h"
#include "trace/trace_view.h"

namespace vespian {

inline constexpr StoredColour kTemperatureTraceColour = 0x00C85000u;  // RGB(0, 80, 200)

// The pixel line routine: dx = x2 − x1, dy = y2 − y1, signs sx, sy (+1 for 0); if |dx| < |dy|
// the line is steep (major axis y); err = 4 × minor − major; major times: set (x, y) when it lies
// in the plot rectangle (and on the surface), if err ≥ 0 step the minor axis and err −= 4 × major,
// step the major axis, err += 4 × minor. The end point is not drawn. Pixels outside the plot are
// skipped without being walked, so far-away end points cost nothing.
void drawPixelLine(PixelSurface& surface, const PixelRect& plot, int32_t x1, int32_t y1, int32_t x2, int32_t y2,
                   StoredColour colour);

struct FrameStyle {
    // The frame's inside stands in for the view background picture (layout step 1).
    bool fillInside = true;
    StoredColour insideColour = 0x00F0F0F0u;
};

// Layout step 1: the sunken frame with `Line` (outer top and left RGB(120, 120, 120), outer bottom
// and right RGB(210, 210, 210), inner top and left RGB(80, 80, 80), inner bottom and right
// white) and the inside at (X0 + 2, Y0 + 2), size (X1 − X0 − 4) × (Y1 − Y0 − 4).
void drawViewFrame(PixelSurface& surface, const TraceView& view, const FrameStyle& style = {});
// Layout step 3: the plot rectangle (xOrigin, Y0 + 30) − (X1 − 50, Y1 − 30) with `Line` in the
// inverse of the background colour.
void drawPlotOutline(PixelSurface& surface, const TraceView& view);
// The axis ticks with `Line`.
void drawAxisTicks(PixelSurface& surface, const AxisLayout& axes);
// The one-pixel vertical cursor line of the click modes through x, from Y0 to Y1 clipped to the
// plot, in the cursor colour ~((backgroundColour − 8) × 16). (Saving and restoring the column
// under it is the caller's.)
void drawCursorLine(PixelSurface& surface, const TraceView& view, int32_t x);
// Full trace drawing step 0: the plot background (backgroundColour, standing in for the plot
// background picture) at (X0 + 66, Y0 + 31), size (visibleWidth − 1) × (visibleHeight − 1); in
// manual-peak mode the zero line from X0 to X1 at y = midY + vMax / 2 − vScroll in the cursor
// colour; while a rubber band is drawn, its rectangle in the inverse of the background colour.
void drawPlotBackground(PixelSurface& surface, const TraceView& view, bool manualPeakMode);

struct FullViewOptions {
    FrameStyle frame;
    bool manualPeakMode = false;
};

class TraceRenderer {
public:
    // The pyramid is allocated here, once, for the store's capacity.
    explicit TraceRenderer(int32_t capacity = kMaxPoints);

    // A full redraw of the view: layout (which may set vScroll), frame, and when there is room the
    // plot outline, the axis ticks, step 0 and the trace. Returns the axes, whose labels the
    // desktop layer draws.
    AxisLayout drawFullView(PixelSurface& surface, TraceView& view, const Chromatogram& trace,
                            const FullViewOptions& options = {});

    // Full trace drawing steps 1–3 (the view laid out): the signal in traceColour and the
    // temperature in RGB(0, 80, 200) from index i0 while below shownCount and up to i1.
    void drawTrace(PixelSurface& surface, const TraceView& view, const Chromatogram& trace);

    // Incremental drawing of point n ≥ 1 (segments from point n − 1 unless all three pixel values
    // are unchanged). Returns true when xv(n) + xOrigin − hScroll > X1 (the point lies right of
    // the plot).
    bool drawPoint(PixelSurface& surface, const TraceView& view, const Chromatogram& trace, int32_t n);

    // The pyramid follows the store through Chromatogram::editGeneration(); whoever writes into
    // the store's arrays behind its back calls pyramid().invalidate().
    MinMaxPyramid& pyramid() { return pyramid_; }

    // Tuning, for tests and measurements. Columns with at least `points` points are drawn from the
    // pyramid (at least 2).
    void setColumnThreshold(int32_t points);
    int32_t columnThreshold() const { return columnThreshold_; }
    enum class OverlapMode {
        Auto,         // resolve an overlap of signal and temperature or draw the column point by point,
                      // whichever is cheaper
        Resolve,      // always resolve from the pyramid
        PointByPoint  // always point by point
    };
    void setOverlapMode(OverlapMode mode) { overlapMode_ = mode; }

    // Counters of the last drawTrace, for tests and measurements.
    struct Stats {
        int32_t columnsFromPyramid = 0;
        int32_t overlapsResolved = 0;
        int32_t overlapsPointByPoint = 0;
        int64_t overlapQueries = 0;  // pyramid queries spent on resolving overlaps
        int64_t pointsLooped = 0;
    };
    const Stats& lastStats() const { return stats_; }

private:
    struct Context;
    struct Crossing {
        int32_t a, b, x;
        int32_t ySignalEnd, yTemperatureEnd;
        int32_t signalOff, temperatureOff;  // last index before each series' final constant run
    };
    void drawColumn(Context& c, int32_t a, int32_t b, int32_t x);
    void drawColumnPointByPoint(Context& c, int32_t a, int32_t b, int32_t x);
    int32_t lastCover(Context& c, const Crossing& k, MinMaxPyramid::Series series, int64_t p);
    void resolveRun(Context& c, const Crossing& k, int64_t p1, int64_t p2, int32_t s1, int32_t s2, int32_t t1,
                    int32_t t2);

    MinMaxPyramid pyramid_;
    int32_t columnThreshold_ = 24;
    OverlapMode overlapMode_ = OverlapMode::Auto;
    Stats stats_;
};

}  // namespace vespian
