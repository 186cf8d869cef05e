#include "analysis/metal_surface_area.h"

#include <cmath>

namespace vespian {

MetalSurfaceArea metalSurfaceArea(double dispersion, const MetalConstants& metal, double massFraction) {
    MetalSurfaceArea area;
    if (!(massFraction > 0.0) || !(metal.atomicMassGPerMol > 0.0) || !std::isfinite(dispersion)) {
        area.status = MetalStatus::InvalidSample;
        return area;
    }
    if (!(dispersion > 0.0)) {
        area.status = MetalStatus::NoDispersion;
        return area;
    }
    if (dispersion > 1.0) area.status = MetalStatus::DispersionAboveOne;
    // Surface atoms per gram of metal × nm² each, 1 nm² = 10⁻¹⁸ m².
    area.perGramMetalM2 = dispersion / metal.atomicMassGPerMol * kAvogadroPerMol * metal.surfaceAtomAreaNm2 * 1e-18;
    area.perGramSampleM2 = area.perGramMetalM2 * massFraction;
    return area;
}

}  // namespace vespian
