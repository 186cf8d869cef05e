#include "app/splash_progress.h"

#include <algorithm>

namespace vespian {

int32_t splashProgressTotal(int32_t screenHeight, const std::array<uint16_t, 5>& databaseHeader) {
    int64_t sum = static_cast<int64_t>(screenHeight) + 200;
    for (uint16_t value : databaseHeader) sum += value;
    sum %= 65536;
    if (sum < 0) sum += 65536;
    return static_cast<int32_t>(sum);
}

SplashProgress::SplashProgress(int32_t total, PixelRect bar, int32_t blockWidth)
    : bar_(bar), blockWidth_(std::max<int32_t>(blockWidth, 1)), total_(total) {}

void SplashProgress::setTotal(int32_t total) {
    total_ = total;
    steps_ = 0;
    drawnBlocks_ = 0;
}

std::optional<PixelRect> SplashProgress::step() {
    ++steps_;
    if (total_ <= 0) return std::nullopt;
    const int64_t inside = static_cast<int64_t>(bar_.right - bar_.left) - 2;
    if (inside <= 0) return std::nullopt;
    // drawn / inside > (steps + 1) / total, without rounding.
    const int64_t drawn = static_cast<int64_t>(drawnBlocks_) * blockWidth_;
    if (drawn * total_ > (static_cast<int64_t>(steps_) + 1) * inside) return std::nullopt;
    const int32_t left = bar_.left + 1 + drawnBlocks_ * blockWidth_;
    const int32_t rightLimit = bar_.right - 1;
    if (left >= rightLimit) return std::nullopt;  // the bar is full
    ++drawnBlocks_;
    return PixelRect{left, bar_.top + 1, std::min(left + blockWidth_, rightLimit), bar_.bottom - 1};
}

void paintProgressBlock(PixelSurface& surface, const PixelRect& block, uint32_t barPixel) {
    for (int32_t y = block.top; y < block.bottom; ++y) {
        for (int32_t x = block.left; x < block.right; ++x) {
            if (surface.contains(x, y) && surface.at(x, y) == kSplashBarWhite) surface.set(x, y, barPixel);
        }
    }
}

}  // namespace vespian
