#pragma once
// The axes of the trace window as plain data: tick segments, drawn by the core with
// `Line`, and labels, drawn by the desktop layer with a real font ("宋体", 12 pixels, transparent
// background). Texts are UTF-8.
//
// The tick loops keep the program's classic structure — a running virtual offset that advances by
// the tick spacing q whenever offset ≤ s / p for the running second (or millivolt) s — so every
// tick lands where the classic loop puts it. The loops do not walk s one by one: they jump to
// the next s whose condition holds (the condition is monotone in s), and they stop once the ticks
// have passed the far edge of the plot, so a range of 10,000,000 s costs a handful of ticks.

#include <cstdint>
#include <string>
#include <vector>

#include "platform/pixel_surface.h"

namespace vespian {

struct TraceView;

struct TickSegment {
    int32_t x1 = 0, y1 = 0, x2 = 0, y2 = 0;
    StoredColour colour = 0;
    bool operator==(const TickSegment&) const = default;
};

enum class LabelAlign {
    Left,         // text starts at x
    CentredOnX,   // text centred on x
    RightAligned  // text ends at x
};
enum class LabelVAlign {
    Top,     // text top at y
    Centred  // text vertically centred on y
};

struct AxisLabel {
    std::string text;
    int32_t x = 0;
    int32_t y = 0;
    LabelAlign align = LabelAlign::Left;
    LabelVAlign valign = LabelVAlign::Top;
    StoredColour colour = 0;
    bool operator==(const AxisLabel&) const = default;
};

struct AxisLayout {
    std::vector<TickSegment> ticks;  // in drawing order
    std::vector<AxisLabel> labels;   // in drawing order
};

inline constexpr StoredColour kTemperatureAxisColour = 0x00C85000u;  // RGB(0, 80, 200)

// The time axis "(分钟)", the signal axis "(mV)" (positive side in traceColour, negative side
// with black ticks) and the temperature axis "(℃)" 100 .. 1200, for a laid-out view. Without
// room (layout step 2) there are no axes. A view without virtual width (or height) has no time
// (or signal) ticks; a tick spacing of 0 pixels gives the one tick at offset 0 (every further
// tick would repeat it).
AxisLayout computeAxes(const TraceView& view);

// The time label of a virtual offset: minutes = truncate(offset × p / 60), seconds =
// truncate(p × offset) mod 60, as "%d:%d" with a leading 0 on each part below 10.
std::string timeLabel(int32_t offset, float secondsPerPixel);
// The label of a tick in a later time range: the whole seconds of the ranges before it plus
// truncate(p × offset), as minutes and seconds with the same leading zeros.
std::string timeLabelAfter(int64_t wholeSeconds, int32_t offset, float secondsPerPixel);

}  // namespace vespian
