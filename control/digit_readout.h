#pragma once
// The digital readouts of the gas-path panel (the flows of channels 1 and 2, the furnace
// temperature): a value formatted "%5.1f" and drawn with digit images, 13 × 22 pixels a digit
// and 7 × 22 for the point. This is where each image goes; the panel draws them.

#include <array>
#include <cstdint>

namespace vespian {

inline constexpr int32_t kDigitWidth = 13;
inline constexpr int32_t kDigitHeight = 22;
inline constexpr int32_t kPointWidth = 7;
inline constexpr int32_t kBlankCells = 7;  // one at x + 7, six at x + 13 … x + 78
inline constexpr int32_t kMaxReadoutDraws = 12;

enum class DigitImage : uint8_t { Blank, Digit, Point };

struct DigitDraw {
    DigitImage image = DigitImage::Blank;
    int32_t x = 0;
    int32_t digit = 0;  // 0 .. 9 for DigitImage::Digit
};

struct DigitLayout {
    std::array<DigitDraw, kBlankCells> blanks{};
    std::array<DigitDraw, kMaxReadoutDraws> draws{};
    int32_t drawCount = 0;
};

// The images of value v drawn with its left edge at x: the blank cells first, then the
// characters of "%5.1f" with a pen from x + 13 (a digit advances 13, the point 6, anything else
// draws nothing and advances 13). A value too wide for the readout draws its first characters.
DigitLayout layoutDigitReadout(double v, int32_t x);

// The panel's three readouts.
inline constexpr int32_t kFlow1ReadoutX = 435;
inline constexpr int32_t kFlow1ReadoutY = 18;
inline constexpr int32_t kFlow2ReadoutX = 435;
inline constexpr int32_t kFlow2ReadoutY = 82;
inline constexpr int32_t kTemperatureReadoutX = 830;
inline constexpr int32_t kTemperatureReadoutY = 430;

}  // namespace vespian
