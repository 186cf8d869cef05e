#pragma once
// The standard uncertainty of every result of the evaluation, propagated from the stated input
// uncertainties through the program's own calculations (analysis/uncertainty.h):
//  - an amount of gas (µmol, µmol/g) of a peak against the quantitative peak;
//  - the pulse titration: uptake, dispersion, particle size and metal surface area;
//  - the written titration report: adsorbed volume, dispersion, active surface area;
//  - the written desorption amount test: total and per gram;
//  - the BET area and C, written (two-point) and least-squares, of a surface-area record.
// Areas are given with their own u (the detector's noise over the window, or the scatter of
// the calibration pulses: analysis/stated_uncertainties.h) in the unit of the area.

#include <array>
#include <cstdint>
#include <span>

#include "analysis/stated_uncertainties.h"
#include "analysis/titration_uptake.h"
#include "analysis/uncertainty.h"
#include "analysis/uptake.h"
#include "files/record_database_layout.h"

namespace vespian {

struct TestReportHeader;

struct AreaWithUncertainty {
    double area = 0.0;
    double u = 0.0;
};

// ---- An amount against the quantitative peak ------------------------------------------------

struct AmountUncertainty {
    UptakeStatus status = UptakeStatus::Ok;  // of the amount itself (analysis/uptake.h)
    PropagatedResult micromol;
    PropagatedResult micromolPerGram;  // no value without a sample weight
};
AmountUncertainty peakAmountUncertainty(AreaWithUncertainty peak, AreaWithUncertainty reference, const GasLoop& loop,
                                        double sampleWeightG, const StatedUncertainties& stated);

// ---- Pulse titration, pulse by pulse --------------------------------------------------------

struct TitrationUncertainty {
    PropagatedResult totalMicromol;
    PropagatedResult micromolPerGram;
    PropagatedResult dispersion;           // fraction
    PropagatedResult particleSizeNm;       // no value where the size has none (dispersion > 1)
    PropagatedResult metalAreaPerGramSampleM2;
    PropagatedResult metalAreaPerGramMetalM2;
};
// Every pulse area with the same u (the detector's noise over a pulse's window); the full
// pulse's area (input.fullPulseArea) with its own.
TitrationUncertainty titrationUptakeUncertainty(std::span<const double> pulseAreas, double pulseAreaU,
                                                const TitrationInput& input, double fullPulseAreaU,
                                                const StatedUncertainties& stated);

// ---- The written titration and desorption reports --------------------------------------------

struct WrittenTitrationUncertainty {
    PropagatedResult adsorbedVolumeMl;
    PropagatedResult adsorbedPerGram;  // ml/g
    PropagatedResult dispersion;
    PropagatedResult activeAreaM2g;
};
// The report's pulse volume is the loop's; its pulse and residual areas come with their u.
WrittenTitrationUncertainty writtenTitrationUncertainty(const TestReportHeader& header, double pulseAreaU,
                                                        double residualAreaU, const StatedUncertainties& stated);

struct DesorbedAmountUncertainty {
    PropagatedResult totalMl;
    PropagatedResult perGramMl;
};
DesorbedAmountUncertainty desorbedAmountUncertainty(const TestReportHeader& header, double pulseAreaU,
                                                    double desorptionAreaU, const StatedUncertainties& stated);

// ---- BET ---------------------------------------------------------------------------------------

struct BetUncertainty {
    PropagatedResult writtenAreaM2g;  // the two-point line through the record's pair
    PropagatedResult areaM2g;         // the least-squares line over the chosen points
    PropagatedResult cConstant;       // of the least-squares line
};
// A committed record (its raw areas, flows, loop, temperature, pressures and weight): each
// point's adsorption and calibration peak area with their u (in the record's area unit);
// chosen marks the least-squares points, empty for all.
BetUncertainty betUncertainty(const SurfaceReportRecord& record, std::span<const double> peakAreaU,
                              std::span<const double> calibrationAreaU, std::span<const bool> chosen,
                              const StatedUncertainties& stated);

}  // namespace vespian
