#pragma once
// How far the record lists, the BET page and the pore grid scroll, and how far one step of
// their scroll bars moves them. The lists scroll by rows down (one row a line, ten a page, as
// far as the last rows fill the area) and by pixels sideways (two a line, ten a page, as far as
// the last column); the BET page by pixels both ways (one a line, a hundred a page, over its
// 1000 × 1000); the pore grid by rows of thumbnails (one a line, half the rows shown a page).

#include <algorithm>
#include <cstdint>

namespace vespian {

struct ScrollAxis {
    int32_t range = 0;  // positions 0 .. range
    int32_t line = 1;
    int32_t page = 1;
    int32_t clamp(int32_t position) const { return std::clamp(position, 0, range); }
};

struct ListViewScroll {
    ScrollAxis vertical;
    ScrollAxis horizontal;
};

// A list of `count` records whose columns are `totalWidth` wide, in an area of width × height
// pixels (the 25-pixel header and the 20-pixel rows inside it).
ListViewScroll recordListScroll(int32_t count, int32_t totalWidth, int32_t width, int32_t height);
// The BET page (or a pore report's page, `pageHeight` high) in an area of width × height pixels.
ListViewScroll betPageScroll(int32_t width, int32_t height, int32_t pageHeight = 1000);
// The pore grid: `count` thumbnails, `columns` a row, `rowsShown` rows in sight. It scrolls until
// its last row is the first shown.
ScrollAxis poreGridScroll(int32_t count, int32_t columns, int32_t rowsShown);

}  // namespace vespian
