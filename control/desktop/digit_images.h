#pragma once
// The digit images of the gas-path panel's readouts: seven-segment digits 13 × 22, a point 7 × 22
// and a blank cell, in two sets: green for the flows, amber for the furnace temperature. Drawn
// in code.

#include <QImage>
#include <QPainter>
#include <array>

#include "control/digit_readout.h"

namespace vespian {

struct DigitImageSet {
    std::array<QImage, 10> digits;
    QImage point;
    QImage blank;
};

enum class DigitColour { Flow, Temperature };
const DigitImageSet& digitImages(DigitColour colour);

// Draws a readout of value v with its left edge at (x, y): the blank cells, then the digits.
void drawDigitReadout(QPainter& painter, const DigitImageSet& images, double v, int x, int y);

}  // namespace vespian
