#include "archive/wall_time.h"

#include <chrono>
#include <cstdio>
#include <ctime>

namespace vespian {

namespace {

// Days since 1970-01-01 of a proleptic Gregorian date (H. Hinnant's algorithm).
int64_t daysFromCivil(int64_t y, int64_t m, int64_t d) {
    y -= m <= 2 ? 1 : 0;
    const int64_t era = (y >= 0 ? y : y - 399) / 400;
    const int64_t yoe = y - era * 400;
    const int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

bool leapYear(int64_t y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

int daysInMonth(int64_t y, int64_t m) {
    static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return m == 2 && leapYear(y) ? 29 : kDays[m - 1];
}

bool digits(std::string_view text, size_t at, size_t count, int64_t* value) {
    if (at + count > text.size()) return false;
    int64_t v = 0;
    for (size_t i = at; i < at + count; ++i) {
        if (text[i] < '0' || text[i] > '9') return false;
        v = v * 10 + (text[i] - '0');
    }
    *value = v;
    return true;
}

int64_t floorDiv(int64_t a, int64_t b) { return a / b - ((a % b != 0) && ((a < 0) != (b < 0)) ? 1 : 0); }

}  // namespace

WallMs wallNowMs() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(system_clock::now().time_since_epoch()).count();
}

std::string isoTime(WallMs ms, int32_t offsetSeconds) {
    const int64_t local = ms + int64_t{offsetSeconds} * 1000;
    const int64_t days = floorDiv(local, 86'400'000);
    const int64_t inDay = local - days * 86'400'000;
    // Civil date from days (the inverse of daysFromCivil).
    const int64_t z = days + 719468;
    const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const int64_t doe = z - era * 146097;
    const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const int64_t mp = (5 * doy + 2) / 153;
    const int64_t d = doy - (153 * mp + 2) / 5 + 1;
    const int64_t m = mp + (mp < 10 ? 3 : -9);
    const int64_t y = yoe + era * 400 + (m <= 2 ? 1 : 0);
    const int32_t offsetMinutes = (offsetSeconds < 0 ? -offsetSeconds : offsetSeconds) / 60;
    char text[128];
    std::snprintf(text, sizeof text, "%04lld-%02lld-%02lldT%02lld:%02lld:%02lld.%03lld%c%02d:%02d",
                  static_cast<long long>(y), static_cast<long long>(m), static_cast<long long>(d),
                  static_cast<long long>(inDay / 3'600'000), static_cast<long long>(inDay / 60'000 % 60),
                  static_cast<long long>(inDay / 1000 % 60), static_cast<long long>(inDay % 1000),
                  offsetSeconds < 0 ? '-' : '+', offsetMinutes / 60, offsetMinutes % 60);
    return text;
}

std::string isoLocalTime(WallMs ms) {
    const std::time_t seconds = static_cast<std::time_t>(floorDiv(ms, 1000));
    std::tm local{};
    if (::localtime_r(&seconds, &local) == nullptr) return isoTime(ms, 0);
    return isoTime(ms, static_cast<int32_t>(local.tm_gmtoff));
}

std::optional<WallMs> parseIsoTime(std::string_view text) {
    int64_t y = 0, mo = 0, d = 0, h = 0, mi = 0, s = 0;
    if (!digits(text, 0, 4, &y) || text.size() < 19 || text[4] != '-' || !digits(text, 5, 2, &mo) ||
        text[7] != '-' || !digits(text, 8, 2, &d) || (text[10] != 'T' && text[10] != ' ') ||
        !digits(text, 11, 2, &h) || text[13] != ':' || !digits(text, 14, 2, &mi) || text[16] != ':' ||
        !digits(text, 17, 2, &s)) {
        return std::nullopt;
    }
    if (mo < 1 || mo > 12 || d < 1 || d > daysInMonth(y, mo) || h > 23 || mi > 59 || s > 59) return std::nullopt;
    size_t at = 19;
    int64_t fractionMs = 0;
    if (at < text.size() && text[at] == '.') {
        size_t count = 0;
        int64_t scale = 100;
        for (++at; at < text.size() && text[at] >= '0' && text[at] <= '9'; ++at, ++count) {
            fractionMs += (text[at] - '0') * scale;
            scale /= 10;
        }
        if (count == 0 || count > 9) return std::nullopt;
    }
    int64_t offsetS = 0;
    if (at < text.size() && text[at] == 'Z') {
        ++at;
    } else if (at < text.size() && (text[at] == '+' || text[at] == '-')) {
        int64_t oh = 0, om = 0;
        if (!digits(text, at + 1, 2, &oh) || at + 3 >= text.size() || text[at + 3] != ':' ||
            !digits(text, at + 4, 2, &om) || oh > 23 || om > 59) {
            return std::nullopt;
        }
        offsetS = (oh * 3600 + om * 60) * (text[at] == '-' ? -1 : 1);
        at += 6;
    } else {
        return std::nullopt;
    }
    if (at != text.size()) return std::nullopt;
    const int64_t seconds = daysFromCivil(y, mo, d) * 86400 + h * 3600 + mi * 60 + s - offsetS;
    return seconds * 1000 + fractionMs;
}

}  // namespace vespian
