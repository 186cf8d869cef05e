#pragma once
// printf-style formatting into a std::string, as the program's texts are specified ("%.2f",
// "%4d年%2d月%2d日"), and the dash shown in place of a number that has no value (a division by
// zero in a measurement gives ±∞ or NaN; an operator must never see "inf" or "nan").

#include <cmath>
#include <cstdio>
#include <string>

namespace vespian {

inline constexpr char kNoValueText[] = "—";

template <typename... Args>
std::string printfText(const char* pattern, Args... args) {
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat-nonliteral"
#pragma GCC diagnostic ignored "-Wformat-security"
    const int n = std::snprintf(nullptr, 0, pattern, args...);
    if (n <= 0) return {};
    std::string text(static_cast<size_t>(n), '\0');
    std::snprintf(text.data(), text.size() + 1, pattern, args...);
#pragma GCC diagnostic pop
    return text;
}

// One number with its pattern, or "—" when it is not finite.
inline std::string numberText(const char* pattern, double value) {
    return std::isfinite(value) ? printfText(pattern, value) : std::string(kNoValueText);
}

}  // namespace vespian
