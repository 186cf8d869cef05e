#include "analysis/bet_range_selection.h"

#include <algorithm>
#include <cmath>
#include <memory>

#include "analysis/bet_least_squares.h"

namespace vespian {

std::vector<bool> BetRangeSelection::chosenPoints(size_t pointCount) const {
    std::vector<bool> chosen(pointCount, false);
    if (const BetRange* r = proposal()) {
        for (int32_t k = r->first; k <= r->last; ++k) {
            const auto i = static_cast<size_t>(order[static_cast<size_t>(k)]);
            if (i < pointCount) chosen[i] = true;
        }
    }
    return chosen;
}

BetRangeSelection selectBetRange(std::span<const double> relativePressure, std::span<const double> volumeMlPerG) {
    BetRangeSelection s;
    const size_t n = std::min(relativePressure.size(), volumeMlPerG.size());
    for (size_t i = 0; i < n; ++i) {
        const double x = relativePressure[i], v = volumeMlPerG[i];
        if (std::isfinite(x) && std::isfinite(v) && x > 0.0 && x < 1.0 && v > 0.0) s.order.push_back(static_cast<int32_t>(i));
    }
    std::stable_sort(s.order.begin(), s.order.end(),
                     [&](int32_t a, int32_t b) { return relativePressure[a] < relativePressure[b]; });
    const auto m = static_cast<int32_t>(s.order.size());
    const auto mask = std::make_unique<bool[]>(n);
    for (int32_t first = 0; first + kMinBetRangePoints <= m; ++first) {
        for (int32_t last = first + kMinBetRangePoints - 1; last < m; ++last) {
            BetRange r;
            r.first = first;
            r.last = last;
            r.pointCount = last - first + 1;
            r.lowPressure = relativePressure[s.order[first]];
            r.highPressure = relativePressure[s.order[last]];
            std::fill_n(mask.get(), n, false);
            for (int32_t k = first; k <= last; ++k) mask[static_cast<size_t>(s.order[k])] = true;
            const BetLeastSquares fit = fitBetLeastSquares(relativePressure.first(n), volumeMlPerG.first(n),
                                                           std::span<const bool>(mask.get(), n));
            r.slope = fit.slope;
            r.intercept = fit.intercept;
            r.correlation = fit.correlation;
            r.cConstant = fit.cConstant;
            if (!fit.ok()) {
                r.failures |= kBetRangeNoLine;
            } else {
                r.monolayerMlPerG = fit.monolayerMlPerG;
                r.areaM2PerG = fit.areaM2PerG;
            }
            if (!fit.cPositive) r.failures |= kBetRangeCNotPositive;
            if (!fit.uptakeRising) r.failures |= kBetRangeUptakeNotRising;
            if (fit.ok() && fit.cPositive) {
                r.cPressure = fit.monolayerRelativePressure;
                // Where the measured uptake passes the monolayer, between neighbouring points.
                for (int32_t k = first; k < last; ++k) {
                    const double va = volumeMlPerG[s.order[k]], vb = volumeMlPerG[s.order[k + 1]];
                    const double xa = relativePressure[s.order[k]], xb = relativePressure[s.order[k + 1]];
                    if ((va - r.monolayerMlPerG) * (vb - r.monolayerMlPerG) <= 0.0 && va != vb) {
                        r.monolayerPressure = xa + (r.monolayerMlPerG - va) / (vb - va) * (xb - xa);
                        break;
                    }
                }
                if (r.monolayerPressure == 0.0) {
                    r.failures |= kBetRangeMonolayerOutside;
                } else if (std::abs(r.monolayerPressure - r.cPressure) > kMonolayerPressureTolerance * r.cPressure) {
                    r.failures |= kBetRangeMonolayerMismatch;
                }
            }
            s.ranges.push_back(r);
        }
    }
    for (size_t i = 0; i < s.ranges.size(); ++i) {
        const BetRange& r = s.ranges[i];
        if (!r.passes()) continue;
        if (s.proposed < 0) {
            s.proposed = static_cast<int32_t>(i);
            continue;
        }
        const BetRange& best = s.ranges[static_cast<size_t>(s.proposed)];
        if (r.pointCount > best.pointCount || (r.pointCount == best.pointCount && r.correlation > best.correlation)) {
            s.proposed = static_cast<int32_t>(i);
        }
    }
    return s;
}

std::string betRangeReasons(const BetRange& range) {
    if (range.passes()) return "通过";
    std::string text;
    auto add = [&](const char* reason) { text += (text.empty() ? "" : "；") + std::string(reason); };
    if (range.failures & kBetRangeNoLine) add("得不到单层吸附量");
    if (range.failures & kBetRangeCNotPositive) add("C不大于0");
    if (range.failures & kBetRangeUptakeNotRising) add("V(1−P/Po)未随P/Po上升");
    if (range.failures & kBetRangeMonolayerOutside) add("单层吸附量对应的P/Po不在范围内");
    if (range.failures & kBetRangeMonolayerMismatch) add("单层对应的P/Po与1/(√C+1)相差超过10%");
    return text;
}

}  // namespace vespian
