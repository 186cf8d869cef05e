#pragma once
// A page or list drawn as a list of plain primitives: texts, lines, rectangles and polylines in
// device pixels. The core computes every position, scale and label into one of these; the
// desktop layer only replays it with a painter, on screen, into an image or onto a printer
// page. So the layout rules are tested without a screen.

#include <cstdint>
#include <string>
#include <variant>
#include <vector>

namespace vespian {

// 0xRRGGBB.
using DrawColour = uint32_t;
inline constexpr DrawColour rgb(uint32_t r, uint32_t g, uint32_t b) { return (r << 16) | (g << 8) | b; }
inline constexpr DrawColour kBlack = 0x000000;
inline constexpr DrawColour kWhite = 0xFFFFFF;

struct DrawPoint {
    int32_t x = 0;
    int32_t y = 0;
    friend bool operator==(const DrawPoint&, const DrawPoint&) = default;
};

struct DrawBox {
    int32_t left = 0, top = 0, right = 0, bottom = 0;  // right and bottom excluded
    bool empty() const { return right <= left || bottom <= top; }
    friend bool operator==(const DrawBox&, const DrawBox&) = default;
};

enum class FontFace { Song, Hei };  // "宋体", "黑体"
enum class HAlign { Left, Centre, Right };
enum class VAlign { Top, Centre };

// A text anchored at (x, y): x is its left edge, centre or right edge; y its top or middle.
struct DrawText {
    int32_t x = 0;
    int32_t y = 0;
    std::string text;  // UTF-8
    int32_t pixelSize = 13;
    FontFace face = FontFace::Song;
    HAlign h = HAlign::Left;
    VAlign v = VAlign::Top;
    DrawColour colour = kBlack;
    bool rotated = false;  // turned 90° counter-clockwise about the anchor, reading upwards
    std::string after{};   // when set, x is moved right by this text's width in the same font
                           // (a superscript placed just after "[m")
    DrawBox clip{};        // drawn only inside this box when not empty
};

struct DrawLine {
    DrawPoint from;
    DrawPoint to;
    DrawColour colour = kBlack;
    int32_t width = 1;
    bool dotted = false;  // dots alternating every 6 pixels
    DrawBox clip{};
};

// Outline of a rectangle, right and bottom edges on right − 1 and bottom − 1.
struct DrawFrame {
    DrawBox box;
    DrawColour colour = kBlack;
    int32_t width = 1;
    DrawBox clip{};
};

struct DrawFill {
    DrawBox box;
    DrawColour colour = kWhite;
};

struct DrawPolyline {
    std::vector<DrawPoint> points;
    DrawColour colour = kBlack;
    int32_t width = 1;
    DrawBox clip{};
};

using DrawItem = std::variant<DrawText, DrawLine, DrawFrame, DrawFill, DrawPolyline>;

struct DrawList {
    std::vector<DrawItem> items;

    void add(DrawItem item) { items.push_back(std::move(item)); }

    // The texts in drawing order (for tests and text exports).
    std::vector<const DrawText*> texts() const {
        std::vector<const DrawText*> found;
        for (const DrawItem& item : items) {
            if (const auto* t = std::get_if<DrawText>(&item)) found.push_back(t);
        }
        return found;
    }
    // The first text with exactly this content, or nullptr.
    const DrawText* findText(const std::string& text) const {
        for (const DrawItem& item : items) {
            if (const auto* t = std::get_if<DrawText>(&item); t != nullptr && t->text == text) return t;
        }
        return nullptr;
    }
};

}  // namespace vespian
