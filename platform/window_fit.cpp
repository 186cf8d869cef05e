#include "platform/window_fit.h"

#include <algorithm>

namespace vespian {

namespace {

struct Span {
    int32_t position = 0;
    int32_t length = 0;
    bool scroll = false;
};

// One axis: the room between the screen's edges less the frame on both sides.
Span fitSpan(int32_t start, int32_t extent, int32_t before, int32_t after, int32_t position, int32_t length,
             int32_t least) {
    const int32_t room = std::max(extent - before - after, 1);
    Span s;
    s.length = std::min(std::max(length, std::min(least, room)), room);
    s.scroll = least > room;
    const int32_t lowest = start + before;
    const int32_t highest = std::max(lowest, start + extent - after - s.length);
    s.position = std::clamp(position, lowest, highest);
    return s;
}

}  // namespace

WindowFit fitOnScreen(const FitRequest& r) {
    const Span x = fitSpan(r.available.x, r.available.width, r.frame.left, r.frame.right, r.window.x, r.window.width,
                           r.leastWidth);
    const Span y = fitSpan(r.available.y, r.available.height, r.frame.top, r.frame.bottom, r.window.y,
                           r.window.height, r.leastHeight);
    return {{x.position, y.position, x.length, y.length}, x.scroll, y.scroll};
}

}  // namespace vespian
