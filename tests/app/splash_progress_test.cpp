#include "app/splash_progress.h"

#include <gtest/gtest.h>

#include <vector>

namespace vespian {
namespace {

TEST(SplashProgressTotal, CountsScreenHeightHeaderAndTwoHundredModulo65536) {
    EXPECT_EQ(splashProgressTotal(1080, {0, 0, 0, 0, 0}), 1280);
    EXPECT_EQ(splashProgressTotal(768, {3, 4, 5, 0, 0}), 980);
    // 768 + 65535 + 1 + 200 = 66504, minus 65536.
    EXPECT_EQ(splashProgressTotal(768, {65535, 1, 0, 0, 0}), 968);
    // Exactly 65536 wraps to 0.
    EXPECT_EQ(splashProgressTotal(65336, {0, 0, 0, 0, 0}), 0);
}

// Which steps colour a block, for the first `count` steps.
std::vector<int> drawingSteps(SplashProgress& progress, int count) {
    std::vector<int> drawn;
    for (int i = 1; i <= count; ++i)
        if (progress.step()) drawn.push_back(i);
    return drawn;
}

TEST(SplashProgress, BlockIsDrawnOnlyWhileTheBarLagsTheSteps) {
    // Inside width 258, total 1000: step s draws when drawn * 1000 <= (s + 1) * 258.
    // s1: 0 <= 516 draw; s2: 1000 <= 774 no; s3: 1000 <= 1032 draw; s4..s6: 2000 > 1806 no;
    // s7: 2000 <= 2064 draw; s8..s10: 3000 > 2838 no; s11: 3000 <= 3096 draw.
    SplashProgress progress(1000);
    EXPECT_EQ(drawingSteps(progress, 11), (std::vector<int>{1, 3, 7, 11}));
    EXPECT_EQ(progress.drawnBlocks(), 4);
    EXPECT_EQ(progress.steps(), 11);
}

TEST(SplashProgress, SmallTotalDrawsOneBlockPerStepAndStopsAtTheFrame) {
    SplashProgress progress(10);
    // With fewer steps than pixels every step is behind, so each colours the next 1-pixel block.
    const auto first = progress.step();
    ASSERT_TRUE(first);
    EXPECT_EQ(first->left, 11);
    EXPECT_EQ(first->right, 12);
    EXPECT_EQ(first->top, 311);
    EXPECT_EQ(first->bottom, 329);
    const auto second = progress.step();
    ASSERT_TRUE(second);
    EXPECT_EQ(second->left, 12);
    // 258 blocks fill the inside (x 11..268); then nothing more.
    int more = 0;
    std::optional<PixelRect> last;
    for (int i = 0; i < 400; ++i)
        if (auto block = progress.step()) {
            ++more;
            last = block;
        }
    EXPECT_EQ(more, 256);
    ASSERT_TRUE(last);
    EXPECT_EQ(last->left, 268);
    EXPECT_EQ(last->right, 269);
}

TEST(SplashProgress, LastWideBlockIsClippedAtTheRightFrame) {
    // 5-pixel blocks: 51 whole blocks cover x 11..265, the 52nd starts at 266 and is clipped to 269.
    SplashProgress progress(10, kSplashBarRect, 5);
    std::optional<PixelRect> block;
    for (int i = 0; i < 52; ++i) block = progress.step();
    ASSERT_TRUE(block);
    EXPECT_EQ(block->left, 266);
    EXPECT_EQ(block->right, 269);
    EXPECT_FALSE(progress.step());
    EXPECT_EQ(progress.drawnBlocks(), 52);
}

TEST(SplashProgress, ZeroTotalDrawsNothingAndSetTotalRestarts) {
    SplashProgress progress(0);
    EXPECT_FALSE(progress.step());
    EXPECT_FALSE(progress.step());
    EXPECT_EQ(progress.steps(), 2);
    progress.setTotal(1000);
    EXPECT_EQ(progress.steps(), 0);
    const auto block = progress.step();
    ASSERT_TRUE(block);
    EXPECT_EQ(block->left, 11);
}

TEST(SplashProgress, BlockRecoloursOnlyWhitePixels) {
    std::vector<uint32_t> pixels(20 * 4, kSplashBarWhite);
    PixelSurface surface{pixels.data(), 20, 4, 20};
    surface.set(5, 1, 0xFF000000u);  // a pixel of the bar's text
    paintProgressBlock(surface, PixelRect{4, 1, 7, 3});
    EXPECT_EQ(surface.at(4, 1), kSplashBarPixel);
    EXPECT_EQ(surface.at(6, 2), kSplashBarPixel);
    EXPECT_EQ(surface.at(5, 1), 0xFF000000u);  // text stays
    EXPECT_EQ(surface.at(7, 1), kSplashBarWhite);  // right edge excluded
    EXPECT_EQ(surface.at(4, 3), kSplashBarWhite);  // bottom edge excluded
    EXPECT_EQ(surface.at(4, 0), kSplashBarWhite);
    // A block reaching past the surface is clipped, not written out of bounds.
    paintProgressBlock(surface, PixelRect{18, 2, 25, 6});
    EXPECT_EQ(surface.at(19, 3), kSplashBarPixel);
}

}  // namespace
}  // namespace vespian
