#include "app/settings_apply.h"

#include <charconv>

namespace vespian {

int32_t readSignedField(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
    if (!text.empty() && text.front() == '+') text.remove_prefix(1);
    int32_t value = 0;
    const auto [rest, failure] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || failure != std::errc() || rest != text.data() + text.size()) return 0;
    return value;
}

namespace {

std::string outOfRange(const char* what, int32_t low, int32_t high, const char* unit) {
    return std::string("输入的") + what + "已经超过范围(" + std::to_string(low) + "-" + std::to_string(high) + unit +
           ")!!请重新输入!!";
}

}  // namespace

RangeCheck checkDisplayRanges(int32_t timeRangeS, int32_t voltRangeUv) {
    if (timeRangeS < kMinTimeRangeS || timeRangeS > kMaxTimeRangeS) {
        return {RangeField::Time, outOfRange("时间量程", kMinTimeRangeS, kMaxTimeRangeS, "秒")};
    }
    if (voltRangeUv < kMinVoltRangeUv || voltRangeUv > kMaxVoltRangeUv) {
        return {RangeField::Voltage, outOfRange("电压量程", kMinVoltRangeUv, kMaxVoltRangeUv, "uV")};
    }
    return {};
}

std::string displayRangesNote() {
    return "时间量程: " + std::to_string(kMinTimeRangeS) + " - " + std::to_string(kMaxTimeRangeS) + " 秒\n电压量程: " +
           std::to_string(kMinVoltRangeUv) + " - " + std::to_string(kMaxVoltRangeUv) + " uV";
}

void applyDisplayColours(TraceView& view, StoredColour background, StoredColour line) {
    view.backgroundColour = background;
    view.traceColour = line;
}

bool applyDisplayRanges(TraceView& view, ZEvidRecord& zevid, Settings& settings, const std::string& zevidPath,
                        int32_t timeRangeS, int32_t voltRangeUv) {
    view.timeRangeS = timeRangeS;
    view.voltRangeUv = voltRangeUv;
    layoutTraceView(view);
    recomputeListWidths(zevid);
    settings.listScroll[1] = 0;
    return writeZEvidDisplayAndColumns(zevidPath, zevid);
}

}  // namespace vespian
