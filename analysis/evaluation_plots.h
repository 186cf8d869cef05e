#pragma once
// The pictures and result texts of the evaluation windows: the Kissinger plot, the overlay of
// saved runs, and the least-squares BET line, each a draw list of a given size with round axes,
// tick labels and axis titles; and the lines of text that state each result.

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "analysis/bet_least_squares.h"
#include "analysis/kissinger.h"
#include "analysis/run_overlay.h"
#include "platform/draw_list.h"

namespace vespian {

// The plotting frame inside a picture: margins for tick labels and titles.
inline constexpr int32_t kPlotLeftMargin = 70;
inline constexpr int32_t kPlotRightMargin = 20;
inline constexpr int32_t kPlotTopMargin = 20;
inline constexpr int32_t kPlotBottomMargin = 50;

// A labelled frame with its ticks: the picture's background, the frame, tick labels of both
// axes (with the given printf patterns) and the two axis titles.
struct PlotAxes {
    AxisTicks x;
    AxisTicks y;
    std::string xTitle;
    std::string yTitle;
    const char* xPattern = "%g";
    const char* yPattern = "%g";
};
DrawBox plotArea(int32_t width, int32_t height);
void addPlotAxes(DrawList& list, const PlotAxes& axes, int32_t width, int32_t height);
// Picture position of a value on the axes, clamped to the plotting frame (marks), or not
// (lines, which are clipped to the frame instead, so their slope stays true).
DrawPoint plotPoint(const PlotAxes& axes, int32_t width, int32_t height, double x, double y, bool clamp = true);

// ---- Kissinger ------------------------------------------------------------------------------

// "Ea = 123.4 ± 1.2 kJ/mol" (no "±" with two runs), "r² = 0.9998", or why there is no energy.
std::vector<std::string> kissingerResultLines(const KissingerFit& fit);
// ln(β/Tm²) against 1000/Tm (1/K × 1000): a hollow mark per run and the fitted line.
DrawList kissingerChart(const KissingerFit& fit, int32_t width, int32_t height);

// ---- overlay --------------------------------------------------------------------------------

// The runs over one temperature axis in their colours, with the legend top right; `legends`
// one per run. An unweighed run of a per-gram overlay is named in the legend as left out.
DrawList overlayChart(std::span<const OverlayRun> runs, std::span<const std::string> legends, bool perGram,
                      int32_t width, int32_t height);
DrawColour overlayDrawColour(int32_t run);

// ---- least-squares BET ---------------------------------------------------------------------

std::vector<std::string> betLeastSquaresLines(const BetLeastSquares& fit);
// 1/(V(Po/P − 1)) against P/Po: chosen points filled, the others hollow, flagged points (outside
// 0.05–0.30) in red, the fitted line over the chosen range, the range 0.05–0.30 shaded.
DrawList betLeastSquaresChart(std::span<const double> relativePressure, const BetLeastSquares& fit, int32_t width,
                              int32_t height);

}  // namespace vespian
