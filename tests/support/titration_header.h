#pragma once
// A titration report worked by hand: eight pulses of a 0.5 ml loop (area 1000), 3000 left over,
// 0.25 g of 1 % platinum. Adsorbed 8 × 0.5 − 1.5 = 2.5 ml.

#include "files/test_report.h"

namespace vespian::testing {

inline TestReportHeader handWorkedTitration() {
    TestReportHeader h{};
    h.pulseVolumeMl = 0.5f;
    h.pulseArea = 1000.0f;
    h.residualArea = 3000.0f;
    h.sampleWeightG = 0.25f;
    h.massFraction = 0.01f;
    h.pulseCount = 8;
    h.stoichiometry = 0.6667f;
    h.atomicMass = 195.08f;
    h.crossSectionNm2 = 0.089f;
    return h;
}

}  // namespace vespian::testing
