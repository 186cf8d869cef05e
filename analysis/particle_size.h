#pragma once
// The supported metal: its dispersion (surface metal atoms per metal atom, from the gas taken
// up) and the mean particle size that dispersion implies.
//
// Size model: hemispherical particles on the support. A hemisphere of diameter d exposes
// π d² / 2 of metal and holds π d³ / 12 of it, so exposed area per volume is 6 / d, as for a
// sphere. With v_m the volume of one metal atom in the bulk (M / (ρ N_A)) and a_m the area one
// surface atom takes, the atoms at the surface per atom in the particle are
// D = (6 v_m / a_m) / d, hence d = 6 v_m / (a_m D). For platinum 6 v_m / a_m = 1.12 nm.

#include <cstdint>
#include <span>
#include <string_view>

namespace vespian {

inline constexpr double kAvogadroPerMol = 6.02214076e23;

enum class Metal : uint8_t { Platinum, Palladium, Rhodium, Iridium, Nickel, Copper, Silver, Gold };
inline constexpr int32_t kMetalCount = 8;

struct MetalConstants {
    Metal metal;
    std::string_view name;    // as the windows and pages name it: "钯"
    std::string_view symbol;  // "Pd"
    double atomicMassGPerMol;
    double densityGPerCm3;
    double surfaceAtomAreaNm2;  // mean area per surface atom over the low-index faces
};

// Bulk densities at room temperature; surface-atom areas for equal shares of the (100), (110)
// and (111) faces of the fcc metals (as tabulated for chemisorption, e.g. Pt 0.0807 nm²).
const MetalConstants& metalConstants(Metal metal);
std::span<const MetalConstants> supportedMetals();

enum class MetalStatus : uint8_t {
    Ok,
    InvalidSample,      // sample weight, metal share or atomic mass not above 0
    NoDispersion,       // no gas taken up: there is no particle size to give
    DispersionAboveOne  // more surface atoms than atoms: the uptake or the metal data are wrong
};

struct Dispersion {
    MetalStatus status = MetalStatus::Ok;
    double value = 0.0;  // fraction, not per cent
};

// Surface metal atoms = atomsPerGasMolecule × gas molecules taken up; metal atoms in the
// sample = weight × massFraction / atomic mass. A value above 1 is reported with its status.
Dispersion metalDispersion(double gasMicromol, double atomsPerGasMolecule, double atomicMassGPerMol,
                           double massFraction, double sampleWeightG);

struct ParticleSize {
    MetalStatus status = MetalStatus::Ok;
    double diameterNm = 0.0;  // 0 unless status is Ok
};

// d = 6 v_m / (a_m D) of the hemisphere model, for 0 < D ≤ 1.
ParticleSize meanParticleSize(double dispersion, const MetalConstants& metal);

}  // namespace vespian
