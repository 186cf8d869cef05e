#pragma once
// The baseline under a temperature-programmed stretch: the detector's level when nothing
// desorbs, which drifts with the furnace. It is a straight line over the point index, either
// through two points the operator clicked or fitted to the flat ends of the stretch, and it is
// subtracted before Tm proposals, deconvolution and amounts.

#include <cstdint>
#include <span>

namespace vespian {

enum class BaselineKind : uint8_t {
    None,       // the signal as recorded
    TwoPoints,  // the line through two clicked points
    FlatEnds    // least squares over the first and last stretch of points
};

enum class BaselineStatus : uint8_t {
    Ok,
    TooFewPoints,     // the stretch (or one of its ends) holds too few points for a line
    PointOutside,     // a clicked point lies outside the stretch
    SamePoint,        // both clicks on one point: no slope can be taken from them
    NonFiniteSignal   // a sample of the stretch is not a number
};

// level(i) = offsetMv + slopeMvPerPoint × i, i the point index within the stretch.
struct BaselineLine {
    BaselineStatus status = BaselineStatus::Ok;
    double offsetMv = 0.0;
    double slopeMvPerPoint = 0.0;

    bool ok() const { return status == BaselineStatus::Ok; }
    double levelAt(double index) const { return offsetMv + slopeMvPerPoint * index; }
};

// Points averaged on each side of a clicked point, so that one noisy sample does not tilt the
// line: the click at i takes the mean of i − 2 .. i + 2 (clipped to the stretch).
inline constexpr int32_t kClickAverageHalfWidth = 2;
// Share of the stretch at each end that the automatic baseline is fitted to.
inline constexpr double kDefaultFlatEndShare = 0.10;

// The line through the (locally averaged) signal at two clicked point indices, in either order.
BaselineLine baselineThroughPoints(std::span<const float> signalMv, int32_t firstIndex, int32_t secondIndex);

// The least-squares line through the first and the last endShare of the points (each end at
// least two points, endShare clamped to 0.01 .. 0.5).
BaselineLine baselineFromFlatEnds(std::span<const float> signalMv, double endShare = kDefaultFlatEndShare);

// corrected[i] = signal[i] − line(i) for i < min(sizes); a failed line subtracts nothing.
void subtractBaseline(std::span<const float> signalMv, const BaselineLine& line, std::span<float> correctedMv);

}  // namespace vespian
