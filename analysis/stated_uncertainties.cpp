#include "analysis/stated_uncertainties.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace vespian {

double weightUncertaintyG(double balanceResolutionG) {
    return std::abs(balanceResolutionG) * std::sqrt(2.0 / 12.0);
}

double pointNoiseMv(std::span<const float> signalMv) {
    if (signalMv.size() < 3) return 0.0;
    std::vector<float> differences;
    differences.reserve(signalMv.size() - 1);
    for (size_t i = 1; i < signalMv.size(); ++i) {
        const float d = signalMv[i] - signalMv[i - 1];
        if (std::isfinite(d)) differences.push_back(std::abs(d));
    }
    if (differences.empty()) return 0.0;
    const auto middle = differences.begin() + static_cast<std::ptrdiff_t>(differences.size() / 2);
    std::nth_element(differences.begin(), middle, differences.end());
    return 1.482602218505602 * static_cast<double>(*middle) / std::sqrt(2.0);
}

double integratedAreaUncertainty(double noiseMv, int64_t points, int64_t baselinePoints) {
    if (!(noiseMv > 0.0) || points <= 0) return 0.0;
    const auto n = static_cast<double>(points);
    const double baseline = baselinePoints > 0 ? n * n / static_cast<double>(baselinePoints) : 0.0;
    return noiseMv * std::sqrt(n + baseline);
}

CalibrationScatter calibrationScatter(std::span<const double> pulseAreas) {
    CalibrationScatter s;
    double sum = 0.0;
    for (double a : pulseAreas) {
        if (!std::isfinite(a)) continue;
        sum += a;
        ++s.count;
    }
    if (s.count == 0) return s;
    s.meanArea = sum / s.count;
    if (s.count < 2) return s;
    double squares = 0.0;
    for (double a : pulseAreas) {
        if (std::isfinite(a)) squares += (a - s.meanArea) * (a - s.meanArea);
    }
    s.standardDeviation = std::sqrt(squares / (s.count - 1));
    s.meanUncertainty = s.standardDeviation / std::sqrt(static_cast<double>(s.count));
    return s;
}

}  // namespace vespian
