// The line-drawing contract: Bresenham's line with both end points, clipped to the surface.
//
// Along the major axis (the longer of |dx| and |dy|, x on a tie) pixel k (k = 0 .. major) lies
// at major offset k and minor offset n(k) = floor((2·minor·k + major) / (2·major)), the nearest
// pixel to the ideal line with halves rounded away from the start. The closed form lets the
// clipping start the walk at the first pixel on the surface instead of walking there.

#include "libs/line.h"

#include <algorithm>

#include "libs/wide_arithmetic.h"

namespace vespian {

void Line(PixelSurface& surface, int32_t x1, int32_t y1, int32_t x2, int32_t y2, StoredColour colour) {
    if (surface.pixels == nullptr || surface.width <= 0 || surface.height <= 0) {
        return;
    }
    const uint32_t pixel = pixelFromStored(colour);
    const int64_t dx = static_cast<int64_t>(x2) - x1;
    const int64_t dy = static_cast<int64_t>(y2) - y1;
    const int64_t adx = dx < 0 ? -dx : dx;
    const int64_t ady = dy < 0 ? -dy : dy;
    const bool steep = ady > adx;
    const int64_t major = steep ? ady : adx;
    const int64_t minor = steep ? adx : ady;
    if (major == 0) {
        surface.set(x1, y1, pixel);
        return;
    }
    const int64_t major0 = steep ? y1 : x1;
    const int64_t minor0 = steep ? x1 : y1;
    const int64_t majorStep = (steep ? dy : dx) < 0 ? -1 : 1;
    const int64_t minorStep = (steep ? dx : dy) < 0 ? -1 : 1;
    const int64_t majorLast = (steep ? surface.height : surface.width) - 1;
    const int64_t minorLast = (steep ? surface.width : surface.height) - 1;

    // Steps k whose major coordinate lies on the surface.
    Wide kLo = 0;
    Wide kHi = major;
    if (majorStep > 0) {
        kLo = std::max<Wide>(kLo, -major0);
        kHi = std::min<Wide>(kHi, majorLast - major0);
    } else {
        kLo = std::max<Wide>(kLo, major0 - majorLast);
        kHi = std::min<Wide>(kHi, major0);
    }
    // Minor offsets n that lie on the surface, then the steps k whose n(k) is among them.
    const Wide nLo = minorStep > 0 ? -minor0 : minor0 - minorLast;
    const Wide nHi = minorStep > 0 ? minorLast - minor0 : minor0;
    const Wide twoMajor = 2 * static_cast<Wide>(major);
    const Wide twoMinor = 2 * static_cast<Wide>(minor);
    if (minor == 0) {
        if (nLo > 0 || nHi < 0) return;
    } else {
        kLo = std::max(kLo, ceilDiv(twoMajor * nLo - major, twoMinor));
        kHi = std::min(kHi, ceilDiv(twoMajor * (nHi + 1) - major, twoMinor) - 1);
    }
    if (kLo > kHi) {
        return;
    }
    const Wide start = twoMinor * kLo + major;
    int64_t n = static_cast<int64_t>(floorDiv(start, twoMajor));
    int64_t rest = static_cast<int64_t>(start - static_cast<Wide>(n) * twoMajor);
    const int64_t twoMajor64 = 2 * major;
    const int64_t twoMinor64 = 2 * minor;
    for (int64_t k = static_cast<int64_t>(kLo); k <= static_cast<int64_t>(kHi); ++k) {
        const int64_t a = major0 + majorStep * k;
        const int64_t b = minor0 + minorStep * n;
        if (steep) {
            surface.set(static_cast<int32_t>(b), static_cast<int32_t>(a), pixel);
        } else {
            surface.set(static_cast<int32_t>(a), static_cast<int32_t>(b), pixel);
        }
        rest += twoMinor64;
        if (rest >= twoMajor64) {
            rest -= twoMajor64;
            ++n;
        }
    }
}

}  // namespace vespian
