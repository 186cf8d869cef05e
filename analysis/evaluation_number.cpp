#include "analysis/evaluation_number.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <string>

namespace vespian {

std::optional<double> evaluationNumber(std::string_view text) {
    const size_t first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos) return std::nullopt;
    const size_t last = text.find_last_not_of(" \t");
    const std::string trimmed(text.substr(first, last - first + 1));
    // strtod would also take "inf", "nan" and hexadecimal; none of them is a typed amount.
    if (trimmed.find_first_not_of("0123456789+-.eE") != std::string::npos) return std::nullopt;
    errno = 0;
    char* end = nullptr;
    const double value = std::strtod(trimmed.c_str(), &end);
    if (end != trimmed.c_str() + trimmed.size() || errno == ERANGE || !std::isfinite(value)) return std::nullopt;
    return value;
}

std::string evaluationNumberMessage(std::string_view field) {
    return "请在“" + std::string(field) + "”中输入一个数值。";
}

}  // namespace vespian
