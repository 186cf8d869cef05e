#include "analysis/bet_least_squares.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace vespian {

namespace {

bool usablePoint(double x, double v) {
    return std::isfinite(x) && std::isfinite(v) && x > 0.0 && x < 1.0 && v > 0.0;
}

}  // namespace

BetLeastSquares fitBetLeastSquares(std::span<const double> relativePressure, std::span<const double> volumeMlPerG,
                                   std::span<const bool> chosen) {
    BetLeastSquares fit;
    const size_t n = relativePressure.size();
    if (volumeMlPerG.size() != n || (!chosen.empty() && chosen.size() != n)) return fit;  // TooFewPoints
    if (n > static_cast<size_t>(kMaxBetFitPoints)) {
        fit.status = BetFitStatus::TooManyPoints;
        return fit;
    }
    fit.pointCount = static_cast<int32_t>(n);
    bool invalid = false;
    for (size_t i = 0; i < n; ++i) {
        const double x = relativePressure[i], v = volumeMlPerG[i];
        BetFitPoint& p = fit.points[i];
        p.chosen = chosen.empty() || chosen[i];
        p.outsideRange = !(x >= kBetRangeLow && x <= kBetRangeHigh);
        if (usablePoint(x, v)) {
            p.betY = x / (v * (1.0 - x));  // = 1 / (V (1/x − 1))
        } else if (p.chosen) {
            invalid = true;
        }
        if (p.chosen) {
            ++fit.chosenCount;
            fit.outsideRangeCount += p.outsideRange ? 1 : 0;
        }
    }
    if (invalid) {
        fit.status = BetFitStatus::InvalidPoint;
        return fit;
    }
    if (fit.chosenCount < 2) return fit;  // TooFewPoints

    std::array<double, kMaxBetFitPoints> y{};
    std::array<bool, kMaxBetFitPoints> use{};
    double meanY = 0.0, lowX = 1.0, highX = 0.0;
    for (size_t i = 0; i < n; ++i) {
        y[i] = fit.points[i].betY;
        use[i] = fit.points[i].chosen;
        if (!use[i]) continue;
        meanY += y[i];
        lowX = std::min(lowX, relativePressure[i]);
        highX = std::max(highX, relativePressure[i]);
    }
    meanY /= fit.chosenCount;
    const StraightLine line = fitStraightLine(relativePressure, std::span(y).first(n), std::span(use).first(n));
    if (!line.ok) {
        fit.status = BetFitStatus::SamePressure;
        return fit;
    }
    fit.slope = line.slope;
    fit.intercept = line.intercept;
    fit.covariance = line.covariance;
    double meanX = 0.0;
    for (size_t i = 0; i < n; ++i) meanX += use[i] ? relativePressure[i] : 0.0;
    meanX /= fit.chosenCount;
    double sxx = 0.0, sxy = 0.0, syy = 0.0;
    for (size_t i = 0; i < n; ++i) {
        if (!use[i]) continue;
        const double dx = relativePressure[i] - meanX, dy = y[i] - meanY;
        sxx += dx * dx;
        sxy += dx * dy;
        syy += dy * dy;
    }
    // Equal ordinates leave r undefined; 0 says the points show no trend.
    fit.correlation = syy > 0.0 ? sxy / std::sqrt(sxx * syy) : 0.0;

    // V (1 − P/Po) taken in order of P/Po over the chosen points.
    std::array<size_t, kMaxBetFitPoints> order{};
    size_t m = 0;
    for (size_t i = 0; i < n; ++i) {
        if (fit.points[i].chosen) order[m++] = i;
    }
    std::sort(order.begin(), order.begin() + static_cast<std::ptrdiff_t>(m),
              [&](size_t a, size_t b) { return relativePressure[a] < relativePressure[b]; });
    fit.uptakeRising = true;
    for (size_t k = 1; k < m; ++k) {
        const size_t a = order[k - 1], b = order[k];
        const double before = volumeMlPerG[a] * (1.0 - relativePressure[a]);
        const double after = volumeMlPerG[b] * (1.0 - relativePressure[b]);
        if (!(after > before)) fit.uptakeRising = false;
    }

    if (fit.intercept != 0.0) fit.cConstant = 1.0 + fit.slope / fit.intercept;
    if (!std::isfinite(fit.cConstant)) fit.cConstant = 0.0;  // an intercept of a few ulps
    fit.cPositive = fit.cConstant > 0.0;
    if (fit.cPositive) {
        fit.monolayerRelativePressure = 1.0 / (std::sqrt(fit.cConstant) + 1.0);
        fit.monolayerInRange = fit.monolayerRelativePressure >= lowX && fit.monolayerRelativePressure <= highX;
    }
    const double sum = fit.slope + fit.intercept;
    if (!(sum > 0.0)) {
        fit.status = BetFitStatus::NonPhysicalLine;
        return fit;
    }
    fit.status = BetFitStatus::Ok;
    fit.monolayerMlPerG = 1.0 / sum;
    fit.areaM2PerG = fit.monolayerMlPerG * kNitrogenAreaM2PerMl;
    if (fit.covariance.available()) {
        const double vs = fit.covariance.at(0, 0), vi = fit.covariance.at(1, 1), c = fit.covariance.at(0, 1);
        // area = 4.36 / (s + i): ∂/∂s = ∂/∂i = −area / (s + i).
        fit.areaStandardError = fit.areaM2PerG / sum * std::sqrt(std::max(vs + vi + 2.0 * c, 0.0));
        if (fit.intercept != 0.0) {
            // C = 1 + s / i: ∂C/∂s = 1 / i, ∂C/∂i = −s / i².
            const double ds = 1.0 / fit.intercept, di = -fit.slope / (fit.intercept * fit.intercept);
            fit.cStandardError = std::sqrt(std::max(ds * ds * vs + di * di * vi + 2.0 * ds * di * c, 0.0));
        }
    }
    return fit;
}

}  // namespace vespian
