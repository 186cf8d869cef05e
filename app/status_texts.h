#pragma once
// The texts of the main window's status bar: elapsed time, detector signal, furnace temperature
// and the flows of channels 1 and 2, and the part layout. UTF-8.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace vespian {

inline constexpr int32_t kStatusParts = 6;
// Right edges of the six parts, in pixels: time, signal, temperature, coordinate readout,
// flow of channel 1, flow of channel 2.
inline constexpr std::array<int32_t, kStatusParts> kStatusPartRightEdges = {120, 240, 360, 620, 820, 1020};

inline constexpr int32_t kStatusPartTime = 0;
inline constexpr int32_t kStatusPartSignal = 1;
inline constexpr int32_t kStatusPartTemperature = 2;
inline constexpr int32_t kStatusPartReadout = 3;
inline constexpr int32_t kStatusPartFlow1 = 4;
inline constexpr int32_t kStatusPartFlow2 = 5;

// The time part's text after a view command.
inline constexpr std::string_view kTraceViewTitle = "谱图窗口";
inline constexpr std::string_view kReportViewTitle = "报告窗口";

// "hh:mm:ss" of the acquired point count at 5 points per second; hours take at least two
// digits and more when needed.
std::string elapsedClock(int32_t acquiredCount);
// Time part: " 时间: hh:mm:ss" up to 99 hours, " 时间:hhh:mm:ss" from 100 hours on; nullopt from
// 1000 hours on, when the part keeps what it showed.
std::optional<std::string> elapsedTimeText(int32_t acquiredCount);
// Signal part: below 1000 µV in magnitude "电压:-999 (uV)", else "电压:-1.000(mV)".
std::string signalText(float lastPointMv);
// Temperature part: "温度:123.4".
std::string temperatureText(float temperatureC);
// Flow parts of channels 1 and 2: "1#通道[氩气] 流量:30.0ml"; channel is 1 or 2.
std::string flowText(int32_t channel, std::string_view gasName, float flowMlMin);

}  // namespace vespian
