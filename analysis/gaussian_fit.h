#pragma once
// Deconvolution of overlapping peaks of a temperature-programmed stretch: the (baseline-
// corrected) signal is fitted as a sum of components of one shape — Gaussian, a Gaussian with
// a different width on each side, or the shape of a first-order desorption peak — by a
// bounded Levenberg–Marquardt least-squares fit started from the operator's accepted Tm points.
// Positions and widths are in point indices of the stretch; a component's maximum temperature
// is the recorded temperature interpolated at its centre. Each component carries standard
// uncertainties from the fit's covariance (scaled by the scatter of the residuals). A fit that
// cannot start reports why with no components; one that does not converge says so beside its
// last components. Never NaN.

#include <array>
#include <cstdint>
#include <span>

#include "analysis/least_squares.h"

namespace vespian {

inline constexpr int32_t kMaxFitComponents = 8;

enum class PeakShape : uint8_t {
    Gaussian,            // h·exp(−(x − c)² / 2σ²)
    AsymmetricGaussian,  // σ on the rising side (x < c), another on the falling side
    // A first-order desorption peak on a linear ramp, rising slowly and falling sharply:
    // h·exp(1 + y − ρ² eʸ (1 − ερ)/(1 − ε)) with z = (x − c)/w, ρ = T(x)/T(c), y = z/ρ and
    // ε = 2 R T(c)/E, w = R T(c)²/E in points (T in K along the stretch's straight-line
    // temperature). Maximum h near c; without a temperature (ρ = 1, ε = 0) the shape
    // h·exp(1 + z − eᶻ) of area e·h·w.
    FirstOrderDesorption
};

enum class FitStatus : uint8_t {
    Converged,
    NotConverged,       // the iteration limit was reached still improving, or no step helped
    NoComponents,
    TooManyComponents,  // more than kMaxFitComponents starting points
    StartOutside,       // a starting point lies outside the stretch
    StartsTooClose,     // two starting points on the same point: the fit cannot tell them apart
    TooFewPoints,       // fewer points than parameters to fit
    NonFiniteSignal,    // a sample of the stretch is not a number
    NoSignal            // the stretch is flat zero: nothing to fit
};

struct FitComponent {
    PeakShape shape = PeakShape::Gaussian;
    double centreIndex = 0.0;       // point index of the maximum (fractional)
    double heightMv = 0.0;
    // σ on the rising and the falling side, in points (equal for a Gaussian); for the
    // desorption shape both hold its width w.
    double risingWidth = 0.0;
    double fallingWidth = 0.0;
    double area = 0.0;              // mV × points, the unit of the report's peak areas
    double areaShare = 0.0;         // of the sum of the components' areas, 0 .. 1
    float maximumTemperatureC = 0.0f;  // 0 when no temperature was given
    // The stretch's temperature as a straight line T = start + perPoint · x (K), which the
    // desorption shape is drawn along; perPoint 0 when no temperature was given.
    double rampStartK = 0.0;
    double rampKPerPoint = 0.0;
    // Standard uncertainties (k = 1) from the fit's covariance; 0 when it has none.
    double centreU = 0.0;
    double heightU = 0.0;
    double areaU = 0.0;
    double maximumTemperatureU = 0.0;
};

struct FitOptions {
    PeakShape shape = PeakShape::Gaussian;
    int32_t maxIterations = 200;
};

struct DeconvolutionResult {
    FitStatus status = FitStatus::NoComponents;
    PeakShape shape = PeakShape::Gaussian;
    int32_t componentCount = 0;
    std::array<FitComponent, kMaxFitComponents> components{};  // in the order of the starts
    int32_t iterations = 0;        // accepted and rejected steps
    double rmsResidualMv = 0.0;    // √(Σ residual² / points)
    double relativeResidual = 0.0; // √(Σ residual² / Σ signal²)
    int32_t parameterCount = 0;
    // Akaike's criterion n·ln(Σ residual² / n) + 2·parameters: of fits to one stretch, the
    // lowest explains it best for the parameters it spends.
    double aic = 0.0;
    // Of every parameter, component by component: centre, height, width (Gaussian and
    // desorption shape) or rising and falling width.
    ParameterCovariance covariance;

    bool converged() const { return status == FitStatus::Converged; }
    std::span<const FitComponent> list() const {
        return {components.data(), static_cast<size_t>(componentCount)};
    }
};

// Fits components started at the given point indices (any order; the result keeps it).
// temperatureC may be empty; otherwise it is the stretch's temperature, the signal's length.
DeconvolutionResult fitPeakComponents(std::span<const float> signalMv, std::span<const float> temperatureC,
                                      std::span<const int32_t> startIndices, const FitOptions& options = {});

// Parameters a component of the shape takes: 3, or 4 for the asymmetric Gaussian.
int32_t shapeParameters(PeakShape shape);

// One component's value at a (fractional) point index, and the sum of all components: what the
// report window draws over the signal.
double componentValueAt(const FitComponent& component, double index);
double fittedValueAt(const DeconvolutionResult& result, double index);

// The recorded temperature linearly interpolated at a fractional point index (clamped to the
// stretch); 0 for an empty series.
float temperatureAtIndex(std::span<const float> temperatureC, double index);

}  // namespace vespian
