#include "analysis/list_scroll.h"

#include <gtest/gtest.h>

#include "analysis/bet_list.h"

namespace vespian {
namespace {

TEST(ListScroll, ListsScrollAsFarAsTheirLastRowsAndColumns) {
    // 40 BET reports in 225 pixels: 10 rows under the header, so 30 rows to scroll; the BET
    // list's 720 pixels of columns in 500.
    ListViewScroll list = recordListScroll(40, kBetListMinWidth, 500, 225);
    EXPECT_EQ(list.vertical.range, 30);
    EXPECT_EQ(list.vertical.line, 1);
    EXPECT_EQ(list.vertical.page, 10);
    EXPECT_EQ(list.horizontal.range, 220);
    EXPECT_EQ(list.horizontal.line, 2);
    EXPECT_EQ(list.horizontal.page, 10);
    // Everything in sight: nothing to scroll, and a position beyond is brought back.
    list = recordListScroll(2, 700, 900, 600);
    EXPECT_EQ(list.vertical.range, 0);
    EXPECT_EQ(list.horizontal.range, 0);
    EXPECT_EQ(list.vertical.clamp(3), 0);
    EXPECT_EQ(recordListScroll(5, 0, 100, 10).vertical.range, 5) << "no row fits under the header";
}

TEST(ListScroll, TheBetPageAndThePoreGrid) {
    const ListViewScroll page = betPageScroll(707, 600);
    EXPECT_EQ(page.vertical.range, 400);
    EXPECT_EQ(page.horizontal.range, 293);
    EXPECT_EQ(page.vertical.page, 100);
    EXPECT_EQ(page.vertical.line, 1);
    EXPECT_EQ(betPageScroll(1200, 1100).vertical.range, 0);

    // 200 points 11 to a row: 19 rows, the last of them can come to the top.
    const ScrollAxis grid = poreGridScroll(200, 11, 4);
    EXPECT_EQ(grid.range, 18);
    EXPECT_EQ(grid.page, 2);
    EXPECT_EQ(poreGridScroll(0, 11, 4).range, 0);
    EXPECT_EQ(poreGridScroll(3, 0, 1).page, 1);
}

}  // namespace
}  // namespace vespian
