#include "files/json_text.h"

#include <charconv>
#include <cmath>
#include <cstdint>

namespace vespian {

namespace {

// Length of the valid UTF-8 sequence at text[i], or 0 when the bytes there are not one
// (overlong forms, surrogates and values above U+10FFFF included).
size_t utf8Length(std::string_view text, size_t i) {
    const auto byte = [&](size_t k) { return static_cast<uint8_t>(text[k]); };
    const uint8_t lead = byte(i);
    size_t length;
    uint32_t code;
    if (lead < 0x80) return 1;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        code = lead & 0x1Fu;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        code = lead & 0x0Fu;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        code = lead & 0x07u;
    } else {
        return 0;
    }
    if (i + length > text.size()) return 0;
    for (size_t k = 1; k < length; ++k) {
        if ((byte(i + k) & 0xC0u) != 0x80u) return 0;
        code = (code << 6) | (byte(i + k) & 0x3Fu);
    }
    if ((length == 3 && code < 0x800) || (length == 4 && code < 0x10000) || code > 0x10FFFF ||
        (code >= 0xD800 && code <= 0xDFFF)) {
        return 0;
    }
    return length;
}

template <typename Number>
std::string shortest(Number value) {
    if (!std::isfinite(value)) return "null";
    char text[40];
    return std::string(text, std::to_chars(text, text + sizeof text, value).ptr);
}

}  // namespace

std::string jsonString(std::string_view utf8) {
    static constexpr char kHex[] = "0123456789abcdef";
    std::string out = "\"";
    for (size_t i = 0; i < utf8.size();) {
        const char c = utf8[i];
        const auto u = static_cast<uint8_t>(c);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (c == '\n') {
            out += "\\n";
        } else if (c == '\r') {
            out += "\\r";
        } else if (c == '\t') {
            out += "\\t";
        } else if (u < 0x20 || u == 0x7F) {
            out += "\\u00";
            out += kHex[u >> 4];
            out += kHex[u & 0xF];
        } else if (u >= 0x80) {
            const size_t length = utf8Length(utf8, i);
            if (length == 0) {
                out += "\xEF\xBF\xBD";  // U+FFFD for one stray byte
                ++i;
                continue;
            }
            out.append(utf8, i, length);
            i += length;
            continue;
        } else {
            out += c;
        }
        ++i;
    }
    out += '"';
    return out;
}

std::string jsonNumber(double value) { return shortest(value); }
std::string jsonNumber(float value) { return shortest(value); }

}  // namespace vespian
