#pragma once
// Least-squares BET beside the written two-point result: the BET line
//     1 / (V (Po/P − 1)) = 1 / (Vm C) + (C − 1) / (Vm C) · P/Po
// fitted by least squares over the points the operator chooses, with the constant C, the
// monolayer volume Vm = 1 / (slope + intercept) and the area Vm × 4.36 m²/ml. Points outside
// the usual BET range 0.05–0.30 P/Po are flagged (and still used when chosen), and the
// consistency criteria of Rouquerol are checked on the points used: C positive, V (1 − P/Po)
// rising with P/Po, and the monolayer's relative pressure 1 / (√C + 1) within the range used.
// With three points or more the scatter about the line gives the covariance of slope and
// intercept, and through it standard errors of C and of the area.

#include <array>
#include <cstdint>
#include <span>

#include "analysis/least_squares.h"

namespace vespian {

inline constexpr int32_t kMaxBetFitPoints = 32;
inline constexpr double kBetRangeLow = 0.05;
inline constexpr double kBetRangeHigh = 0.30;
// m² of nitrogen monolayer per ml (0 ℃, 101.3 kPa) of it: the constant of the written BET
// result, so both areas stand side by side on the same footing.
inline constexpr double kNitrogenAreaM2PerMl = 4.36;

enum class BetFitStatus : uint8_t {
    Ok,
    TooFewPoints,     // fewer than two points chosen, or pressures and volumes of different count
    TooManyPoints,    // more than kMaxBetFitPoints
    InvalidPoint,     // a chosen point with P/Po outside (0, 1) or a volume not above 0
    SamePressure,     // all chosen points at one P/Po: no line
    NonPhysicalLine   // slope + intercept not above 0: no monolayer volume
};

struct BetFitPoint {
    bool chosen = false;
    bool outsideRange = false;  // P/Po below 0.05 or above 0.30
    double betY = 0.0;          // 1 / (V (Po/P − 1)); 0 for a point outside (0, 1)
};

struct BetLeastSquares {
    BetFitStatus status = BetFitStatus::TooFewPoints;
    int32_t pointCount = 0;
    std::array<BetFitPoint, kMaxBetFitPoints> points{};
    int32_t chosenCount = 0;
    int32_t outsideRangeCount = 0;  // among the chosen points
    double slope = 0.0;
    double intercept = 0.0;
    double correlation = 0.0;  // r of the chosen points
    double cConstant = 0.0;    // 0 when the intercept is 0
    double monolayerMlPerG = 0.0;
    double areaM2PerG = 0.0;
    // Rouquerol's criteria over the chosen points.
    bool cPositive = false;
    bool uptakeRising = false;  // V (1 − P/Po) strictly rising with P/Po
    bool monolayerInRange = false;
    double monolayerRelativePressure = 0.0;  // 1 / (√C + 1), 0 unless C > 0
    // Of (slope, intercept) from the scatter about the line; empty with two points.
    ParameterCovariance covariance;
    double cStandardError = 0.0;     // 0 without a covariance
    double areaStandardError = 0.0;  // m²/g, 0 without a covariance

    bool ok() const { return status == BetFitStatus::Ok; }
    bool consistent() const { return ok() && cPositive && uptakeRising; }
};

// relativePressure (P/Po) and volumeMlPerG (adsorbed, at 0 ℃ and 101.3 kPa per gram) per point;
// chosen marks the points of the line, empty for all of them.
BetLeastSquares fitBetLeastSquares(std::span<const double> relativePressure, std::span<const double> volumeMlPerG,
                                   std::span<const bool> chosen = {});

}  // namespace vespian
