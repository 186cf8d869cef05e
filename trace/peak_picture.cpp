#include "trace/peak_picture.h"

#include <algorithm>
#include <cmath>

namespace vespian {

namespace {

constexpr float kDepthLimit = 1'000'000.0f;

}  // namespace

int32_t scaledDepth(float value, float lo, float range, float span) {
    if (!(range > 0.0f) || !std::isfinite(range)) return 0;
    const float depth = (value - lo) / range * span;
    if (!std::isfinite(depth)) return 0;
    if (depth > kDepthLimit) return static_cast<int32_t>(kDepthLimit);
    if (depth < -kDepthLimit) return -static_cast<int32_t>(kDepthLimit);
    return static_cast<int32_t>(depth);  // truncation towards zero
}

void PolylineBuilder::keep(DrawPoint point) {
    if (!points_.empty() && points_.back() == point) return;
    points_.push_back(point);
}

void PolylineBuilder::flushRun() {
    if (!open_) return;
    keep(first_);
    if (lowFirst_) {
        keep(low_);
        keep(high_);
    } else {
        keep(high_);
        keep(low_);
    }
    keep(last_);
    open_ = false;
}

void PolylineBuilder::add(DrawPoint point) {
    if (open_ && point.x == first_.x) {
        if (point.y < low_.y) {
            low_ = point;
            lowFirst_ = false;  // the new lowest comes after the highest so far
        }
        if (point.y > high_.y) {
            high_ = point;
            lowFirst_ = true;
        }
        last_ = point;
        return;
    }
    flushRun();
    open_ = true;
    first_ = last_ = low_ = high_ = point;
    lowFirst_ = true;
}

std::vector<DrawPoint> PolylineBuilder::finish() {
    flushRun();
    std::vector<DrawPoint> out;
    out.swap(points_);
    return out;
}

std::vector<DrawPoint> peakPicturePoints(const float* series, int32_t lastIndex, PictureScale scale) {
    if (series == nullptr || lastIndex < 0) return {};
    // Low and high over the values the line is drawn through (0 .. lastIndex − 1, or the single
    // value), so the line fills the picture however far the last value lies off.
    const int32_t drawnEnd = std::max(1, lastIndex);
    float lo = series[0];
    float hi = series[0];
    for (int32_t i = 1; i < drawnEnd; ++i) {
        if (series[i] < lo) lo = series[i];
        if (series[i] > hi) hi = series[i];
    }
    const float range = hi - lo;
    const auto span = static_cast<float>(scale.span);
    PolylineBuilder line;
    line.add({0, scale.height - scaledDepth(series[0], lo, range, span)});
    for (int32_t i = 1; i < lastIndex; ++i) {
        const auto x = static_cast<int32_t>(static_cast<float>(i) / static_cast<float>(lastIndex) *
                                            static_cast<float>(scale.width));
        line.add({x, scale.height - scaledDepth(series[i], lo, range, span)});
    }
    return line.finish();
}

}  // namespace vespian
