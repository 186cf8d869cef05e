#pragma once
// How a window is kept on a small screen: its size and position against the screen's
// available area (without panels), counting the window manager's frame and title bar around
// the window's own area, so the title bar stays reachable and no part lies off the screen.
// A window larger than the room left shrinks to it; where it cannot be drawn that small, its
// contents scroll inside it instead.

#include <cstdint>

namespace vespian {

struct FitRect {
    int32_t x = 0;
    int32_t y = 0;
    int32_t width = 0;
    int32_t height = 0;
};

// The frame the window manager draws around a window's own area.
struct FitMargins {
    int32_t left = 0;
    int32_t top = 0;
    int32_t right = 0;
    int32_t bottom = 0;
};

struct FitRequest {
    FitRect available;   // the screen's available area
    FitMargins frame;    // around the window's own area
    FitRect window;      // the window's own area as asked for: position and size
    int32_t leastWidth = 0;   // the smallest size its contents can be drawn at unscrolled
    int32_t leastHeight = 0;  // (0: any)
};

struct WindowFit {
    FitRect window;             // the window's own area on the screen
    bool scrollWidth = false;   // the contents are wider than the window can be: they scroll
    bool scrollHeight = false;  // the contents are taller than the window can be: they scroll
};

// The window moved inside the available area (its frame included), shrunk to it where it is
// larger, never below its least size unless the contents scroll.
WindowFit fitOnScreen(const FitRequest& request);

}  // namespace vespian
