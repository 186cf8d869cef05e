#pragma once
// The sample a surface-area report is made for, as the operator entered it in the settings
// (number, name, weight, companies, people, sample date). Texts are GBK bytes, as the settings
// file and the records hold them. Reports and records copy these fields when they are created.

#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

#include "platform/gbk_text.h"

namespace vespian {

struct SampleIdentity {
    int32_t number = 0;
    std::string name;  // GBK
    float weightMg = 0.0f;
    std::string sendingCompany;    // GBK
    std::string sender;            // GBK
    std::string measuringCompany;  // GBK
    std::string measurer;          // GBK
    std::string reviewer;          // GBK
    int32_t sampleDate[3] = {};    // year, month, day
};

namespace detail {
template <size_t N>
std::string fieldBytes(const char (&field)[N]) {
    return std::string(field, strnlen(field, N));
}
}  // namespace detail

// From the settings' sample record (any struct with these members: the program's SampleInfo).
template <typename Info>
SampleIdentity sampleIdentityOf(const Info& info) {
    SampleIdentity id;
    id.number = info.number;
    id.name = detail::fieldBytes(info.name);
    id.weightMg = info.weightMg;
    id.sendingCompany = detail::fieldBytes(info.sendingCompany);
    id.sender = detail::fieldBytes(info.sender);
    id.measuringCompany = detail::fieldBytes(info.measuringCompany);
    id.measurer = detail::fieldBytes(info.measurer);
    id.reviewer = detail::fieldBytes(info.reviewer);
    for (int i = 0; i < 3; ++i) id.sampleDate[i] = info.sampleDate[i];
    return id;
}

// Copies GBK bytes into a record's text field: zero-padded, NUL-terminated, cut at a whole
// character.
template <size_t N>
void copyGbkBytes(char (&field)[N], std::string_view gbk) {
    const std::string_view fits = gbkPrefix(gbk, N - 1);
    std::memset(field, 0, N);
    std::memcpy(field, fits.data(), fits.size());
}

// A signed integer typed into a field, as the dialogs read their number fields: an optional
// '-' and the leading digits; anything else reads 0. Saturates at the int32 range.
inline int32_t parseSignedInteger(std::string_view text) {
    size_t i = 0;
    while (i < text.size() && text[i] == ' ') ++i;
    const bool negative = i < text.size() && text[i] == '-';
    if (negative || (i < text.size() && text[i] == '+')) ++i;
    int64_t value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        value = value * 10 + (text[i] - '0');
        if (value > 2147483648LL) value = 2147483648LL;
    }
    if (negative) value = -value;
    if (value > 2147483647LL) value = 2147483647LL;
    return static_cast<int32_t>(value);
}

// A calendar date.
struct CalendarDate {
    int32_t year = 0;
    int32_t month = 0;  // 1..12
    int32_t day = 0;
};

}  // namespace vespian
