#pragma once
// The small and large peak pictures: a stretch scaled to fill a picture, its lowest value at
// the bottom. The small one (400 × 270) shows the quantitative peak, the large one (775 × 380)
// the test report's sample trace. A flat stretch lies on the bottom edge; every position is a
// finite pixel whatever the values.
//
// A stretch may hold millions of points for a few hundred columns, so the line is thinned as
// it is built: of a run of points in one column only the first, lowest, highest and last are
// kept, which draws exactly the same pixels.

#include <cstdint>
#include <vector>

#include "platform/draw_list.h"

namespace vespian {

struct PictureScale {
    int32_t width = 0;
    int32_t height = 0;
    int32_t span = 0;  // the highest value sits this many pixels above the bottom
};
inline constexpr PictureScale kSmallPeakPicture{400, 270, 265};
inline constexpr PictureScale kLargePeakPicture{775, 380, 375};

// trunc((value − lo) / range × span) in float32; 0 when the range is not positive or the
// result is not finite, and kept within ±1,000,000 so a pixel position never overflows.
int32_t scaledDepth(float value, float lo, float range, float span);

// Builds a polyline, keeping of each run of points in one column the first, the lowest, the
// highest and the last.
class PolylineBuilder {
public:
    void add(DrawPoint point);
    std::vector<DrawPoint> finish();

private:
    void flushRun();
    void keep(DrawPoint point);

    std::vector<DrawPoint> points_;
    bool open_ = false;
    DrawPoint first_{}, last_{}, low_{}, high_{};
    bool lowFirst_ = true;  // the lowest y came before the highest
};

// The picture's line: move to point 0, then lines to points 1 .. lastIndex − 1, with
// x = trunc(i / lastIndex × width) and y = height − scaledDepth(v, lo, hi − lo, span); lo and
// hi over the values drawn. Empty for a null series or a negative lastIndex.
std::vector<DrawPoint> peakPicturePoints(const float* series, int32_t lastIndex, PictureScale scale);

}  // namespace vespian
