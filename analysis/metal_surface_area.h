#pragma once
// The metal's exposed surface from its dispersion: surface atoms (dispersion × metal atoms)
// times the area one surface atom takes. Per gram of sample and per gram of the metal.

#include "analysis/particle_size.h"

namespace vespian {

struct MetalSurfaceArea {
    MetalStatus status = MetalStatus::Ok;
    double perGramSampleM2 = 0.0;
    double perGramMetalM2 = 0.0;
};

// massFraction: the metal's share of the sample (0 .. 1).
MetalSurfaceArea metalSurfaceArea(double dispersion, const MetalConstants& metal, double massFraction);

}  // namespace vespian
