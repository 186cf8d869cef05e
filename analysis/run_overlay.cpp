#include "analysis/run_overlay.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>

namespace vespian {

namespace {

constexpr std::array<StoredColour, kMaxOverlayRuns> kRunColours = {
    storedFromRgb(200, 0, 100), storedFromRgb(0, 0, 160),   storedFromRgb(0, 150, 50),
    storedFromRgb(230, 120, 0), storedFromRgb(120, 0, 180), storedFromRgb(0, 140, 160),
    storedFromRgb(150, 80, 0),  storedFromRgb(220, 0, 0),   storedFromRgb(0, 90, 220),
    storedFromRgb(100, 100, 100), storedFromRgb(170, 150, 0), storedFromRgb(255, 0, 200),
};

bool finitePoint(float signal, float temperature) { return std::isfinite(signal) && std::isfinite(temperature); }

int32_t toPixel(double value, double first, double last, int32_t pixels) {
    const double share = (value - first) / (last - first);
    const double p = std::round(std::clamp(share, 0.0, 1.0) * (pixels - 1));
    return static_cast<int32_t>(p);
}

}  // namespace

int32_t AxisTicks::count() const {
    if (!(step > 0.0)) return 1;
    return static_cast<int32_t>(std::lround((last - first) / step)) + 1;
}

AxisTicks roundAxis(double lo, double hi, int32_t targetTicks) {
    if (!std::isfinite(lo) || !std::isfinite(hi)) lo = hi = 0.0;
    if (lo > hi) std::swap(lo, hi);
    if (hi - lo <= std::abs(lo) * 1e-12) {  // flat: a range of 1 around it keeps pixels finite
        lo -= 0.5;
        hi += 0.5;
    }
    const double raw = (hi - lo) / std::max(targetTicks, 1);
    const double magnitude = std::pow(10.0, std::floor(std::log10(raw)));
    double step = 10.0 * magnitude;
    for (double factor : {1.0, 2.0, 5.0}) {
        if (factor * magnitude >= raw * (1.0 - 1e-9)) {
            step = factor * magnitude;
            break;
        }
    }
    AxisTicks axis;
    axis.step = step;
    axis.first = std::floor(lo / step + 1e-9) * step;
    axis.last = std::ceil(hi / step - 1e-9) * step;
    return axis;
}

OverlayPlan planOverlay(std::span<const OverlayRun> runs, bool perGram) {
    OverlayPlan plan;
    plan.perGram = perGram;
    plan.runCount = static_cast<int32_t>(std::min<size_t>(runs.size(), kMaxOverlayRuns));
    double tLo = std::numeric_limits<double>::infinity(), tHi = -tLo;
    double sLo = tLo, sHi = -tLo;
    for (int32_t r = 0; r < plan.runCount; ++r) {
        const OverlayRun& run = runs[r];
        const bool weighed = std::isfinite(run.sampleWeightG) && run.sampleWeightG > 0.0;
        plan.unweighed[r] = perGram && !weighed;
        plan.scale[r] = !perGram ? 1.0 : weighed ? 1.0 / run.sampleWeightG : 0.0;
        if (plan.scale[r] == 0.0) continue;
        const size_t n = std::min(run.signalMv.size(), run.temperatureC.size());
        for (size_t i = 0; i < n; ++i) {
            if (!finitePoint(run.signalMv[i], run.temperatureC[i])) continue;
            const double s = run.signalMv[i] * plan.scale[r];
            tLo = std::min<double>(tLo, run.temperatureC[i]);
            tHi = std::max<double>(tHi, run.temperatureC[i]);
            sLo = std::min(sLo, s);
            sHi = std::max(sHi, s);
        }
    }
    if (tLo > tHi) {  // no point drawn at all
        plan.temperatureAxis = roundAxis(0.0, 0.0);
        plan.signalAxis = roundAxis(0.0, 0.0);
        return plan;
    }
    plan.status = runs.size() > static_cast<size_t>(kMaxOverlayRuns) ? OverlayStatus::TooManyRuns : OverlayStatus::Ok;
    plan.minTemperatureC = tLo;
    plan.maxTemperatureC = tHi;
    plan.minSignal = sLo;
    plan.maxSignal = sHi;
    plan.temperatureAxis = roundAxis(tLo, tHi);
    plan.signalAxis = roundAxis(sLo, sHi);
    return plan;
}

StoredColour overlayColour(int32_t run) {
    const int32_t n = kMaxOverlayRuns;
    return kRunColours[((run % n) + n) % n];
}

std::string overlayLegend(std::string_view sampleName, int32_t year, int32_t month, int32_t day) {
    std::string text(sampleName);
    if (year >= 1900 && year <= 9999 && month >= 1 && month <= 12 && day >= 1 && day <= 31) {
        char date[16];
        std::snprintf(date, sizeof date, "%04d-%02d-%02d", year, month, day);
        text += "  ";
        text += date;
    }
    return text;
}

void overlayPolyline(const OverlayRun& run, double scale, const OverlayPlan& plan, int32_t width, int32_t height,
                     std::vector<PlotPoint>& out) {
    out.clear();
    if (width < 1 || height < 1 || !(scale != 0.0) || !std::isfinite(scale)) return;
    const AxisTicks& tx = plan.temperatureAxis;
    const AxisTicks& sy = plan.signalAxis;
    if (!(tx.last > tx.first) || !(sy.last > sy.first)) return;

    auto push = [&](PlotPoint p) {
        if (out.empty() || out.back().x != p.x || out.back().y != p.y) out.push_back(p);
    };
    // One pixel column at a time: its first point, its extremes in the order they came, its last.
    bool open = false;
    PlotPoint first{}, last{}, low{}, high{};
    size_t lowAt = 0, highAt = 0;
    auto flush = [&] {
        push(first);
        if (lowAt <= highAt) {
            push(low);
            push(high);
        } else {
            push(high);
            push(low);
        }
        push(last);
    };
    const size_t n = std::min(run.signalMv.size(), run.temperatureC.size());
    for (size_t i = 0; i < n; ++i) {
        if (!finitePoint(run.signalMv[i], run.temperatureC[i])) continue;
        const PlotPoint p{toPixel(run.temperatureC[i], tx.first, tx.last, width),
                          height - 1 - toPixel(run.signalMv[i] * scale, sy.first, sy.last, height)};
        if (open && p.x == first.x) {
            if (p.y > low.y) {  // pixel rows grow downwards: the lowest signal has the largest y
                low = p;
                lowAt = i;
            }
            if (p.y < high.y) {
                high = p;
                highAt = i;
            }
            last = p;
            continue;
        }
        if (open) flush();
        open = true;
        first = last = low = high = p;
        lowAt = highAt = i;
    }
    if (open) flush();
}

}  // namespace vespian
