#pragma once
// The line-drawing library's contract: a solid one-pixel line from (x1, y1)
// to (x2, y2), both end points included, drawn at once into the canvas in the given colour
// (0x00BBGGRR). Pixels outside the surface are skipped; the cost is bounded by the part of the
// line that lies on the surface, so end points far outside it are harmless.

#include <cstdint>

#include "platform/pixel_surface.h"

namespace vespian {

void Line(PixelSurface& surface, int32_t x1, int32_t y1, int32_t x2, int32_t y2, StoredColour colour);

}  // namespace vespian
