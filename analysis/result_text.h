#pragma once
// A result as the operator reads it: the uncertainty rounded to two significant digits and the
// value to the same decimal place ("12.35 ± 0.23 µmol"), the expanded uncertainty (k = 2) on
// request, and the plausibility flags as lines of text for the panels and their exports.

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "analysis/plausibility.h"
#include "analysis/uncertainty.h"

namespace vespian {

// The value and its uncertainty as printed, both with `decimals` places (0 and the value
// rounded to tens, hundreds … when u is 10 or more).
struct RoundedResult {
    std::string value;
    std::string u;
    int32_t decimals = 0;
};
// u (> 0, finite) to two significant digits, the value to match; without a usable u the value
// keeps `fallbackDecimals` places and u stays empty.
RoundedResult roundToUncertainty(double value, double u, int32_t fallbackDecimals = 4);

// "12.35 ± 0.23 µmol"; expanded: "12.3 ± 0.46 µmol (k = 2)"; without u only the value and its
// unit; "—" without a value.
std::string resultText(const UncertainValue& v, std::string_view unit, bool expanded = false,
                       int32_t fallbackDecimals = 4);

// The check box that switches every result to its expanded uncertainty.
inline constexpr char kExpandedUncertaintyLabel[] = "扩展不确定度 (k = 2)";

// One named result of a panel, for its lines and its export.
struct ResultLine {
    std::string name;  // "累计吸附量"
    UncertainValue value;
    std::string unit;  // "µmol"; "" for a pure number
    int32_t fallbackDecimals = 4;  // without u
};
// "累计吸附量 = 12.35 ± 0.23 µmol" one a line, the flags after them.
std::string resultLinesText(std::span<const ResultLine> lines, bool expanded = false);
// The export's section of results and flags (CSV, UTF-8, after the export's own rows):
//   结果,值,标准不确定度u,扩展不确定度U(k=2),单位
//   累计吸附量,12.3456,0.2345,0.469,µmol
//   标志,代码,原因
//   ⚠,dispersion_above_100,分散度超过100%…
// The values unrounded, so a script gets what the program computed.
std::string resultsCsvSection(std::span<const ResultLine> lines, std::span<const PlausibilityFlag> flags);

// "⚠ reason" for each flag, in order.
std::vector<std::string> flagLines(std::span<const PlausibilityFlag> flags);
// The flags one a line; "" without one.
std::string flagsText(std::span<const PlausibilityFlag> flags);

}  // namespace vespian
