#pragma once
// Overlay of several saved runs on one temperature axis: what each run's signal is multiplied by
// (1, or 1 / sample weight for signals per gram), the common ranges of both axes with round
// tick steps, a colour per run, the legend text, and each run reduced to what a plot of a given
// width can show (consecutive points in one pixel column collapse to their first, lowest,
// highest and last), so runs of millions of points draw at once.

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/pixel_surface.h"

namespace vespian {

inline constexpr int32_t kMaxOverlayRuns = 12;

struct OverlayRun {
    std::span<const float> signalMv;
    std::span<const float> temperatureC;  // same length as the signal
    double sampleWeightG = 0.0;
};

// A round axis: lowest and highest tick and the step between ticks (1, 2 or 5 × 10^k).
struct AxisTicks {
    double first = 0.0;
    double last = 1.0;
    double step = 0.1;
    int32_t count() const;  // ticks from first to last inclusive
};

// At most about `targetTicks` + 1 round ticks covering lo .. hi; lo = hi (or non-finite values)
// widen to a range of 1 around lo.
AxisTicks roundAxis(double lo, double hi, int32_t targetTicks = 10);

enum class OverlayStatus : uint8_t {
    Ok,
    NoRuns,      // nothing to draw: no run, or every run empty or left out
    TooManyRuns  // more than kMaxOverlayRuns: the first ones are planned
};

struct OverlayPlan {
    OverlayStatus status = OverlayStatus::NoRuns;
    bool perGram = false;
    int32_t runCount = 0;
    std::array<double, kMaxOverlayRuns> scale{};     // signal factor per run; 0 for one left out
    std::array<bool, kMaxOverlayRuns> unweighed{};   // per gram asked, but the run has no weight
    double minTemperatureC = 0.0, maxTemperatureC = 0.0;  // over the runs drawn
    double minSignal = 0.0, maxSignal = 0.0;               // scaled, over the runs drawn
    AxisTicks temperatureAxis;
    AxisTicks signalAxis;
};

// Points whose signal or temperature is not a number are skipped; a run without a positive
// weight is left out of a per-gram overlay (and flagged).
OverlayPlan planOverlay(std::span<const OverlayRun> runs, bool perGram);

// Distinct colours in order of the runs, repeating after the last.
StoredColour overlayColour(int32_t run);

// "name  year-month-day"; the date is left off when it is not a plausible calendar date.
std::string overlayLegend(std::string_view sampleName, int32_t year, int32_t month, int32_t day);

struct PlotPoint {
    int32_t x = 0;
    int32_t y = 0;
};

// The run as pixel points of a plot `width` × `height` whose axes run over the plan's tick
// ranges (temperature left to right, signal bottom to top). Points outside the ranges are
// clamped to the frame. The polyline through the result looks like the polyline through every
// point.
void overlayPolyline(const OverlayRun& run, double scale, const OverlayPlan& plan, int32_t width, int32_t height,
                     std::vector<PlotPoint>& out);

}  // namespace vespian
