#include "app/status_texts.h"

#include <cmath>
#include <cstdio>

#include "libs/zt_math.h"

namespace vespian {

namespace {

constexpr int32_t kPointsPerSecondOnTrace = 5;
constexpr size_t kClockWidthWithBlank = 9;  // "hh:mm:ss" and shorter keep the blank after the colon

template <typename... Args>
std::string format(const char* pattern, Args... args) {
    const int n = std::snprintf(nullptr, 0, pattern, args...);
    if (n <= 0) return {};
    std::string text(static_cast<size_t>(n), '\0');
    std::snprintf(text.data(), text.size() + 1, pattern, args...);
    return text;
}

std::string twoDigits(int32_t value) { return format(value < 10 ? "0%d" : "%d", value); }

}  // namespace

std::string elapsedClock(int32_t acquiredCount) {
    const int32_t totalSeconds = acquiredCount / kPointsPerSecondOnTrace;
    const int32_t hours = totalSeconds / 3600;
    const int32_t minutes = totalSeconds % 3600 / 60;
    const int32_t seconds = totalSeconds % 60;
    return twoDigits(hours) + ":" + twoDigits(minutes) + ":" + twoDigits(seconds);
}

std::optional<std::string> elapsedTimeText(int32_t acquiredCount) {
    if (acquiredCount < 0) return std::nullopt;
    const std::string clock = elapsedClock(acquiredCount);
    if (clock.size() < kClockWidthWithBlank) return " 时间: " + clock;
    if (clock.size() == kClockWidthWithBlank) return " 时间:" + clock;
    return std::nullopt;
}

std::string signalText(float lastPointMv) {
    const double microvolts = lastPointMv * 1000.0;
    // A value that does not fit the integer (or is not a number) is far from the µV range.
    if (std::fabs(microvolts) < 2147483648.0) {
        const auto truncated = static_cast<int32_t>(microvolts);
        if (ztmath::_Abs(truncated) < 1000) return format("电压:%ld (uV)", static_cast<long>(truncated));
    }
    return format("电压:%.3f(mV)", static_cast<double>(lastPointMv));
}

std::string temperatureText(float temperatureC) { return format("温度:%.1f", static_cast<double>(temperatureC)); }

std::string flowText(int32_t channel, std::string_view gasName, float flowMlMin) {
    const std::string name(gasName);
    return format("%d#通道[%s] 流量:%3.1fml", channel, name.c_str(), static_cast<double>(flowMlMin));
}

}  // namespace vespian
