#include "app/view_buttons.h"

#include <gtest/gtest.h>

namespace vespian {
namespace {

TEST(ViewButtonRange, EachViewOffersItsOwnButtons) {
    auto trace = viewButtonRange(ViewMode::Trace, false);
    EXPECT_EQ(trace.first, 0);
    EXPECT_EQ(trace.last, 4);
    auto report = viewButtonRange(ViewMode::Report, false);
    EXPECT_EQ(report.first, 6);
    EXPECT_EQ(report.last, 9);
    auto list = viewButtonRange(ViewMode::BetList, false);
    EXPECT_EQ(list.first, 10);
    EXPECT_EQ(list.last, 15);
    auto detail = viewButtonRange(ViewMode::BetList, true);
    EXPECT_EQ(detail.first, 20);
    EXPECT_EQ(detail.count(), 1);
    // The detail page belongs to the list view only.
    EXPECT_EQ(viewButtonRange(ViewMode::Report, true).first, 6);
}

TEST(ViewButtonLabels, AxisLabelsAndEveryOfferedButtonHasOne) {
    EXPECT_EQ(viewButtonLabel(0), "横坐标放大");
    EXPECT_EQ(viewButtonLabel(1), "横坐标缩小");
    EXPECT_EQ(viewButtonLabel(2), "纵坐标放大");
    EXPECT_EQ(viewButtonLabel(3), "纵坐标缩小");
    EXPECT_EQ(viewButtonLabel(4), "还原量程");
    for (auto [view, detail] : {std::pair{ViewMode::Trace, false}, std::pair{ViewMode::Report, false},
                                std::pair{ViewMode::BetList, false}, std::pair{ViewMode::BetList, true}}) {
        auto r = viewButtonRange(view, detail);
        for (int32_t i = r.first; i <= r.last; ++i) EXPECT_FALSE(viewButtonLabel(i).empty()) << i;
    }
    EXPECT_TRUE(viewButtonLabel(5).empty());
    EXPECT_TRUE(viewButtonLabel(21).empty());
    EXPECT_TRUE(viewButtonLabel(-1).empty());
}

TEST(ViewButtonLayout, TwentyFourPixelButtonsEveryTwentyFivePixels) {
    EXPECT_EQ(viewButtonRect(0, 500), (ButtonRect{10, 473, 34, 497}));
    EXPECT_EQ(viewButtonRect(4, 500), (ButtonRect{110, 473, 134, 497}));
    EXPECT_EQ(viewButtonRect(0, 140), (ButtonRect{10, 113, 34, 137}));
    EXPECT_FALSE(viewButtonRect(0, 139).has_value());
}

TEST(ViewButtonStrip, DrawingAndPressingUseTheSameRange) {
    ViewButtonStrip strip;
    strip.layout(ViewMode::Report, false, 500);
    // Button 6 lies where the first button is drawn; the list buttons are not there.
    EXPECT_EQ(strip.rect(6), (ButtonRect{10, 473, 34, 497}));
    EXPECT_EQ(strip.hitTest(10, 473), 6);
    EXPECT_EQ(strip.hitTest(85, 480), 9);
    EXPECT_TRUE(strip.rect(10).empty());
    EXPECT_FALSE(strip.hitTest(110, 480).has_value());  // a fifth place holds nothing

    strip.layout(ViewMode::BetList, false, 500);
    EXPECT_EQ(strip.hitTest(135, 496), 15);
    EXPECT_TRUE(strip.rect(6).empty());
    strip.layout(ViewMode::BetList, true, 500);
    EXPECT_EQ(strip.hitTest(20, 480), 20);
    EXPECT_FALSE(strip.hitTest(40, 480).has_value());
}

TEST(ViewButtonStrip, HitTestEdgesAndGaps) {
    ViewButtonStrip strip;
    strip.layout(ViewMode::Trace, false, 300);
    EXPECT_EQ(strip.hitTest(33, 296), 0);
    EXPECT_FALSE(strip.hitTest(34, 280).has_value());  // the pixel between two buttons
    EXPECT_EQ(strip.hitTest(35, 280), 1);
    EXPECT_FALSE(strip.hitTest(20, 272).has_value());  // above
    EXPECT_FALSE(strip.hitTest(20, 297).has_value());  // below
    EXPECT_FALSE(strip.hitTest(9, 280).has_value());

    strip.layout(ViewMode::Trace, false, 120);  // too low a view: no strip
    EXPECT_FALSE(strip.shown());
    EXPECT_FALSE(strip.hitTest(20, 100).has_value());
}

TEST(ViewButtonBevels, HoverRaisesAndFlattensThePrevious) {
    ViewButtonStrip strip;
    strip.layout(ViewMode::Trace, false, 300);
    EXPECT_EQ(strip.mouseMoved(20, 280), (std::vector<BevelChange>{{0, Bevel::Raised}}));
    EXPECT_TRUE(strip.mouseMoved(25, 285).empty());  // still on button 0
    EXPECT_EQ(strip.mouseMoved(70, 280), (std::vector<BevelChange>{{0, Bevel::Flat}, {2, Bevel::Raised}}));
    EXPECT_EQ(strip.bevel(2), Bevel::Raised);
    EXPECT_EQ(strip.bevel(0), Bevel::Flat);
    EXPECT_EQ(strip.mouseMoved(300, 100), (std::vector<BevelChange>{{2, Bevel::Flat}}));
    EXPECT_TRUE(strip.mouseMoved(300, 110).empty());
    EXPECT_EQ(strip.current(), -1);
}

TEST(ViewButtonBevels, PressingDrawsPressedUntilTheMouseLeaves) {
    ViewButtonStrip strip;
    strip.layout(ViewMode::Trace, false, 300);
    strip.mouseMoved(20, 280);
    EXPECT_EQ(strip.pressed(0), (std::vector<BevelChange>{{0, Bevel::Pressed}}));
    EXPECT_TRUE(strip.mouseMoved(21, 281).empty());
    EXPECT_EQ(strip.bevel(0), Bevel::Pressed);
    // A menu command presses a button the mouse is not on.
    EXPECT_EQ(strip.pressed(4), (std::vector<BevelChange>{{0, Bevel::Flat}, {4, Bevel::Pressed}}));
    EXPECT_EQ(strip.mouseLeft(), (std::vector<BevelChange>{{4, Bevel::Flat}}));
    // Buttons of another view are not drawn, so not pressed either.
    EXPECT_TRUE(strip.pressed(7).empty());
}

TEST(ViewButtonBevels, RelayoutKeepsHoverOnlyWhileNothingMoved) {
    ViewButtonStrip strip;
    strip.layout(ViewMode::Trace, false, 300);
    strip.mouseMoved(20, 280);
    strip.layout(ViewMode::Trace, false, 300);  // a mouse move lays out again
    EXPECT_EQ(strip.bevel(0), Bevel::Raised);
    strip.layout(ViewMode::Report, false, 300);
    EXPECT_EQ(strip.current(), -1);
    EXPECT_EQ(strip.mouseMoved(20, 280), (std::vector<BevelChange>{{6, Bevel::Raised}}));
    strip.resetBevels();
    EXPECT_EQ(strip.bevel(6), Bevel::Flat);
}

}  // namespace
}  // namespace vespian
