#include "platform/window_fit.h"

#include <gtest/gtest.h>

namespace vespian {
namespace {

// A laptop screen with a window manager that puts a 28-pixel title bar and 4-pixel borders
// around each window.
constexpr FitRect kLaptop{0, 0, 1366, 768};
constexpr FitMargins kFrame{4, 28, 4, 4};

FitRequest centred(FitRect screen, int32_t width, int32_t height, int32_t leastWidth, int32_t leastHeight) {
    return {screen, kFrame, {(screen.width - width) / 2, (screen.height - height) / 2, width, height}, leastWidth,
            leastHeight};
}

TEST(WindowFit, AWindowTallerThanTheLaptopScrollsWithItsTitleBarOnTheScreen) {
    // "峰解析": 910 × 886 and it cannot be drawn lower.
    const WindowFit fit = fitOnScreen(centred(kLaptop, 910, 886, 880, 886));
    EXPECT_EQ(fit.window.height, 768 - 28 - 4);
    EXPECT_EQ(fit.window.y, 28) << "the title bar just below the top edge";
    EXPECT_TRUE(fit.scrollHeight);
    EXPECT_EQ(fit.window.width, 910);
    EXPECT_EQ(fit.window.x, (1366 - 910) / 2) << "a window that fits across keeps its place";
    EXPECT_FALSE(fit.scrollWidth);
}

TEST(WindowFit, AWindowThatCanBeLowerShrinksInsteadOfScrolling) {
    const WindowFit fit = fitOnScreen(centred(kLaptop, 1000, 760, 600, 500));
    EXPECT_EQ(fit.window.height, 736);
    EXPECT_FALSE(fit.scrollHeight);
    // Larger than the screen both ways, drawable at any size: the whole room, at its top left.
    const WindowFit huge = fitOnScreen({kLaptop, kFrame, {-300, -200, 3000, 2000}, 0, 0});
    EXPECT_EQ(huge.window.x, 4);
    EXPECT_EQ(huge.window.y, 28);
    EXPECT_EQ(huge.window.width, 1366 - 8);
    EXPECT_EQ(huge.window.height, 736);
    EXPECT_FALSE(huge.scrollWidth || huge.scrollHeight);
}

TEST(WindowFit, AWindowPartlyOffTheScreenMovesIn) {
    // Placed against the whole screen below a panel of 30 pixels at the top: the title bar goes under it.
    const FitRect belowPanel{0, 30, 1366, 738};
    WindowFit fit = fitOnScreen({belowPanel, kFrame, {358, 20, 650, 550}, 650, 550});
    EXPECT_EQ(fit.window.y, 30 + 28);
    EXPECT_EQ(fit.window.x, 358);
    EXPECT_EQ(fit.window.height, 550);
    // Off the bottom right corner: pulled back so the frame ends at the edges.
    fit = fitOnScreen({kLaptop, kFrame, {1000, 500, 650, 550}, 0, 0});
    EXPECT_EQ(fit.window.x, 1366 - 4 - 650);
    EXPECT_EQ(fit.window.y, 768 - 4 - 550);
    // A screen to the right of the first one counts from its own left edge.
    fit = fitOnScreen({{1366, 0, 1920, 1080}, kFrame, {1200, 100, 400, 300}, 0, 0});
    EXPECT_EQ(fit.window.x, 1366 + 4);
}

TEST(WindowFit, OnALargeScreenEveryWindowStaysAsItWasPlaced) {
    const FitRect large{0, 0, 1920, 1080};
    for (const FitRect w : {FitRect{505, 97, 910, 886}, FitRect{580, 130, 760, 820}, FitRect{0 + 4, 28, 1050, 700}}) {
        const WindowFit fit = fitOnScreen({large, kFrame, w, w.width, w.height});
        EXPECT_EQ(fit.window.x, w.x);
        EXPECT_EQ(fit.window.y, w.y);
        EXPECT_EQ(fit.window.width, w.width);
        EXPECT_EQ(fit.window.height, w.height);
        EXPECT_FALSE(fit.scrollWidth || fit.scrollHeight);
    }
}

}  // namespace
}  // namespace vespian
