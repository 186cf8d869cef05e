#pragma once
// Pulse titration evaluated pulse by pulse: the pulses of the report's stretch are found as the
// maxima of the signal above its flat-ends baseline, each pulse's area is the corrected signal
// between the valleys that separate it from its neighbours, and the uptake of each pulse against
// a full (untouched) pulse adds up to the cumulative uptake, the metal's dispersion and, by the
// hemisphere model, the mean particle size.

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "analysis/metal_content.h"
#include "analysis/particle_size.h"
#include "analysis/uptake.h"
#include "platform/draw_list.h"

namespace vespian {

struct TitrationPulses {
    std::vector<int32_t> maxima;  // point of each pulse's maximum, in order
    std::vector<double> areas;    // mV × points, after the baseline
    std::vector<int32_t> ends;    // last point of each pulse (the next one starts after it)
};

// Pulses standing out by at least `minProminenceMv` (≤ 0: the suggested prominence).
TitrationPulses findTitrationPulses(std::span<const float> signalMv, double minProminenceMv);

struct TitrationInput {
    double fullPulseArea = 0.0;  // the calibration (quantitative) pulse
    GasLoop loop{};
    double sampleWeightG = 0.0;
    Metal metal = Metal::Platinum;
    double atomsPerGasMolecule = 2.0;  // H₂ on a metal: two surface atoms per molecule
    MetalContent metalContent{};
};

struct TitrationUptake {
    PulseUptake uptake{};
    Dispersion dispersion{};
    ParticleSize size{};
};
TitrationUptake titrationUptake(std::span<const double> pulseAreas, const TitrationInput& input);

// The lines the window states: total uptake, dispersion, particle size (with the model's name),
// or why one is missing.
std::vector<std::string> titrationUptakeLines(const TitrationUptake& result, const TitrationInput& input);

// The pulses as CSV (UTF-8 with a byte-order mark): pulse, area, uptake µmol, cumulative µmol.
std::string titrationUptakeCsv(std::span<const double> pulseAreas, const TitrationUptake& result);

// The stretch with the pulses found: the signal over the point index, each pulse's maximum
// marked and numbered, the borders between pulses dotted.
DrawList titrationPulseChart(std::span<const float> signalMv, const TitrationPulses& pulses, int32_t width,
                             int32_t height);

// The metal whose atomic mass is nearest the given one (the report keeps only the mass).
Metal metalByAtomicMass(double atomicMassGPerMol);

}  // namespace vespian
