#pragma once
// A picture of the whole trace, for a report or a script: the trace window's own drawing, laid
// out so that every point fits. The time range is the trace's length and the voltage range the
// smallest of 0.5, 1, 2, 5, 10 … mV (±) that holds the largest signal; the temperature axis
// keeps the window's 0–1200 ℃.

#include <cstdint>
#include <string>

#include "trace/trace_view.h"

namespace vespian {

class Chromatogram;

// The voltage range (µV) shown for a largest |signal| of maxAbsMv: 500, 1000, 2000, 5000, 10000 …,
// the first that leaves a twentieth of room above the signal; at most 1,000,000,000.
int32_t pictureVoltRangeUv(float maxAbsMv);

// The trace window laid out on a surface of width × (kViewTop + height) pixels; the picture is the
// band of rows kViewTop .. kViewTop + height − 1 (the window's area starts kViewTop down).
TraceView wholeTraceView(const Chromatogram& trace, int32_t width, int32_t height);

// Draws the picture and writes it as PNG. The desktop layer does the drawing, with a real font
// for the axis labels and without a display.
class TracePictureWriter {
public:
    virtual ~TracePictureWriter() = default;
    // False with a message (Chinese, then English) when the file cannot be written.
    virtual bool savePng(const std::string& path, const Chromatogram& trace, int32_t width, int32_t height,
                         std::string* error) = 0;
};

}  // namespace vespian
