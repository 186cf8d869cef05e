#include "analysis/particle_size.h"

#include <array>
#include <cmath>

namespace vespian {

namespace {

constexpr std::array<MetalConstants, kMetalCount> kMetals = {{
    {Metal::Platinum, "铂", "Pt", 195.08, 21.45, 0.0807},
    {Metal::Palladium, "钯", "Pd", 106.42, 12.02, 0.0787},
    {Metal::Rhodium, "铑", "Rh", 102.91, 12.41, 0.0752},
    {Metal::Iridium, "铱", "Ir", 192.22, 22.56, 0.0860},
    {Metal::Nickel, "镍", "Ni", 58.69, 8.90, 0.0649},
    {Metal::Copper, "铜", "Cu", 63.55, 8.92, 0.0685},
    {Metal::Silver, "银", "Ag", 107.87, 10.50, 0.0870},
    {Metal::Gold, "金", "Au", 196.97, 19.30, 0.0875},
}};

bool positive(double v) { return std::isfinite(v) && v > 0.0; }

}  // namespace

const MetalConstants& metalConstants(Metal metal) {
    const auto index = static_cast<size_t>(metal);
    return kMetals[index < kMetals.size() ? index : 0];
}

std::span<const MetalConstants> supportedMetals() { return kMetals; }

Dispersion metalDispersion(double gasMicromol, double atomsPerGasMolecule, double atomicMassGPerMol,
                           double massFraction, double sampleWeightG) {
    Dispersion d;
    if (!positive(sampleWeightG) || !positive(massFraction) || !positive(atomicMassGPerMol) ||
        !positive(atomsPerGasMolecule)) {
        d.status = MetalStatus::InvalidSample;
        return d;
    }
    if (!positive(gasMicromol)) {
        d.status = MetalStatus::NoDispersion;
        return d;
    }
    const double metalMicromol = sampleWeightG * massFraction / atomicMassGPerMol * 1e6;
    d.value = atomsPerGasMolecule * gasMicromol / metalMicromol;
    if (d.value > 1.0) d.status = MetalStatus::DispersionAboveOne;
    return d;
}

ParticleSize meanParticleSize(double dispersion, const MetalConstants& metal) {
    ParticleSize size;
    if (!positive(dispersion)) {
        size.status = MetalStatus::NoDispersion;
        return size;
    }
    if (dispersion > 1.0) {
        size.status = MetalStatus::DispersionAboveOne;
        return size;
    }
    // Volume of one atom in nm³: M / (ρ N_A) in cm³, and 1 cm³ = 10²¹ nm³.
    const double atomVolumeNm3 = metal.atomicMassGPerMol / (metal.densityGPerCm3 * kAvogadroPerMol) * 1e21;
    size.diameterNm = 6.0 * atomVolumeNm3 / (metal.surfaceAtomAreaNm2 * dispersion);
    return size;
}

}  // namespace vespian
