#pragma once
// What the evaluation's least-squares fits have in common: the covariance of the fitted
// parameters, from which every fitted result takes its standard uncertainty, and the straight
// line that the BET and Kissinger evaluations fit. The fits themselves run on Ceres Solver; this
// header keeps it out of the callers' sight.

#include <cstdint>
#include <span>
#include <vector>

namespace vespian {

// Covariance of a fit's parameters, in the fit's order. Scaled by the residual variance
// Σr² / (points − parameters) unless the residuals were weighted by stated uncertainties.
// Empty when the fit leaves a parameter undetermined (too few points, a vanished component).
struct ParameterCovariance {
    int32_t size = 0;
    std::vector<double> values;  // size × size, row by row

    bool available() const { return size > 0; }
    double at(int32_t row, int32_t column) const;
    double variance(int32_t i) const { return at(i, i); }
    double standardError(int32_t i) const;  // √variance, 0 when unavailable
};

// y = intercept + slope · x by least squares over the points marked in `use` (all when empty).
struct StraightLine {
    bool ok = false;  // false: fewer than two points, or all at one x
    int32_t points = 0;
    double slope = 0.0;
    double intercept = 0.0;
    double residualSquares = 0.0;  // Σ (y − line)², summed point by point
    // Of (slope, intercept); with two points nothing scatters and it stays empty.
    ParameterCovariance covariance;
};
StraightLine fitStraightLine(std::span<const double> x, std::span<const double> y, std::span<const bool> use = {});

// Student's t for a two-sided 95 % interval with the given degrees of freedom (1.96 for many).
double studentT95(int32_t degreesOfFreedom);

}  // namespace vespian
