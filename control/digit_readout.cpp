#include "control/digit_readout.h"

#include <cmath>
#include <cstdio>

namespace vespian {

DigitLayout layoutDigitReadout(double v, int32_t x) {
    DigitLayout layout;
    layout.blanks[0] = {DigitImage::Blank, x + 7, 0};
    for (int32_t i = 1; i < kBlankCells; ++i) layout.blanks[static_cast<size_t>(i)] = {DigitImage::Blank, x + 13 * i, 0};

    char text[64];
    std::snprintf(text, sizeof text, "%5.1f", std::isfinite(v) ? v : 0.0);
    int32_t pen = x + 13;
    for (const char* c = text; *c != '\0' && layout.drawCount < kMaxReadoutDraws; ++c) {
        if (*c >= '0' && *c <= '9') {
            layout.draws[static_cast<size_t>(layout.drawCount++)] = {DigitImage::Digit, pen, *c - '0'};
            pen += kDigitWidth;
        } else if (*c == '.') {
            layout.draws[static_cast<size_t>(layout.drawCount++)] = {DigitImage::Point, pen, 0};
            pen += 6;
        } else {
            pen += kDigitWidth;
        }
    }
    return layout;
}

}  // namespace vespian
