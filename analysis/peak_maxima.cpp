#include "analysis/peak_maxima.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

namespace vespian {

namespace {

constexpr float kInfinity = std::numeric_limits<float>::infinity();
// Neighbour differences taken for the noise estimate; a longer stretch is sampled evenly.
constexpr size_t kNoiseSamples = 200'000;

struct Candidate {
    int32_t index;
    float height;
    float leftBase;   // lowest point between the maximum and higher signal on the left
    float rightBase;  // the same on the right
};

// For every candidate, the lowest point between it and the nearest strictly higher point on
// one side (or the end of the stretch). One pass with a stack of points of falling height, each
// holding the minimum of the stretch between it and the point below it on the stack: O(n).
// `forward` walks left to right and fills leftBase; otherwise right to left and rightBase.
void findBases(std::span<const float> s, std::vector<Candidate>& candidates, bool forward) {
    struct Entry {
        float value;
        float minBefore;  // minimum strictly between the entry below and this one
    };
    std::vector<Entry> stack;
    stack.reserve(1024);
    const auto n = static_cast<int64_t>(s.size());
    const auto m = static_cast<int64_t>(candidates.size());
    int64_t next = forward ? 0 : m - 1;  // next candidate in walking order
    for (int64_t k = 0; k < n; ++k) {
        const int64_t i = forward ? k : n - 1 - k;
        const float x = s[i];
        float base = kInfinity;
        // Equal heights do not separate: the line from a maximum runs on past a twin.
        while (!stack.empty() && stack.back().value <= x) {
            base = std::min({base, stack.back().value, stack.back().minBefore});
            stack.pop_back();
        }
        if (next >= 0 && next < m && candidates[next].index == i) {
            // With nothing higher on this side the base is the lowest point up to the end; a
            // maximum at the very first point walked would have no points on this side at all.
            const float b = base == kInfinity ? x : base;
            (forward ? candidates[next].leftBase : candidates[next].rightBase) = b;
            next += forward ? 1 : -1;
        }
        stack.push_back({x, base});
    }
}

}  // namespace

void smoothSignal(std::span<const float> signalMv, int32_t halfWidth, std::span<float> smoothedMv) {
    const auto n = static_cast<int64_t>(std::min(signalMv.size(), smoothedMv.size()));
    const int64_t h = std::max(halfWidth, 0);
    // Running sum in double over the clipped window [i − h, i + h].
    double sum = 0.0;
    int64_t from = 0, to = -1;  // window currently summed
    for (int64_t i = 0; i < n; ++i) {
        const int64_t wantFrom = std::max<int64_t>(i - h, 0);
        const int64_t wantTo = std::min<int64_t>(i + h, n - 1);
        while (to < wantTo) sum += signalMv[++to];
        while (from < wantFrom) sum -= signalMv[from++];
        smoothedMv[i] = static_cast<float>(sum / static_cast<double>(to - from + 1));
    }
}

TmProposals proposeTmValues(std::span<const float> signalMv, std::span<const float> temperatureC,
                            double minProminenceMv, int32_t smoothingHalfWidth) {
    TmProposals result;
    const auto n = static_cast<int64_t>(signalMv.size());
    if (n < 3 || temperatureC.size() != signalMv.size()) {
        result.status = TmProposalStatus::TooFewPoints;
        return result;
    }
    if (!std::all_of(signalMv.begin(), signalMv.end(), [](float v) { return std::isfinite(v); })) {
        result.status = TmProposalStatus::NonFiniteSignal;
        return result;
    }
    std::vector<float> smooth(signalMv.size());
    smoothSignal(signalMv, smoothingHalfWidth, smooth);

    // Maxima, a flat top counted once at its middle; never the first or last point.
    std::vector<Candidate> candidates;
    for (int64_t i = 1; i < n - 1; ++i) {
        if (!(smooth[i] > smooth[i - 1])) continue;
        int64_t j = i;
        while (j + 1 < n && smooth[j + 1] == smooth[i]) ++j;
        if (j + 1 < n && smooth[j + 1] < smooth[i]) {
            candidates.push_back({static_cast<int32_t>((i + j) / 2), smooth[i], 0.0f, 0.0f});
        }
        i = j;
    }
    findBases(smooth, candidates, true);
    findBases(smooth, candidates, false);

    const double threshold = minProminenceMv > 0.0 ? minProminenceMv : 0.0;
    std::vector<TmProposal> kept;
    for (const Candidate& c : candidates) {
        const float prominence = c.height - std::max(c.leftBase, c.rightBase);
        if (prominence > 0.0f && prominence >= threshold) {
            kept.push_back({c.index, temperatureC[c.index], c.height, prominence});
        }
    }
    if (kept.size() > static_cast<size_t>(kMaxTmProposals)) {
        std::stable_sort(kept.begin(), kept.end(),
                         [](const TmProposal& a, const TmProposal& b) { return a.prominenceMv > b.prominenceMv; });
        kept.resize(kMaxTmProposals);
        std::sort(kept.begin(), kept.end(), [](const TmProposal& a, const TmProposal& b) { return a.index < b.index; });
        result.status = TmProposalStatus::Truncated;
    }
    result.count = static_cast<int32_t>(kept.size());
    std::copy(kept.begin(), kept.end(), result.proposals.begin());
    return result;
}

double suggestedProminenceMv(std::span<const float> signalMv) {
    const size_t n = signalMv.size();
    if (n < 3) return kMinSuggestedProminenceMv;
    const size_t differences = n - 1;
    const size_t step = std::max<size_t>(differences / kNoiseSamples, 1);
    std::vector<float> d;
    d.reserve(differences / step + 1);
    for (size_t i = 0; i + 1 < n; i += step) {
        const float diff = signalMv[i + 1] - signalMv[i];
        if (std::isfinite(diff)) d.push_back(diff);
    }
    if (d.empty()) return kMinSuggestedProminenceMv;
    auto median = [](std::vector<float>& v) {
        auto middle = v.begin() + static_cast<std::ptrdiff_t>(v.size() / 2);
        std::nth_element(v.begin(), middle, v.end());
        return *middle;
    };
    const float centre = median(d);  // a steady drift moves every difference alike
    for (float& v : d) v = std::abs(v - centre);
    // MAD × 1.4826 is σ of the differences, which is σ of one point × √2.
    const double sigma = median(d) * 1.4826 / std::sqrt(2.0);
    return std::max(10.0 * sigma, kMinSuggestedProminenceMv);
}

}  // namespace vespian
