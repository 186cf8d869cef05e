// The axes of the trace window. See trace_axes.h.

#include "trace/trace_axes.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "trace/trace_view.h"

namespace vespian {

namespace {

constexpr StoredColour kBlack = 0x00000000u;
constexpr int64_t kExactFloatLimit = int64_t{1} << 24;  // integers up to this are exact floats

// The tick loop as the program has always run it:
//     offset = 0; for s = 0 .. count − 1: if offset ≤ s / p { tick at offset; offset += q }
// (comparison and division in float32). Calls visit(offset) for each tick in order; visit returns
// false to stop. Instead of stepping s one by one, each tick jumps to the least s at which its
// condition holds (monotone in s). Ticks whose offset is below firstUseful are not needed by the
// caller; where the tick chain is known in closed form the loop starts at the first useful one.
template <class Visit>
void forEachTick(float p, int64_t q, int64_t count, int64_t firstUseful, Visit visit) {
    if (count <= 0 || !(p > 0.0f) || !std::isfinite(p)) {
        return;
    }
    auto holds = [p](int64_t s, int64_t offset) {
        return static_cast<float>(offset) <= static_cast<float>(s) / p;
    };
    if (q <= 0) {
        visit(0);  // offset 0 holds at s = 0; every further tick would be the same one
        return;
    }
    // The least s in [from, count) at which the condition holds for offset; count if none.
    auto nextS = [&](int64_t from, int64_t offset) -> int64_t {
        if (from >= count) return count;
        if (holds(from, offset)) return from;
        int64_t lo = from;  // condition false here
        int64_t hi = count;  // condition true here, or past the end
        const double estimate = std::ceil(static_cast<double>(offset) * static_cast<double>(p));
        const int64_t guess =
            static_cast<int64_t>(std::clamp(estimate, static_cast<double>(lo + 1), static_cast<double>(count)));
        if (guess < count && holds(guess, offset)) {
            hi = guess;
            for (int64_t step = 1;; step *= 2) {
                const int64_t t = hi - step;
                if (t <= lo) break;
                if (!holds(t, offset)) {
                    lo = t;
                    break;
                }
                hi = t;
            }
        } else {
            if (guess < count) lo = guess;
            for (int64_t step = 1;; step *= 2) {
                const int64_t t = lo + step;
                if (t >= count) break;
                if (holds(t, offset)) {
                    hi = t;
                    break;
                }
                lo = t;
            }
        }
        while (hi - lo > 1) {
            const int64_t mid = lo + (hi - lo) / 2;
            if (holds(mid, offset)) {
                hi = mid;
            } else {
                lo = mid;
            }
        }
        return hi;
    };

    int64_t s = 0;
    int64_t offset = 0;
    // Where the tick chain (tick k at s_k = max(s_(k−1) + 1, c_k), c_k the least s with
    // k·q ≤ s / p) is known in closed form, start at the first useful tick:
    // - ticks less than 1 s apart (q·p ≤ 0.999) and s an exact float: fl(k·q) ≤ k·q·(1 + 2^−24)
    //   ≤ (k / p)·(1 − 2^−24) ≤ fl(k / p), so c_k ≤ k and s_k = k;
    // - ticks far enough apart that s / p never jumps over a whole tick spacing in one step of s
    //   (jump ≤ G / p + ulp, G the float spacing of s; offsets apart by ≥ q − ulp): c_k > c_(k−1)
    //   for every k, so s_k = c_k.
    const int64_t firstTick = firstUseful > q ? firstUseful / q - 1 : 0;
    if (firstTick > 0) {
        auto ulp = [](double x) { return x < 1.0 ? 1.0 : std::ldexp(1.0, std::ilogb(x) - 23); };
        const double qp = static_cast<double>(q) * static_cast<double>(p);
        const double lastOffset = static_cast<double>(firstTick) * static_cast<double>(q);
        const double spacing = std::max(1.0, ulp(static_cast<double>(count)));  // between neighbouring s
        const double roundOff = std::max(ulp(static_cast<double>(count) / static_cast<double>(p)), ulp(lastOffset));
        if (qp <= 0.999 && count <= kExactFloatLimit) {
            offset = firstTick * q;
            s = firstTick;
        } else if (spacing / static_cast<double>(p) * 1.000001 + 2.0 * roundOff + 1e-3 < static_cast<double>(q)) {
            offset = firstTick * q;
            s = nextS(0, offset);
        }
    }
    while (true) {
        s = nextS(s, offset);
        if (s >= count) break;
        if (!visit(offset)) break;
        offset += q;
        ++s;
    }
}

std::string format(const char* pattern, double value) {
    char text[64];
    std::snprintf(text, sizeof text, pattern, value);
    return text;
}

}  // namespace

std::string timeLabel(int32_t offset, float secondsPerPixel) {
    const int32_t minutes = truncateToInt(static_cast<float>(offset) * secondsPerPixel / 60.0f);
    const int32_t seconds = truncateToInt(secondsPerPixel * static_cast<float>(offset)) % 60;
    const char* pattern = minutes < 10 ? (seconds < 10 ? "0%d:0%d" : "0%d:%d") : (seconds < 10 ? "%d:0%d" : "%d:%d");
    char text[48];
    std::snprintf(text, sizeof text, pattern, minutes, seconds);
    return text;
}

std::string timeLabelAfter(int64_t wholeSeconds, int32_t offset, float secondsPerPixel) {
    const int64_t total = wholeSeconds + truncateToInt(secondsPerPixel * static_cast<float>(offset));
    const int64_t minutes = total / 60;
    const int64_t seconds = total % 60;
    char text[48];
    std::snprintf(text, sizeof text, "%s%lld:%s%lld", minutes < 10 ? "0" : "", static_cast<long long>(minutes),
                  seconds < 10 ? "0" : "", static_cast<long long>(seconds));
    return text;
}

AxisLayout computeAxes(const TraceView& view) {
    AxisLayout axes;
    if (!view.roomToDraw) {
        return axes;
    }
    const StoredColour inverse = inverseColour(view.backgroundColour);
    const int32_t X0 = view.X0, X1 = view.X1, Y0 = view.Y0, Y1 = view.Y1;

    // Time axis.
    axes.labels.push_back({"(分钟)", X1 - 30, Y1 - 25, LabelAlign::Left, LabelVAlign::Top, inverse});
    if (view.virtualWidth > 0) {
        const int64_t range = std::max(view.timeRangeS, 1);
        const float p = static_cast<float>(range) / static_cast<float>(view.virtualWidth);
        const int64_t q = view.visibleWidth / 10;
        const int64_t width = view.virtualWidth;
        const int64_t visibleEnd = view.hScroll + view.visibleWidth;
        // Beyond the first time range the ticks repeat range by range, labelled with the time
        // of the whole ranges before them; a range shows only where it begins inside the plot.
        for (int64_t k = view.hScroll / width; k * width <= visibleEnd; ++k) {
            const int64_t base = k * width;
            if (k > 0 && base >= visibleEnd) break;
            const int64_t shift = static_cast<int64_t>(view.xOrigin) - view.hScroll + base;
            const int64_t nextRange = shift + width;  // screen x where the next range begins
            const bool nextShown = base + width < visibleEnd;
            forEachTick(p, q, range, std::max<int64_t>(view.hScroll - base, 0), [&](int64_t offset) {
                const int64_t x = offset + shift;
                if (x > X1 - 50) return false;  // every further tick lies further right
                // Near the next range's first tick a label would overlap it.
                if (nextShown && nextRange - x < q / 2) return false;
                if (x >= view.xOrigin) {
                    const int32_t xi = static_cast<int32_t>(x);
                    axes.ticks.push_back({xi, Y1 - 30, xi, Y1 - 25, inverse});
                    axes.labels.push_back({k == 0 ? timeLabel(static_cast<int32_t>(offset), p)
                                                  : timeLabelAfter(k * range, static_cast<int32_t>(offset), p),
                                           xi, Y1 - 24, LabelAlign::CentredOnX, LabelVAlign::Top, inverse});
                }
                return true;
            });
        }
    }

    // Signal axis.
    axes.labels.push_back({"(mV)", X0 + 25, Y0 + 10, LabelAlign::Left, LabelVAlign::Top, view.traceColour});
    const int64_t m = truncateToInt(static_cast<double>(view.voltRangeUv) / 1000.0);
    if (view.virtualHeight > 0 && m > 0) {
        const float p = static_cast<float>(m * 2) / static_cast<float>(view.virtualHeight);
        const int64_t q = view.visibleHeight / 10;
        const int64_t base = static_cast<int64_t>(midY(view)) + view.vMax / 2 - view.vScroll;
        const int64_t top = Y0 + 30;
        const int64_t bottom = Y1 - 30;
        auto tick = [&](int64_t offset, int64_t y, StoredColour colour) {
            const int32_t yi = static_cast<int32_t>(y);
            axes.ticks.push_back({X0 + 60, yi, X0 + 65, yi, colour});
            axes.labels.push_back({format("%.2f", static_cast<double>(static_cast<float>(offset) * p)), X0 + 60, yi,
                                   LabelAlign::RightAligned, LabelVAlign::Centred, view.traceColour});
        };
        // Positive side: offsets grow upwards (y = base − offset).
        forEachTick(p, q, m, base - bottom, [&](int64_t offset) {
            const int64_t y = base - offset;
            if (y < top) return false;
            if (y <= bottom) tick(offset, y, view.traceColour);
            return true;
        });
        // Negative side: s = 0, −1, .., −(m − 1), condition offset ≥ s / p, offset −= q. Mirrored
        // (offset' = −offset, s' = −s) it is the positive loop, since float32 division and
        // conversion are symmetric in the sign.
        forEachTick(p, q, m, top - base, [&](int64_t mirrored) {
            const int64_t offset = -mirrored;
            const int64_t y = base - offset;
            if (y > bottom) return false;
            if (y >= top) tick(offset, y, kBlack);
            return true;
        });
    }

    // Temperature axis.
    axes.labels.push_back({"(℃)", X1 - 43, Y0 + 10, LabelAlign::Left, LabelVAlign::Top, kTemperatureAxisColour});
    for (int32_t t = 100; t <= 1200; t += 100) {
        const int32_t y =
            (Y1 - 30) - truncateToInt(static_cast<float>(t) / 1200.0f * static_cast<float>(Y1 - Y0 - 60));
        axes.ticks.push_back({X1 - 50, y, X1 - 45, y, kTemperatureAxisColour});
        axes.labels.push_back(
            {std::to_string(t), X1 - 43, y, LabelAlign::Left, LabelVAlign::Centred, kTemperatureAxisColour});
    }
    return axes;
}

}  // namespace vespian
