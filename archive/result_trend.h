#pragma once
// A result followed over time, as a laboratory watches its detector (the calibration pulse area
// of the loop), a reference catalyst's dispersion or a reference material's BET area: the values
// in time order, their mean and ±3σ limits, and the points outside the limits flagged.
//
// σ is estimated from the moving range of successive values (mean |xᵢ − xᵢ₋₁| / 1.128), as a
// control chart for single values does. The plain standard deviation of all points is given too,
// but it makes poor limits: an outlier widens it so much that, with ten points or fewer, no
// point can ever lie 3σ from the mean.

#include <optional>
#include <string>
#include <vector>

#include "archive/archive.h"

namespace vespian {

struct TrendPoint {
    WallMs atMs = 0;
    double value = 0.0;
    double uncertainty = kUnknown;
    std::string registrationId;
    std::string sample;
    bool outside = false;  // beyond mean ± 3σ
};

struct Trend {
    std::string resultName;
    std::string unit;
    std::vector<TrendPoint> points;  // oldest first
    std::optional<double> mean;
    std::optional<double> sigma;              // from the moving range; needs two points
    std::optional<double> standardDeviation;  // of all points (n − 1); needs two points
    std::optional<double> lowerLimit;         // mean − 3σ
    std::optional<double> upperLimit;         // mean + 3σ
    int32_t outsideCount = 0;
};

// d₂ for ranges of two successive values.
inline constexpr double kMovingRangeD2 = 1.128;

// Sorts the points by time and computes the statistics and flags.
Trend computeTrend(std::string resultName, std::vector<TrendPoint> points);

struct TrendResult {
    bool ok = false;
    std::string message;
    Trend trend;
};

// The named result of every archived save that `query` finds and that carries it (the query's
// own result range, if any, still applies).
TrendResult trendOf(Archive& archive, const std::string& resultName, FindQuery query);

}  // namespace vespian
