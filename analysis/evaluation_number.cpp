#include "analysis/evaluation_number.h"

#include <charconv>
#include <cmath>
#include <string>

namespace vespian {

std::optional<double> evaluationNumber(std::string_view text) {
    const size_t first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos) return std::nullopt;
    const size_t last = text.find_last_not_of(" \t");
    const std::string trimmed(text.substr(first, last - first + 1));
    // "inf", "nan" and hexadecimal would read too; none of them is a typed amount.
    if (trimmed.find_first_not_of("0123456789+-.eE") != std::string::npos) return std::nullopt;
    // Read with the point whatever the locale; from_chars takes no leading '+'.
    const char* begin = trimmed.data();
    const char* end = begin + trimmed.size();
    if (*begin == '+' && end - begin > 1 && begin[1] != '-') ++begin;
    double value = 0.0;
    const auto [stop, error] = std::from_chars(begin, end, value);
    if (stop != end || error != std::errc() || !std::isfinite(value)) return std::nullopt;
    return value;
}

std::string evaluationNumberMessage(std::string_view field) {
    return "请在“" + std::string(field) + "”中输入一个数值。";
}

}  // namespace vespian
