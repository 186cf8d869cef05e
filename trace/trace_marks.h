#pragma once
// Named marks on the trace ("还原", "吹扫" …) that a method run sets at the point where a step
// began, drawn as dashed vertical lines with their names so the operator sees where each stage
// of the run lies in the recorded trace.

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "platform/pixel_surface.h"
#include "trace/trace_view.h"

namespace vespian {

struct TraceMark {
    int32_t point = 0;
    std::string name;
};

inline constexpr StoredColour kTraceMarkColour = storedFromRgb(0, 140, 60);

struct PlacedMark {
    int32_t x = 0;
    const TraceMark* mark = nullptr;
};

// The marks that fall on recorded points (below `shownCount`) and inside the plot's width, with
// the screen column of their point, in the order given.
std::vector<PlacedMark> placeMarks(const TraceView& view, std::span<const TraceMark> marks, int32_t shownCount);

// Each placed mark as a dashed line (three pixels on, three off) from the plot's top to its
// bottom, in kTraceMarkColour.
void drawMarkLines(PixelSurface& surface, const TraceView& view, std::span<const PlacedMark> placed);

}  // namespace vespian
