#include "analysis/result_text.h"

#include <cmath>

#include "files/list_export.h"
#include "platform/printf_text.h"

namespace vespian {

namespace {

// A rounded value that prints as "-0.00" is shown as zero.
std::string fixedText(double value, int32_t decimals) {
    std::string text = printfText("%.*f", static_cast<int>(decimals), value);
    if (text.front() == '-' && text.find_first_not_of("-0.") == std::string::npos) text.erase(0, 1);
    return text;
}

}  // namespace

RoundedResult roundToUncertainty(double value, double u, int32_t fallbackDecimals) {
    RoundedResult r;
    if (!std::isfinite(value)) {
        r.value = kNoValueText;
        return r;
    }
    if (!(u > 0.0) || !std::isfinite(u)) {
        r.decimals = fallbackDecimals;
        r.value = fixedText(value, fallbackDecimals);
        return r;
    }
    // The place of the second significant digit; a u that rounds up to 100 of it (0.0996 →
    // 0.100) moves one place left so that it keeps two digits.
    int32_t place = static_cast<int32_t>(std::floor(std::log10(u))) - 1;
    if (std::round(u / std::pow(10.0, place)) >= 100.0) ++place;
    const double step = std::pow(10.0, place);
    const double roundedU = std::round(u / step) * step;
    const double roundedValue = std::round(value / step) * step;
    r.decimals = place < 0 ? -place : 0;
    r.value = fixedText(roundedValue, r.decimals);
    r.u = fixedText(roundedU, r.decimals);
    return r;
}

std::string resultText(const UncertainValue& v, std::string_view unit, bool expanded, int32_t fallbackDecimals) {
    if (!v.ok || !std::isfinite(v.value)) return kNoValueText;
    const RoundedResult r = roundToUncertainty(v.value, expanded ? v.expanded() : v.u, fallbackDecimals);
    std::string text = r.value;
    if (!r.u.empty()) text += " ± " + r.u;
    if (!unit.empty()) text += " " + std::string(unit);
    if (expanded && !r.u.empty()) text += printfText(" (k = %g)", kCoverageFactor);
    return text;
}

std::string resultLinesText(std::span<const ResultLine> lines, bool expanded) {
    std::string text;
    for (const ResultLine& line : lines) {
        text += (text.empty() ? "" : "\n") + line.name + " = " +
                resultText(line.value, line.unit, expanded, line.fallbackDecimals);
    }
    return text;
}

namespace {

std::string csvNumber(double value, bool has) { return has && std::isfinite(value) ? printfText("%.10g", value) : ""; }

}  // namespace

std::string resultsCsvSection(std::span<const ResultLine> lines, std::span<const PlausibilityFlag> flags) {
    std::string csv = "结果,值,标准不确定度u,扩展不确定度U(k=2),单位\n";
    for (const ResultLine& line : lines) {
        const UncertainValue& v = line.value;
        csv += csvCell(line.name) + "," + csvNumber(v.value, v.ok) + "," + csvNumber(v.u, v.ok && v.u > 0.0) + "," +
               csvNumber(v.expanded(), v.ok && v.u > 0.0) + "," + csvCell(line.unit) + "\n";
    }
    csv += "标志,代码,原因\n";
    for (const PlausibilityFlag& f : flags) csv += "⚠," + std::string(checkCodeName(f.code)) + "," + csvCell(f.reason) + "\n";
    return csv;
}

std::vector<std::string> flagLines(std::span<const PlausibilityFlag> flags) {
    std::vector<std::string> lines;
    lines.reserve(flags.size());
    for (const PlausibilityFlag& f : flags) lines.push_back("⚠ " + f.reason);
    return lines;
}

std::string flagsText(std::span<const PlausibilityFlag> flags) {
    std::string text;
    for (const std::string& line : flagLines(flags)) text += (text.empty() ? "" : "\n") + line;
    return text;
}

}  // namespace vespian
