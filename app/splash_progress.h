#pragma once
// The progress bar of the start-up splash window. The bar advances once per pixel row of the
// trace background painted at start-up, against a total that also counts the record-count
// header of the database, so it fills roughly as the start-up work is done. Each step colours
// at most one more block, and only while the bar lags behind the work done.

#include <array>
#include <cstdint>
#include <optional>

#include "platform/pixel_surface.h"

namespace vespian {

// The bar's rectangle on the splash window; its one-pixel frame lies on the rectangle's edges.
inline constexpr PixelRect kSplashBarRect{10, 310, 270, 330};
inline constexpr uint32_t kSplashBarPixel = 0xFF00C8FFu;  // RGB(0, 200, 255)
inline constexpr uint32_t kSplashBarWhite = 0xFFFFFFFFu;

// (screen height + the five header values + 200) mod 65536.
int32_t splashProgressTotal(int32_t screenHeight, const std::array<uint16_t, 5>& databaseHeader);

class SplashProgress {
public:
    // blockWidth: pixels per block, no gap between blocks.
    explicit SplashProgress(int32_t total = 0, PixelRect bar = kSplashBarRect, int32_t blockWidth = 1);

    // Starts again from an empty bar.
    void setTotal(int32_t total);

    // Counts one step of the work. When the bar should grow, the block to colour: the pixels
    // inside the frame, clipped at the frame's right line. A total of 0 (or below) draws nothing.
    std::optional<PixelRect> step();

    int32_t total() const { return total_; }
    int32_t steps() const { return steps_; }
    int32_t drawnBlocks() const { return drawnBlocks_; }
    const PixelRect& bar() const { return bar_; }

private:
    PixelRect bar_;
    int32_t blockWidth_;
    int32_t total_ = 0;
    int32_t steps_ = 0;
    int32_t drawnBlocks_ = 0;
};

// Colours a block the way the bar grows: only the white pixels take the bar colour, so the
// text written across the bar stays readable.
void paintProgressBlock(PixelSurface& surface, const PixelRect& block, uint32_t barPixel = kSplashBarPixel);

}  // namespace vespian
