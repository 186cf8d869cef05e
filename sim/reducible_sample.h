#pragma once
// The sample's reducible part for temperature-programmed reduction and oxidation: two oxide
// species reduced by hydrogen at first-order rates ν·exp(−E/RT), which oxygen oxidises back at
// lower temperatures, and a carbon deposit that oxygen burns off. The detector sees the gas
// consumed: a signal proportional to the consumption rate. At 10 ℃/min the reduction peaks lie
// near 255 and 410 ℃, the carbon burns near 510 ℃.

#include <array>
#include <cstddef>

namespace vespian::sim {

struct RedoxKinetics {
    double energyJPerMol;
    double frequencyPerS;
};

struct OxideSpecies {
    RedoxKinetics reduction;
    RedoxKinetics oxidation;
    double capacityMvS;  // detector area of its complete reduction; its oxidation takes half
};

inline constexpr std::array<OxideSpecies, 2> kOxideSpecies = {{
    {{150.0e3, 1.0e13}, {110.0e3, 1.0e13}, 4000.0},
    {{195.0e3, 1.0e13}, {130.0e3, 1.0e13}, 6000.0},
}};
inline constexpr RedoxKinetics kCarbonBurn{230.0e3, 1.0e13};
inline constexpr double kCarbonCapacityMvS = 5000.0;

class ReducibleSample {
public:
    // A fresh sample: fully oxidised, with its carbon deposit.
    ReducibleSample() { oxidised_.fill(1.0); }

    // `seconds` at `temperatureC` under hydrogen; the mean consumption signal (mV) of the interval.
    double reduce(double temperatureC, double seconds);
    // The same under oxygen: the reduced species oxidise and the carbon burns.
    double oxidise(double temperatureC, double seconds);

    double oxidisedFraction(int species) const { return oxidised_[static_cast<size_t>(species)]; }
    double carbonLeft() const { return carbon_; }

private:
    std::array<double, kOxideSpecies.size()> oxidised_{};
    double carbon_ = 1.0;
};

// First-order rate constant (1/s) at a temperature.
double rateConstant(const RedoxKinetics& kinetics, double temperatureC);

}  // namespace vespian::sim
