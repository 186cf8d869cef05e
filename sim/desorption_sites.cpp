#include "sim/desorption_sites.h"

#include <cmath>

namespace vespian::sim {

namespace {

constexpr double kGasConstant = 8.314462618;  // J/(mol·K)
constexpr double kZeroCelsiusK = 273.15;

}  // namespace

DesorptionSites::DesorptionSites() { refill(); }

void DesorptionSites::refill() { coverage_.fill(1.0); }

double DesorptionSites::advance(double temperatureC, double seconds) {
    if (seconds <= 0.0) return 0.0;
    const double kelvin = temperatureC + kZeroCelsiusK;
    double area = 0.0;
    for (int i = 0; i < kSites; ++i) {
        const AdsorptionSite& site = kAdsorptionSites[i];
        const double rate = site.frequencyPerS * std::exp(-site.energyJPerMol / (kGasConstant * kelvin));
        const double remaining = coverage_[i] * std::exp(-rate * seconds);
        area += site.capacityMvS * (coverage_[i] - remaining);
        coverage_[i] = remaining;
    }
    return area / seconds;
}

}  // namespace vespian::sim
