#pragma once
// Hydrogen–oxygen pulse titration on the one test report: the adsorbed volume from the pulses
// injected and the residual peak area, then the metal dispersion and the active specific
// surface area, in single precision and in the order the method gives:
//
//   adsorbed   = pulseCount × pulseVolume − residualVolume
//   dispersion = stoichiometry × adsorbed × atomicMass / massFraction / 22414 / weight
//   activeArea = adsorbed × 2 × 602000 × crossSection / massFraction / 22414 / weight
//
// (22414 ml/mol is the molar volume; 602000 is Avogadro's number times 10⁻¹⁸ m²/nm²; the
// factor 2 stands whatever the stoichiometry.) The window stores each field as it changes and
// recalculates at once, so every value is the one its displayed text holds. A result without a
// value (a zero weight, mass fraction or pulse area) shows "—".

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "analysis/particle_size.h"
#include "analysis/report_form.h"
#include "platform/draw_list.h"

namespace vespian {

class TestReport;
struct TestReportHeader;

inline constexpr float kMolarVolumeMl = 22414.0f;
inline constexpr float kAvogadroPerNm2 = 602000.0f;

// The window's fields by their control numbers.
namespace titration_field {
using namespace report_field;
inline constexpr int32_t kTitrationTemp = 1011;
inline constexpr int32_t kPulseArea = 1012;
inline constexpr int32_t kPulseVolume = 1013;
inline constexpr int32_t kPulseCount = 1014;
inline constexpr int32_t kResidualArea = 1015;
inline constexpr int32_t kResidualVolume = 1016;
inline constexpr int32_t kAdsorbedVolume = 1017;
inline constexpr int32_t kAtomicMass = 1018;
inline constexpr int32_t kMassFraction = 1019;
inline constexpr int32_t kDispersion = 1020;
inline constexpr int32_t kPerGram = 1021;
inline constexpr int32_t kActiveArea = 1025;
inline constexpr int32_t kStoichiometry = 1028;
inline constexpr int32_t kCrossSection = 1029;
}  // namespace titration_field

// The metals of the list "金属" (1031) and their values. The name is the metal's own (the pulse
// uptake panel names it the same way); the values are the report's, which differ a little from
// the evaluation's tables.
struct MetalPreset {
    Metal metal;
    float stoichiometry;
    float crossSectionNm2;
    float atomicMass;
};
inline constexpr std::array<MetalPreset, 3> kMetalPresets = {{
    {Metal::Platinum, 0.6667f, 0.089f, 195.08f},
    {Metal::Palladium, 0.6667f, 0.084f, 106.42f},
    {Metal::Rhodium, 0.6667f, 0.091f, 102.906f},
}};
// "铂", "钯", "铑"; empty outside the list.
std::string_view metalPresetName(int32_t index);

void computeTitration(TestReportHeader& header);

// Every field as the window shows it on opening, in filling order.
std::vector<FieldText> titrationTexts(const TestReportHeader& header);

// The results the window shows after a change: 1017 adsorbed "%.3f", 1020 dispersion "%f",
// 1025 active area "%f", 1021 adsorbed per gram "%.3f".
std::vector<FieldText> titrationResultTexts(const TestReportHeader& header);

// The text of an editable field changed (1006–1011, 1014, 1018, 1019, 1026–1029): stores that
// one field, recalculates, and returns the result texts. Other fields store nothing and return
// nothing.
std::vector<FieldText> titrationFieldChanged(TestReportHeader& header, int32_t field, std::string_view text);
bool isTitrationEditable(int32_t field);

// The titration window's form: every editable field takes its text back, so the record holds
// the atomic mass to 3 decimals, the mass fraction and cross-section to 4, as shown.
const ReportForm& titrationForm();

// A metal chosen in the list: its values as texts for 1028 ("%.4f"), 1029 ("%.3f") and 1018
// ("%3.3f"), which the field changes then store. Empty for an index outside the list.
std::vector<FieldText> metalPresetTexts(int32_t index);

// The chart of the titration and desorption windows: the report trace alone, scaled over its
// own extent without a margin.
DrawList reportTraceChart(const TestReport& report);

}  // namespace vespian
