#pragma once
// The checks before a run: things the analyser will carry out but that are likely not what the
// operator wants, each a warning with its reason; the operator may go on.
//
// - a flow above the gas's largest (the analyser is set to the largest, as the flow dialog does);
// - the furnace asked for what it cannot do: cooling faster than it cools by itself, a wait for
//   a temperature the programme running then never reaches, or for a cooling the programme
//   prevents or that room temperature does not allow;
// - TPR with the sample's reducible amount S0 given: the characteristic number
//   K = S0 / (V*·C0) outside 55–140 s (Monti and Baiker), or P = β·K above 20 K (Malet and
//   Caballero), with V*·C0 the hydrogen flowing over the sample in µmol/s and β the heating
//   rate in K/s; outside these the peaks are distorted or lose resolution;
// - TPD with a sample mass large against the carrier flow, where desorbed molecules meet free
//   sites again before they leave the bed and the peaks shift to higher temperatures;
// - a pulse step allowed fewer than 2 pulses, or fewer than the expected uptake needs before
//   the agreeing pulses can show saturation.

#include <vector>

#include "method/method_file.h"
#include "method/method_validation.h"

namespace vespian {

inline constexpr double kTprKMinS = 55.0;
inline constexpr double kTprKMaxS = 140.0;
inline constexpr double kTprPMaxK = 20.0;
// Sample mass (mg) per carrier flow (ml/min) above which readsorption distorts a TPD.
inline constexpr double kTpdMaxMassPerFlow = 10.0;
// Free cooling of the furnace: Newton's law with this time constant; from 300 ℃ it first
// loses about 18 ℃ a minute.
inline constexpr double kFurnaceCoolingTimeConstantS = 900.0;
// A furnace left to cool gets no nearer to room temperature than this in reasonable time.
inline constexpr double kCoolestReachableC = 30.0;

// Gas volume of a micromole at 0 ℃ and 101.325 kPa, ml.
inline constexpr double kMlPerMicromol = 22414.0e-6;

// The warnings, in step order. For a method with validation errors the checks still run on
// what can be judged.
std::vector<MethodIssue> checkBeforeRun(const MethodFile& method);

// K = S0 / (V*·C0) in s for S0 µmol and a hydrogen flow in ml/min; 0 when no hydrogen flows.
double tprCharacteristicNumberS(double reducibleUmol, double hydrogenMlMin);
// How fast the furnace cools by itself at a temperature, ℃/min.
double freeCoolingRateCPerMin(double temperatureC);

}  // namespace vespian
