#pragma once
// printf-style formatting into a std::string, as the program's texts are specified ("%.2f",
// "%4d年%2d月%2d日"), and the dash shown in place of a number that has no value (a division by
// zero in a measurement gives ±∞ or NaN; an operator must never see "inf" or "nan").
//
// Numbers are written with the point as decimal separator whatever the desktop's locale: a
// German or French desktop would otherwise show "0,0100", which the fields read back as 0, and
// write "12,3456" into files other programs read.

#include <locale.h>

#include <cmath>
#include <cstdio>
#include <string>

namespace vespian {

inline constexpr char kNoValueText[] = "—";

// While it lives, this thread formats and reads numbers as the C locale does ("12.5"); the
// locale in force before comes back after.
class PointDecimals {
public:
    PointDecimals();
    ~PointDecimals();
    PointDecimals(const PointDecimals&) = delete;
    PointDecimals& operator=(const PointDecimals&) = delete;

private:
    locale_t previous_;
};

// The numeric part of the process's locale set to the point, once at the start of a program
// (after a Qt application has taken the user's locale), for every library call that formats a
// number.
void usePointDecimalsInProcess();

template <typename... Args>
std::string printfText(const char* pattern, Args... args) {
    const PointDecimals point;
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
