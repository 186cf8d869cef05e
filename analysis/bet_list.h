#pragma once
// The BET list of the report table (the third view in list mode): five fixed columns, one row
// of 20 pixels per report from the scroll position, selected reports in magenta; the clicks
// that open a report's page (how far list and page scroll: analysis/list_scroll.h).

#include <cstdint>

#include "files/record_database_layout.h"
#include "platform/draw_list.h"

namespace vespian {

inline constexpr int32_t kBetListMinWidth = 720;
inline constexpr int32_t kBetListHeaderHeight = 25;
inline constexpr int32_t kListRowHeight = 20;
inline constexpr DrawColour kSelectedRowColour = 0xFF00C8;  // RGB(255, 0, 200)

// The list in an area of width × height pixels, first row `firstRow`, shifted left by hScroll.
// The background is the caller's (the list background picture).
DrawList betListDrawing(const ReportTable& reports, int32_t width, int32_t height, int32_t firstRow,
                        int32_t hScroll);

// The report under a double click in the list (rows from 25 pixels below the list top), or −1
// when there is no report there.
int32_t betRowAtDoubleClick(const ReportTable& reports, int32_t y, int32_t top, int32_t bottom, int32_t firstRow);

}  // namespace vespian
