#include "archive/sql_connection.h"

#include <charconv>
#include <cmath>

namespace vespian {

int64_t sqlInteger(const SqlValue& value, int64_t otherwise) {
    if (const auto* i = std::get_if<int64_t>(&value)) return *i;
    if (const auto* d = std::get_if<double>(&value)) return static_cast<int64_t>(*d);
    if (const auto* s = std::get_if<std::string>(&value)) {
        int64_t parsed = 0;
        const auto [end, error] = std::from_chars(s->data(), s->data() + s->size(), parsed);
        if (error == std::errc() && end == s->data() + s->size()) return parsed;
    }
    return otherwise;
}

double sqlReal(const SqlValue& value, double otherwise) {
    if (const auto* d = std::get_if<double>(&value)) return *d;
    if (const auto* i = std::get_if<int64_t>(&value)) return static_cast<double>(*i);
    if (const auto* s = std::get_if<std::string>(&value)) {
        // The server's text for a double, read the same in every locale.
        if (*s == "NaN") return std::nan("");
        double parsed = 0.0;
        const auto [end, error] = std::from_chars(s->data(), s->data() + s->size(), parsed);
        if (error == std::errc() && end == s->data() + s->size()) return parsed;
    }
    return otherwise;
}

std::string sqlText(const SqlValue& value) {
    if (const auto* s = std::get_if<std::string>(&value)) return *s;
    if (const auto* i = std::get_if<int64_t>(&value)) return std::to_string(*i);
    return {};
}

}  // namespace vespian
