#include "trace/trace_marks.h"

#include <gtest/gtest.h>

#include <vector>

#include "support/trace_views.h"

namespace vespian {
namespace {

using testing::viewWithPlot;

TEST(TraceMarks, OnlyRecordedPointsInsideThePlotArePlacedAtTheirPointsColumn) {
    TraceView v = viewWithPlot(600, 400, 600, 5000);  // 3000 points across the plot's width
    const std::vector<TraceMark> marks = {{1500, "还原"}, {2900, "吹扫"}, {4000, "未记录"}, {-1, "负"}};
    const std::vector<PlacedMark> placed = placeMarks(v, marks, 3000);
    ASSERT_EQ(placed.size(), 2u);
    EXPECT_EQ(placed[0].mark->name, "还原");
    EXPECT_EQ(placed[0].x, v.xOrigin + 300);  // point 1500 is drawn 300 pixels right of the origin
    EXPECT_EQ(placed[1].mark->name, "吹扫");

    // Scrolled on by 400 pixels: point 1500 lies left of the plot, not drawn; 2900 moves left.
    v.hScroll = 400;
    const std::vector<PlacedMark> scrolled = placeMarks(v, marks, 3000);
    ASSERT_EQ(scrolled.size(), 1u);
    EXPECT_EQ(scrolled[0].mark->name, "吹扫");
    EXPECT_EQ(scrolled[0].x, placed[1].x - 400);
}

TEST(TraceMarks, LinesAreDashedFromThePlotsTopToItsBottomInTheMarkColour) {
    const TraceView v = viewWithPlot(600, 400, 600, 5000);
    const std::vector<TraceMark> marks = {{1500, "还原"}};
    const std::vector<PlacedMark> placed = placeMarks(v, marks, 3000);
    ASSERT_EQ(placed.size(), 1u);
    std::vector<uint32_t> memory(900u * 700u, 0u);
    PixelSurface surface{memory.data(), 900, 700, 900};
    drawMarkLines(surface, v, placed);
    const PixelRect plot = plotRect(v);
    const uint32_t ink = pixelFromStored(kTraceMarkColour);
    int inked = 0;
    for (int32_t y = 0; y < 700; ++y) {
        const bool on = surface.at(placed[0].x, y) == ink;
        if (y < plot.top || y >= plot.bottom) {
            EXPECT_FALSE(on) << y;
        } else {
            EXPECT_EQ(on, (y - plot.top) % 6 < 3) << y;
            inked += on ? 1 : 0;
        }
        EXPECT_EQ(surface.at(placed[0].x + 1, y), 0u);
    }
    EXPECT_GT(inked, (plot.bottom - plot.top) / 3);
}

}  // namespace
}  // namespace vespian
