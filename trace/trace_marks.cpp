#include "trace/trace_marks.h"

namespace vespian {

std::vector<PlacedMark> placeMarks(const TraceView& view, std::span<const TraceMark> marks, int32_t shownCount) {
    std::vector<PlacedMark> placed;
    if (view.virtualWidth <= 0) return placed;
    const PointTransform transform = pointTransform(view);
    const PixelRect plot = plotRect(view);
    for (const TraceMark& mark : marks) {
        if (mark.point < 0 || mark.point >= shownCount) continue;
        const int32_t x = transform.screenX(mark.point);
        if (x < plot.left || x >= plot.right) continue;
        placed.push_back({x, &mark});
    }
    return placed;
}

void drawMarkLines(PixelSurface& surface, const TraceView& view, std::span<const PlacedMark> placed) {
    const PixelRect plot = plotRect(view);
    const uint32_t ink = pixelFromStored(kTraceMarkColour);
    for (const PlacedMark& p : placed) {
        for (int32_t y = plot.top; y < plot.bottom; ++y) {
            if ((y - plot.top) % 6 < 3) surface.set(p.x, y, ink);
        }
    }
}

}  // namespace vespian
