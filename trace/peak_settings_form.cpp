#include "trace/peak_settings_form.h"

#include <cstdint>

namespace vespian {

namespace {

// Widths count 100-point blocks: the whole trace is 100,000 of them. Heights and slopes up to
// 10 V. The desorption timers count minutes: at least one, at most a day.
constexpr PeakFieldRule kFieldRules[kPeakFieldCount] = {
    {"峰宽(秒)", "最小:", 0, 100'000},
    {"峰宽(秒)", "最大:", 0, 100'000},
    {"峰高(uV)", "最小:", 0, 10'000'000},
    {"斜率(uV/秒)", "起始:", 0, 10'000'000},
    {"斜率(uV/秒)", "终止:", 0, 10'000'000},
    {"", "吸附时间(分):", 1, 1440},
    {"", "脱附间隔(分)：", 1, 1440},
};

std::string fieldName(const PeakFieldRule& rule) {
    std::string label = rule.label;
    while (!label.empty() && label.back() == ':') label.pop_back();
    // "：" is three bytes in UTF-8.
    if (label.size() >= 3 && label.compare(label.size() - 3, 3, "：") == 0) label.resize(label.size() - 3);
    return std::string(rule.group) + label;
}

bool isBlank(char c) { return c == ' ' || c == '\t'; }

}  // namespace

const PeakFieldRule& peakFieldRule(PeakField field) { return kFieldRules[static_cast<int32_t>(field)]; }

bool parseWholeNumber(std::string_view text, int32_t* value) {
    while (!text.empty() && isBlank(text.front())) text.remove_prefix(1);
    while (!text.empty() && isBlank(text.back())) text.remove_suffix(1);
    bool negative = false;
    if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    if (text.empty()) return false;
    int64_t v = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return false;
        v = v * 10 + (c - '0');
        if (v > INT32_MAX) return false;
    }
    *value = static_cast<int32_t>(negative ? -v : v);
    return true;
}

PeakSettingsTexts peakSettingsTexts(const PeakSettings& s) {
    PeakSettingsTexts t;
    const int32_t values[kPeakFieldCount] = {s.minWidth,    s.maxWidth,          s.minHeightUv,
                                             s.startSlopeUv, s.endSlopeUv,        s.adsorptionMinutes,
                                             s.desorbIntervalMinutes};
    for (int32_t i = 0; i < kPeakFieldCount; ++i) t.fields[i] = std::to_string(values[i]);
    t.autoDesorb = s.autoDesorb != 0;
    t.autoZero = s.autoZero != 0;
    t.desorbAfterPeak = s.desorbAfterPeak != 0;
    return t;
}

PeakSettingsRead readPeakSettings(const PeakSettingsTexts& texts, const PeakSettings& current) {
    PeakSettingsRead r;
    r.settings = current;
    int32_t values[kPeakFieldCount] = {};
    for (int32_t i = 0; i < kPeakFieldCount; ++i) {
        const PeakFieldRule& rule = kFieldRules[i];
        if (!parseWholeNumber(texts.fields[i], &values[i]) || values[i] < rule.lowest || values[i] > rule.highest) {
            r.wrong = static_cast<PeakField>(i);
            r.message = "“" + fieldName(rule) + "”应为 " + std::to_string(rule.lowest) + " 到 " +
                        std::to_string(rule.highest) + " 之间的整数。";
            return r;
        }
    }
    if (values[0] > values[1]) {
        r.wrong = PeakField::MaxWidth;
        r.message = "峰宽的最大值不能小于最小值。";
        return r;
    }
    PeakSettings& s = r.settings;
    s.minWidth = values[0];
    s.maxWidth = values[1];
    s.minHeightUv = values[2];
    s.startSlopeUv = values[3];
    s.endSlopeUv = values[4];
    s.adsorptionMinutes = values[5];
    s.desorbIntervalMinutes = values[6];
    s.autoDesorb = texts.autoDesorb ? 1 : 0;
    s.autoZero = texts.autoZero ? 1 : 0;
    s.desorbAfterPeak = texts.desorbAfterPeak ? 1 : 0;
    return r;
}

}  // namespace vespian
