#include "sim/reducible_sample.h"

#include <cmath>

namespace vespian::sim {

namespace {

constexpr double kGasConstant = 8.314462618;  // J/(mol·K)
constexpr double kZeroCelsiusK = 273.15;

// Integrates first-order consumption of `amount` exactly over the interval; returns what went.
double consume(double& amount, double rate, double seconds) {
    const double left = amount * std::exp(-rate * seconds);
    const double gone = amount - left;
    amount = left;
    return gone;
}

}  // namespace

double rateConstant(const RedoxKinetics& kinetics, double temperatureC) {
    return kinetics.frequencyPerS * std::exp(-kinetics.energyJPerMol / (kGasConstant * (temperatureC + kZeroCelsiusK)));
}

double ReducibleSample::reduce(double temperatureC, double seconds) {
    if (!(seconds > 0.0)) return 0.0;
    double area = 0.0;
    for (size_t i = 0; i < kOxideSpecies.size(); ++i) {
        area += kOxideSpecies[i].capacityMvS *
                consume(oxidised_[i], rateConstant(kOxideSpecies[i].reduction, temperatureC), seconds);
    }
    return area / seconds;
}

double ReducibleSample::oxidise(double temperatureC, double seconds) {
    if (!(seconds > 0.0)) return 0.0;
    double area = 0.0;
    for (size_t i = 0; i < kOxideSpecies.size(); ++i) {
        double reduced = 1.0 - oxidised_[i];
        area += 0.5 * kOxideSpecies[i].capacityMvS *
                consume(reduced, rateConstant(kOxideSpecies[i].oxidation, temperatureC), seconds);
        oxidised_[i] = 1.0 - reduced;
    }
    area += kCarbonCapacityMvS * consume(carbon_, rateConstant(kCarbonBurn, temperatureC), seconds);
    return area / seconds;
}

}  // namespace vespian::sim
