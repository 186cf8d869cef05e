#include "app/colour_palette.h"

#include <gtest/gtest.h>

#include <set>

namespace vespian {
namespace {

TEST(ColourPalette, PrimaryRampsRiseFifteenPlusTwelvePerRow) {
    EXPECT_EQ(paletteColour(0, 0), 0x00000Fu);   // red 15
    EXPECT_EQ(paletteColour(0, 19), 0x0000F3u);  // red 243
    EXPECT_EQ(paletteColour(1, 5), 0x004B00u);   // green 75
    EXPECT_EQ(paletteColour(2, 10), 0x870000u);  // blue 135
    EXPECT_EQ(paletteColour(2, 19), 0xF30000u);  // blue 243
}

TEST(ColourPalette, LastTwoColumnsAreGreyScales) {
    EXPECT_EQ(paletteColour(18, 0), 0x000000u);
    EXPECT_EQ(paletteColour(18, 19), 0x858585u);  // 133
    EXPECT_EQ(paletteColour(19, 0), 0x9B9B9Bu);   // 155
    EXPECT_EQ(paletteColour(19, 19), 0xFAFAFAu);  // 250
}

TEST(ColourPalette, ShadeAndTintColumns) {
    // Yellow shade, row 4: ramp 63 on red and green.
    EXPECT_EQ(paletteColour(3, 4), storedFromRgb(63, 63, 0));
    // Orange shade, row 19: red 243, green 128 * 243 / 255 = 121.
    EXPECT_EQ(paletteColour(6, 19), storedFromRgb(243, 121, 0));
    // Red tint: row 0 the full red, row 10 half way to white: 0 + 255 * 10 / 20 = 127.
    EXPECT_EQ(paletteColour(12, 0), storedFromRgb(255, 0, 0));
    EXPECT_EQ(paletteColour(12, 10), storedFromRgb(255, 127, 127));
    // Purple tint, row 19: 128 + 127 * 19 / 20 = 248, 0 + 255 * 19 / 20 = 242, 160 + 95 * 19 / 20 = 250.
    EXPECT_EQ(paletteColour(17, 19), storedFromRgb(248, 242, 250));
}

TEST(ColourPalette, SwatchesAreDistinctAndOutsideIsBlack) {
    std::set<StoredColour> colours;
    for (int column = 0; column < kPaletteColumns; ++column)
        for (int row = 0; row < kPaletteRows; ++row) colours.insert(paletteColour(column, row));
    // Every swatch offers a colour of its own.
    EXPECT_EQ(colours.size(), 400u);
    EXPECT_EQ(paletteColour(20, 0), 0u);
    EXPECT_EQ(paletteColour(0, -1), 0u);
}

TEST(ColourPalette, SwatchHitTestingAtEdgesAndGaps) {
    // First swatch: x 60..69, y 110..118.
    EXPECT_EQ(swatchAt(60, 110), paletteColour(0, 0));
    EXPECT_EQ(swatchAt(69, 118), paletteColour(0, 0));
    EXPECT_FALSE(swatchAt(70, 110));  // gap between columns 0 and 1
    EXPECT_FALSE(swatchAt(74, 110));
    EXPECT_EQ(swatchAt(75, 110), paletteColour(1, 0));
    EXPECT_FALSE(swatchAt(60, 119));  // gap between rows 0 and 1
    EXPECT_EQ(swatchAt(60, 120), paletteColour(0, 1));
    // Column 7, row 12: x 165..174, y 230..238.
    EXPECT_EQ(swatchAt(170, 235), paletteColour(7, 12));
    // Last swatch: x 345..354, y 300..308; the rest of the rectangle up to 360 × 310 is gap.
    EXPECT_EQ(swatchAt(354, 308), paletteColour(19, 19));
    EXPECT_FALSE(swatchAt(355, 300));
    EXPECT_FALSE(swatchAt(350, 309));
    // Outside the palette rectangle.
    EXPECT_FALSE(swatchAt(59, 110));
    EXPECT_FALSE(swatchAt(60, 109));
    EXPECT_FALSE(swatchAt(360, 200));
    EXPECT_FALSE(swatchAt(-5, -5));
}

TEST(ColourPalette, SwatchRectsFollowThePitch) {
    const PixelRect last = swatchRect(19, 19);
    EXPECT_EQ(last.left, 345);
    EXPECT_EQ(last.top, 300);
    EXPECT_EQ(last.right, 355);
    EXPECT_EQ(last.bottom, 309);
}

TEST(ColourPalette, DefaultColours) {
    EXPECT_EQ(kDefaultBackgroundColour, storedFromRgb(255, 255, 255));
    EXPECT_EQ(kDefaultLineColour, storedFromRgb(255, 0, 120));
}

}  // namespace
}  // namespace vespian
