#pragma once
// Automatic Tm proposals: the maxima of the (baseline-corrected) signal of a temperature-
// programmed stretch that stand out by at least a prominence the operator chooses. The signal
// is first lightly smoothed by a moving mean. Prominence is the height of a maximum above the
// higher of the two lowest points that separate it from higher signal on either side (or from
// the ends of the stretch): a shoulder on a big peak's flank and the wiggles of detector noise
// have little of it, a separate desorption peak has its full height.

#include <array>
#include <cstdint>
#include <span>

namespace vespian {

// As many proposals as the Tm list can hold.
inline constexpr int32_t kMaxTmProposals = 99;
// Half-width of the moving mean: 2 × 5 + 1 points, about two seconds of trace.
inline constexpr int32_t kDefaultSmoothingHalfWidth = 5;

struct TmProposal {
    int32_t index = 0;          // point of the maximum within the stretch
    float temperatureC = 0.0f;  // recorded temperature at that point
    float heightMv = 0.0f;      // smoothed signal at the maximum
    float prominenceMv = 0.0f;
};

enum class TmProposalStatus : uint8_t {
    Ok,               // possibly with no proposal at all
    TooFewPoints,     // fewer than three points, or signal and temperature of different length
    NonFiniteSignal,  // a sample of the stretch is not a number
    Truncated         // more maxima qualified than the list holds: the most prominent are kept
};

struct TmProposals {
    TmProposalStatus status = TmProposalStatus::Ok;
    int32_t count = 0;
    std::array<TmProposal, kMaxTmProposals> proposals{};  // in point order

    std::span<const TmProposal> list() const { return {proposals.data(), static_cast<size_t>(count)}; }
};

// Maxima with prominence ≥ minProminenceMv (a value ≤ 0 is taken as the smallest positive
// prominence). The first and last points never count as maxima: a stretch that begins or ends
// on a flank has no Tm there.
TmProposals proposeTmValues(std::span<const float> signalMv, std::span<const float> temperatureC,
                            double minProminenceMv, int32_t smoothingHalfWidth = kDefaultSmoothingHalfWidth);

// The floor of the suggested prominence: the detector's baseline wanders by a few tenths of a
// mV over an hour's ramp, and those slow humps are no desorption peaks.
inline constexpr double kMinSuggestedProminenceMv = 0.5;

// A starting value for the prominence field: ten times the point-to-point noise of the signal
// (estimated robustly from the median absolute deviation of neighbour differences), but at
// least kMinSuggestedProminenceMv, so neither noise nor drift on the baseline proposes anything.
double suggestedProminenceMv(std::span<const float> signalMv);

// The moving mean of half-width h (clipped at the ends); smoothed has the signal's length.
void smoothSignal(std::span<const float> signalMv, int32_t halfWidth, std::span<float> smoothedMv);

}  // namespace vespian
