#include "analysis/baseline.h"

#include <algorithm>
#include <cmath>

namespace vespian {

namespace {

struct Anchor {
    double index = 0.0;
    double levelMv = 0.0;
    bool finite = true;
};

// Mean index and mean level of the points around a click: on a straight line the anchor lies on
// the line even where the window is clipped by the end of the stretch.
Anchor anchorAt(std::span<const float> signal, int32_t index) {
    const auto last = static_cast<int32_t>(signal.size()) - 1;
    const int32_t from = std::max(index - kClickAverageHalfWidth, 0);
    const int32_t to = std::min(index + kClickAverageHalfWidth, last);
    Anchor anchor;
    for (int32_t i = from; i <= to; ++i) {
        anchor.finite = anchor.finite && std::isfinite(signal[i]);
        anchor.index += i;
        anchor.levelMv += signal[i];
    }
    const double n = to - from + 1;
    anchor.index /= n;
    anchor.levelMv /= n;
    return anchor;
}

BaselineLine failed(BaselineStatus status) {
    BaselineLine line;
    line.status = status;
    return line;
}

}  // namespace

BaselineLine baselineThroughPoints(std::span<const float> signalMv, int32_t firstIndex, int32_t secondIndex) {
    const auto n = static_cast<int64_t>(signalMv.size());
    if (n < 2) return failed(BaselineStatus::TooFewPoints);
    if (firstIndex < 0 || secondIndex < 0 || firstIndex >= n || secondIndex >= n) {
        return failed(BaselineStatus::PointOutside);
    }
    if (firstIndex == secondIndex) return failed(BaselineStatus::SamePoint);
    const Anchor a = anchorAt(signalMv, std::min(firstIndex, secondIndex));
    const Anchor b = anchorAt(signalMv, std::max(firstIndex, secondIndex));
    if (!a.finite || !b.finite) return failed(BaselineStatus::NonFiniteSignal);
    // Clipped windows of two neighbouring clicks can share their mean index.
    if (b.index - a.index < 0.5) return failed(BaselineStatus::SamePoint);
    BaselineLine line;
    line.slopeMvPerPoint = (b.levelMv - a.levelMv) / (b.index - a.index);
    line.offsetMv = a.levelMv - line.slopeMvPerPoint * a.index;
    return line;
}

BaselineLine baselineFromFlatEnds(std::span<const float> signalMv, double endShare) {
    const auto n = static_cast<int64_t>(signalMv.size());
    if (!(endShare >= 0.01)) endShare = 0.01;  // also catches NaN
    endShare = std::min(endShare, 0.5);
    const auto endPoints = std::max<int64_t>(static_cast<int64_t>(static_cast<double>(n) * endShare), 2);
    if (n < 4 || 2 * endPoints > n) return failed(BaselineStatus::TooFewPoints);

    // Least squares about the centre of the stretch keeps the sums well conditioned for long
    // stretches (millions of points).
    const double centre = 0.5 * static_cast<double>(n - 1);
    double sumX = 0.0, sumY = 0.0, sumXX = 0.0, sumXY = 0.0;
    auto take = [&](int64_t i) {
        const double x = static_cast<double>(i) - centre;
        const double y = signalMv[i];
        sumX += x;
        sumY += y;
        sumXX += x * x;
        sumXY += x * y;
        return std::isfinite(y);
    };
    bool finite = true;
    for (int64_t i = 0; i < endPoints; ++i) finite = take(i) && finite;
    for (int64_t i = n - endPoints; i < n; ++i) finite = take(i) && finite;
    if (!finite) return failed(BaselineStatus::NonFiniteSignal);

    const double m = static_cast<double>(2 * endPoints);
    const double sxx = sumXX - sumX * sumX / m;
    BaselineLine line;
    line.slopeMvPerPoint = (sumXY - sumX * sumY / m) / sxx;  // sxx > 0: the two ends lie apart
    line.offsetMv = sumY / m - line.slopeMvPerPoint * (sumX / m + centre);
    return line;
}

void subtractBaseline(std::span<const float> signalMv, const BaselineLine& line, std::span<float> correctedMv) {
    const size_t n = std::min(signalMv.size(), correctedMv.size());
    if (!line.ok()) {
        std::copy_n(signalMv.begin(), n, correctedMv.begin());
        return;
    }
    for (size_t i = 0; i < n; ++i) {
        correctedMv[i] = static_cast<float>(signalMv[i] - line.levelAt(static_cast<double>(i)));
    }
}

}  // namespace vespian
