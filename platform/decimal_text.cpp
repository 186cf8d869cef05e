#include "platform/decimal_text.h"

#include <cmath>

namespace vespian {

namespace {

// Steps 3–6: the leading run of digits and '.', cut before a second '.', read as the integer of
// its digits divided by 10^(digits after the point). Empty or "." reads 0.
double readUnsigned(std::string_view text) {
    double digits = 0.0;
    int decimals = 0;
    bool point = false;
    bool anyDigit = false;
    for (char c : text) {
        if (c == '.') {
            if (point) break;
            point = true;
            continue;
        }
        if (c < '0' || c > '9') break;
        anyDigit = true;
        digits = digits * 10.0 + (c - '0');
        if (point) ++decimals;
    }
    if (!anyDigit) return 0.0;
    return digits / std::pow(10.0, decimals);
}

std::string_view limited(std::string_view text) { return text.substr(0, kDecimalFieldMaxChars); }

}  // namespace

double ReadDecimalField(std::string_view text) {
    text = limited(text);
    const bool negative = !text.empty() && text.front() == '-';
    if (negative) text.remove_prefix(1);
    const double value = readUnsigned(text);
    return negative ? -value : value;
}

double ParseDecimalText(std::string_view text) { return readUnsigned(limited(text)); }

}  // namespace vespian
