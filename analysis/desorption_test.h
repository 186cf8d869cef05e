#pragma once
// The desorption amount test on the one test report, which it shares with the titration: the
// desorption temperature sits in titrationTempC, the desorption peak's area in residualArea.
// The results are not stored:
//
//   total [ml]     = pulseVolume / pulseArea × residualArea
//   per gram [ml/g] = pulseVolume / pulseArea × residualArea / weight
//
// in single precision, in this order. Every field change also runs the titration calculation,
// so the titration's results follow a weight changed here.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "analysis/titration.h"

namespace vespian {

struct TestReportHeader;

// The window's fields by their control numbers (those it shares with the titration window
// carry the same numbers).
namespace desorption_field {
using namespace report_field;
inline constexpr int32_t kDesorptionTemp = 1011;
inline constexpr int32_t kPulseArea = 1012;
inline constexpr int32_t kPulseVolume = 1013;
inline constexpr int32_t kDesorptionArea = 1014;
inline constexpr int32_t kPerGram = 1015;
inline constexpr int32_t kTotal = 1021;
}  // namespace desorption_field

float desorbedTotalMl(const TestReportHeader& header);
float desorbedPerGram(const TestReportHeader& header);

// Fields 1006 to 1014 as the window fills them on opening; the area "%.0f".
std::vector<FieldText> desorptionTexts(const TestReportHeader& header);
// 1021 total "%.3f", 1015 per gram "%.3f".
std::vector<FieldText> desorptionResultTexts(const TestReportHeader& header);

// A change of 1006–1011, 1014, 1026 or 1027: texts as texts, weight and temperature as
// decimals, the date parts and the area truncated to whole numbers; then the titration
// calculation; returns the result texts. Filling the area on opening is such a change, so the
// area is the whole number its text shows.
std::vector<FieldText> desorptionFieldChanged(TestReportHeader& header, int32_t field, std::string_view text);

// The desorption window's form: the fields above, the total and the amount per gram. The area
// takes its text back though the operator does not type it; "确定" stores the typed fields
// only, so the titration's own fields stay as they are.
const ReportForm& desorptionForm();

}  // namespace vespian
