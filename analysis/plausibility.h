#pragma once
// Plausibility checks of an evaluation: each raises a flag with a stable code (for JSON and
// CSV) and the operator's reason in Chinese, or nothing when the result passes.

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace vespian {

struct BetLeastSquares;

enum class CheckCode : uint8_t {
    DispersionAboveOne,     // "dispersion_above_100"
    NotSaturated,           // "pulses_not_saturated"
    TooFewPulses,           // "too_few_pulses"
    PeakCutAtStart,         // "peak_cut_at_start"
    PeakCutAtEnd,           // "peak_cut_at_end"
    DetectorLimit,          // "detector_limit"
    BaselineOffset,         // "baseline_offset"
    BetCNegative,           // "bet_c_negative"
    BetInterceptNegative,   // "bet_intercept_negative"
    BetCriteriaFailed,      // "bet_criteria_failed"
    TmOutsideProgramme      // "tm_outside_programme"
};

struct PlausibilityFlag {
    CheckCode code;
    std::string reason;  // UTF-8, for the screen and the exports
};

// The code's stable name, e.g. "dispersion_above_100".
std::string_view checkCodeName(CheckCode code);

// Thresholds.
inline constexpr double kSaturatedPulseShare = 0.95;  // a saturated pulse comes through nearly whole
inline constexpr double kCutOffShare = 0.20;          // of the peak's height still standing at an end
inline constexpr double kBaselineOffsetShare = 0.10;  // of the area lying under a level offset
inline constexpr double kDetectorLimitMv = 5000.0;    // the detector's converter reads ±5000 mV
inline constexpr int32_t kFlatTopPoints = 5;          // equal readings at the top: a clipped peak

// More surface metal atoms than metal atoms (dispersion as a fraction).
std::optional<PlausibilityFlag> checkDispersion(double dispersion);

// A pulse titration: fewer than two pulses, or a last pulse still taken up noticeably (its
// area below kSaturatedPulseShare of the full pulse's).
std::optional<PlausibilityFlag> checkPulseSeries(std::span<const double> pulseAreas, double fullPulseArea);

// A peak's stretch (baseline-corrected): still high at its first or last points, or reaching
// the detector's limit (|reading| at limitMv, or a flat top of equal readings). `recordedMv`
// is the signal as recorded (for the limit; the corrected one when empty), limitMv the limit in
// the trace's terms (the converter's limit less the zero offset taken off).
std::vector<PlausibilityFlag> checkPeakEdges(std::span<const float> correctedMv,
                                             std::span<const float> recordedMv = {},
                                             double limitMv = kDetectorLimitMv);

// The signal an area was summed from: a level left at both ends of the window (the lower of
// the two) times its length, as a share of the area. Catches an operator who did not zero.
std::optional<PlausibilityFlag> checkBaselineOffset(std::span<const float> integratedMv);

// The BET line: C or intercept below 0, and the consistency criteria over its points.
std::vector<PlausibilityFlag> checkBetLine(const BetLeastSquares& fit);
// The written two-point line (slope and intercept of the record).
std::vector<PlausibilityFlag> checkBetConstants(double slope, double intercept);

// A Tm outside the temperatures the programme ran over.
std::optional<PlausibilityFlag> checkTmInProgramme(double tmC, double programmeLowC, double programmeHighC);

}  // namespace vespian
