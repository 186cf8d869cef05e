#include "app/colour_palette.h"

#include <array>
#include <cstdint>

namespace vespian {

namespace {

struct Hue {
    uint8_t r, g, b;
};

// Columns 3..11 run from a dark shade to the full hue, with the same brightness ramp as the
// red, green and blue columns; a component of 128 in the hue is kept at half the ramp.
constexpr std::array<Hue, 9> kShadeHues{{
    {255, 255, 0},    // yellow
    {0, 255, 255},    // cyan
    {255, 0, 255},    // magenta
    {255, 128, 0},    // orange
    {128, 255, 0},    // lime
    {0, 255, 128},    // spring green
    {0, 128, 255},    // azure
    {128, 0, 255},    // violet
    {255, 0, 128},    // rose
}};

// Columns 12..17 run from a saturated colour towards white (pastel tints for backgrounds).
constexpr std::array<Hue, 6> kTintHues{{
    {255, 0, 0},      // red
    {255, 128, 0},    // orange
    {0, 160, 0},      // green
    {0, 128, 128},    // teal
    {0, 64, 255},     // blue
    {128, 0, 160},    // purple
}};

constexpr int kFirstShadeColumn = 3;
constexpr int kFirstTintColumn = kFirstShadeColumn + static_cast<int>(kShadeHues.size());

int ramp(int row) { return 15 + 12 * row; }

uint8_t shade(uint8_t hue, int row) { return static_cast<uint8_t>(hue * ramp(row) / 255); }

uint8_t tint(uint8_t hue, int row) { return static_cast<uint8_t>(hue + (255 - hue) * row / 20); }

}  // namespace

StoredColour paletteColour(int column, int row) {
    if (column < 0 || column >= kPaletteColumns || row < 0 || row >= kPaletteRows) return 0;
    const auto level = static_cast<uint8_t>(ramp(row));
    switch (column) {
    case 0: return storedFromRgb(level, 0, 0);
    case 1: return storedFromRgb(0, level, 0);
    case 2: return storedFromRgb(0, 0, level);
    case kPaletteColumns - 2: {
        const auto grey = static_cast<uint8_t>(7 * row);
        return storedFromRgb(grey, grey, grey);
    }
    case kPaletteColumns - 1: {
        const auto grey = static_cast<uint8_t>(155 + 5 * row);
        return storedFromRgb(grey, grey, grey);
    }
    default: break;
    }
    if (column < kFirstTintColumn) {
        const Hue& hue = kShadeHues[static_cast<size_t>(column - kFirstShadeColumn)];
        return storedFromRgb(shade(hue.r, row), shade(hue.g, row), shade(hue.b, row));
    }
    const Hue& hue = kTintHues[static_cast<size_t>(column - kFirstTintColumn)];
    return storedFromRgb(tint(hue.r, row), tint(hue.g, row), tint(hue.b, row));
}

PixelRect swatchRect(int column, int row) {
    const int left = kPaletteRect.left + column * kPaletteColumnPitch;
    const int top = kPaletteRect.top + row * kPaletteRowPitch;
    return {left, top, left + kSwatchWidth, top + kSwatchHeight};
}

std::optional<StoredColour> swatchAt(int x, int y) {
    if (!kPaletteRect.contains(x, y)) return std::nullopt;
    const int column = (x - kPaletteRect.left) / kPaletteColumnPitch;
    const int row = (y - kPaletteRect.top) / kPaletteRowPitch;
    if (column >= kPaletteColumns || row >= kPaletteRows) return std::nullopt;
    if (!swatchRect(column, row).contains(x, y)) return std::nullopt;
    return paletteColour(column, row);
}

}  // namespace vespian
