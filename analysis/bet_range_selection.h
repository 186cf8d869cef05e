#pragma once
// Automatic choice of the BET range among the measured points (the flow method takes up to
// ten): every contiguous run of at least three points, in order of P/Po, is fitted by least
// squares and tested against the consistency criteria (Rouquerol):
//  1. C positive;
//  2. n (1 − P/Po) rising over the range;
//  3. the P/Po at which the measured uptake equals the monolayer lies inside the range;
//  4. that P/Po within 10 % of 1 / (√C + 1).
// The widest passing range is proposed, the one with the best line (r nearest 1) among equally
// wide ones; the table keeps every range with why it passed or failed.

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace vespian {

inline constexpr int32_t kMinBetRangePoints = 3;
inline constexpr double kMonolayerPressureTolerance = 0.10;

enum BetRangeFailure : uint8_t {
    kBetRangeNoLine = 1,              // the points give no line with a monolayer
    kBetRangeCNotPositive = 2,
    kBetRangeUptakeNotRising = 4,
    kBetRangeMonolayerOutside = 8,    // criterion 3
    kBetRangeMonolayerMismatch = 16   // criterion 4
};

struct BetRange {
    int32_t first = 0;  // positions in P/Po order, inclusive
    int32_t last = 0;
    int32_t pointCount = 0;
    double lowPressure = 0.0;
    double highPressure = 0.0;
    double slope = 0.0;
    double intercept = 0.0;
    double correlation = 0.0;
    double cConstant = 0.0;
    double monolayerMlPerG = 0.0;
    double areaM2PerG = 0.0;
    double monolayerPressure = 0.0;  // where the measured uptake equals the monolayer; 0 outside
    double cPressure = 0.0;          // 1 / (√C + 1), 0 unless C > 0
    uint8_t failures = 0;            // BetRangeFailure bits

    bool passes() const { return failures == 0; }
};

struct BetRangeSelection {
    std::vector<int32_t> order;    // indices of the usable points (0 < P/Po < 1, V > 0) by P/Po
    std::vector<BetRange> ranges;  // by first point, then by length
    int32_t proposed = -1;         // into ranges; −1 when no range passes

    bool ok() const { return proposed >= 0; }
    const BetRange* proposal() const { return ok() ? &ranges[static_cast<size_t>(proposed)] : nullptr; }
    // The proposed range as a choice over the points in their given order (all false without one).
    std::vector<bool> chosenPoints(size_t pointCount) const;
};

BetRangeSelection selectBetRange(std::span<const double> relativePressure, std::span<const double> volumeMlPerG);

// Why a range failed, for the table ("通过" when it passed).
std::string betRangeReasons(const BetRange& range);

}  // namespace vespian
