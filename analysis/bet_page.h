#pragma once
// The drawn forms of a BET report: the page shown in the BET list view and printed one per
// report (BetPage), and the picture of the report dialog "生成报告" — its artwork (captions,
// frames: the program's own, there is no background bitmap) and its values and plot.
//
// Both plots are scaled to the largest point (which is the last one when the points were
// measured at rising P/Po, as they are), and their tick labels give the values at the ticks
// of that scale. Points and lines without finite values are left out; a value without one is
// shown as "—".

#include <cstdint>

#include "files/record_database_layout.h"
#include "platform/draw_list.h"

namespace vespian {

// BetPage: one page of 700 × 1000 units.
inline constexpr int32_t kBetPageWidth = 700;
inline constexpr int32_t kBetPageHeight = 1000;
// The page's chart frame, in page units.
inline constexpr DrawBox kBetPageFrame{130, 160, 630, 560};

// BetPage(sx, sy): units scaled by sx horizontally and sy vertically (1, 1 on screen; page
// width / 700 and page height / 1000 when printing). Starts by clearing the page to white.
DrawList BetPage(const SurfaceReportRecord& record, double sx, double sy);

// The report dialog's client area and the places of its fields.
inline constexpr int32_t kBetReportWidth = 620;
inline constexpr int32_t kBetReportHeight = 380;
inline constexpr DrawBox kBetReportPlot{80, 20, 331, 271};  // the plot square (80,20)–(330,270)
inline constexpr DrawBox kBetReportWeightEdit{455, 196, 600, 218};  // 1006
inline constexpr DrawBox kBetReportNameEdit{455, 226, 600, 248};    // 1007
inline constexpr DrawBox kBetReportFirstPoint{455, 256, 520, 278};  // 1084
inline constexpr DrawBox kBetReportSecondPoint{535, 256, 600, 278}; // 1085
inline constexpr DrawBox kBetReportCommitButton{380, 330, 480, 358};
inline constexpr DrawBox kBetReportAbandonButton{500, 330, 600, 358};

// The dialog's own artwork: background, frames and captions.
DrawList betReportArtwork();

// What the program draws over it: the report number (index + 1), slope, intercept,
// correlation, surface area, the plot with its labels, the line and the points.
DrawList betReportValues(const SurfaceReportRecord& record, int32_t index);

}  // namespace vespian
