#pragma once
// How the program reads a decimal number that the operator typed into a text field. It is
// deliberately forgiving: it keeps the leading run of digits and one point and ignores the rest,
// so "12.5 ml" reads 12.5 and "7a9" reads 7; text without a number reads 0.

#include <cstddef>
#include <string_view>

namespace vespian {

// The longest text a field is read to.
inline constexpr size_t kDecimalFieldMaxChars = 199;

// Fields of the report windows and the programme editor: a leading '-' gives a negative value.
// Examples: "12.5" → 12.5, "-3" → −3, "7a9" → 7, "1.2.3" → 1.2, "abc" → 0, "." → 0.
double ReadDecimalField(std::string_view text);

// Setpoint and dialog fields that take no sign: a leading '-' reads 0 ("-5" → 0).
double ParseDecimalText(std::string_view text);

}  // namespace vespian
