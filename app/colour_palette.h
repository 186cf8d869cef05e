#pragma once
// The colour palette of the settings dialog's colour page: 20 columns of 20 swatches from which
// the operator picks the trace background and the trace line colour. Coordinates are those of
// the colour page.

#include <optional>

#include "platform/pixel_surface.h"

namespace vespian {

inline constexpr int kPaletteColumns = 20;
inline constexpr int kPaletteRows = 20;
inline constexpr int kSwatchWidth = 10;
inline constexpr int kSwatchHeight = 9;
inline constexpr int kPaletteColumnPitch = 15;
inline constexpr int kPaletteRowPitch = 10;
inline constexpr PixelRect kPaletteRect{60, 110, 360, 310};

inline constexpr StoredColour kDefaultBackgroundColour = 0xFFFFFF;  // white
inline constexpr StoredColour kDefaultLineColour = 0x7800FF;        // red 255, green 0, blue 120

// The colour of the swatch in the given column and row; black outside the palette.
StoredColour paletteColour(int column, int row);

// Where a swatch lies on the colour page (right and bottom edges excluded).
PixelRect swatchRect(int column, int row);

// The colour of the swatch under a point of the colour page; nothing in the gaps between the
// swatches or outside the palette.
std::optional<StoredColour> swatchAt(int x, int y);

}  // namespace vespian
