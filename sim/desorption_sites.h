#pragma once
// Temperature-programmed desorption from the sample: a few kinds of adsorption site, each
// emptying by first-order Polanyi–Wigner kinetics, rate = ν·θ·exp(−E/RT). The detector sees the
// desorbed gas as a signal proportional to the rate. A 10 ℃/min ramp shows the sites as peaks
// near 145, 270 and 440 ℃.

#include <array>

namespace vespian::sim {

struct AdsorptionSite {
    double energyJPerMol;
    double frequencyPerS;  // pre-exponential factor ν
    double capacityMvS;    // detector peak area when the full coverage desorbs
};

// Weak, medium and strong sites; the energies place the peaks at a few hundred ℃ at usual
// ramp rates, the capacities make them some tens of mV high at 10 ℃/min.
inline constexpr std::array<AdsorptionSite, 3> kAdsorptionSites = {{
    {118.0e3, 1.0e13, 3000.0},
    {155.0e3, 1.0e13, 5000.0},
    {205.0e3, 1.0e13, 3500.0},
}};

class DesorptionSites {
public:
    static constexpr int kSites = static_cast<int>(kAdsorptionSites.size());

    DesorptionSites();  // every site full, as a freshly pre-treated sample
    // Desorbs for `seconds` at `temperatureC`; returns the mean detector signal (mV) of the
    // interval. Integrated exactly over the interval, so the areas add up to the capacities.
    double advance(double temperatureC, double seconds);
    void refill();  // an adsorption pulse saturates every site
    double coverage(int site) const { return coverage_[site]; }

private:
    std::array<double, kSites> coverage_;
};

}  // namespace vespian::sim
