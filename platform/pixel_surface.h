#pragma once
// An off-screen pixel surface the program draws into, as it drew into device contexts: 32-bit
// pixels 0xAARRGGBB in rows of `stride` pixels. The desktop layer wraps the same memory in a
// QImage (Format_RGB32), so pixel rules are tested on plain memory in the core.

#include <cstdint>

namespace vespian {

// Colours as the settings files store them: 0x00BBGGRR.
using StoredColour = uint32_t;

inline constexpr uint32_t pixelFromStored(StoredColour c) {
    return 0xFF000000u | ((c & 0xFFu) << 16) | (c & 0xFF00u) | ((c >> 16) & 0xFFu);
}
inline constexpr StoredColour storedFromRgb(uint8_t r, uint8_t g, uint8_t b) {
    return static_cast<StoredColour>(r) | (static_cast<StoredColour>(g) << 8) | (static_cast<StoredColour>(b) << 16);
}

struct PixelSurface {
    uint32_t* pixels = nullptr;
    int32_t width = 0;
    int32_t height = 0;
    int32_t stride = 0;  // pixels per row

    bool contains(int32_t x, int32_t y) const { return x >= 0 && y >= 0 && x < width && y < height; }
    void set(int32_t x, int32_t y, uint32_t pixel) {
        if (contains(x, y)) pixels[static_cast<int64_t>(y) * stride + x] = pixel;
    }
    uint32_t at(int32_t x, int32_t y) const {
        return contains(x, y) ? pixels[static_cast<int64_t>(y) * stride + x] : 0u;
    }
};

// A rectangle with right and bottom edges excluded.
struct PixelRect {
    int32_t left = 0, top = 0, right = 0, bottom = 0;
    bool contains(int32_t x, int32_t y) const { return x >= left && x < right && y >= top && y < bottom; }
};

}  // namespace vespian
