// Redrawing the trace window: a plot of 1000 × 600 pixels whose time range covers 10,000 points
// against one whose time range covers 10,000,000 points (9,999,999 shown, the store's limit).
// The requirement: the big one costs at most 3 × the small one. BM_RedrawRatio draws both in the
// same iteration and reports both times and their ratio as counters. BM_RedrawFarEndRatio does
// the same for the small time range scrolled to the far end of the big trace.
//
// The traces are TPD-like: a noisy, slightly drifting baseline with desorption peaks while the
// temperature ramps from 40 to 900 ℃ (0.1 ℃ resolution, a little noise). Both traces have the
// same shape; the big one is sampled 1000 times as densely. A second shape ("cycles": the run
// repeated 100 times, so every pixel column of the big plot holds a tenth of a ramp, 40 pixels
// of temperature, and many hold a peak crossing it) shows the other end of the scale.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <memory>
#include <vector>

#include "trace/chromatogram.h"
#include "trace/trace_drawing.h"

namespace {

using namespace vespian;

constexpr int32_t kSmall = 10'000;
constexpr int32_t kBig = 10'000'000;  // time range; the store shows at most kLastPointIndex points
constexpr int32_t kPlotWidth = 1000;
constexpr int32_t kPlotHeight = 600;

enum class Shape { Tpd, Cycles };

// Deterministic noise without <random>'s cost: xorshift, summed for a rough Gaussian.
struct Noise {
    uint64_t state = 0x9E3779B97F4A7C15ull;
    float uniform() {
        state ^= state << 13;
        state ^= state >> 7;
        state ^= state << 17;
        return static_cast<float>(state >> 40) / 16777216.0f - 0.5f;
    }
    float gauss() { return (uniform() + uniform() + uniform() + uniform()) * 1.7f; }
};

// One TPD run over `length` points, at position u in 0 .. 1: temperature and the peak signal.
void tpdAt(float u, float& temperature, float& peaks) {
    temperature = 40.0f + 860.0f * u;
    struct Peak { float centre, width, height, tail; };
    static constexpr Peak kPeaks[] = {{180.0f, 28.0f, 0.9f, 1.6f}, {350.0f, 40.0f, 2.6f, 1.4f},
                                      {520.0f, 35.0f, 1.3f, 1.8f}, {700.0f, 55.0f, 3.1f, 1.3f}};
    peaks = 0.0f;
    for (const Peak& p : kPeaks) {
        const float z = (temperature - p.centre) / (temperature > p.centre ? p.width * p.tail : p.width);
        if (z > -6.0f && z < 6.0f) peaks += p.height * std::exp(-0.5f * z * z);
    }
}

void fillTrace(Chromatogram& trace, int32_t points, Shape shape) {
    float* signal = trace.signalMv();
    float* temperature = trace.temperatureC();
    Noise noise;
    const int32_t period = shape == Shape::Cycles ? std::max(points / 100, 1) : points;
    for (int32_t i = 0; i < points; ++i) {
        const float u = static_cast<float>(i % period) / static_cast<float>(period);
        float t = 0.0f, peaks = 0.0f;
        tpdAt(u, t, peaks);
        const float drift = 0.15f * std::sin(6.2831853f * static_cast<float>(i) / static_cast<float>(points));
        signal[i] = drift + peaks + 0.02f * noise.gauss();
        temperature[i] = std::round((t + 0.3f * noise.gauss()) * 10.0f) / 10.0f;
    }
    trace.replace(signal, temperature, points);  // the store's own arrays: only the counters change
}

struct Scene {
    std::unique_ptr<Chromatogram> trace = std::make_unique<Chromatogram>();
    std::unique_ptr<TraceRenderer> renderer = std::make_unique<TraceRenderer>();  // with its pyramid
    TraceView view;
    std::vector<uint32_t> pixels;
    PixelSurface surface;
    Scene(int32_t range, Shape shape) {
        fillTrace(*trace, std::min(range, kLastPointIndex), shape);
        view.timeRangeS = range / 5;
        view.voltRangeUv = 5000;  // ±5 mV: 60 pixels per mV
        setViewArea(view, 30 + 115 + kPlotWidth + 50, 105 + 60 + kPlotHeight + 15);
        layoutTraceView(view);
        pixels.assign(static_cast<size_t>(view.areaRight + 10) * (view.areaBottom + 10), 0xFFFFFFFFu);
        surface = PixelSurface{pixels.data(), view.areaRight + 10, view.areaBottom + 10, view.areaRight + 10};
    }
};

Scene& scene(int32_t range, Shape shape) {
    static Scene smallTpd(kSmall, Shape::Tpd);
    static Scene bigTpd(kBig, Shape::Tpd);
    if (shape == Shape::Cycles) {
        static Scene smallCycles(kSmall, Shape::Cycles);
        static Scene bigCycles(kBig, Shape::Cycles);
        return range == kSmall ? smallCycles : bigCycles;
    }
    return range == kSmall ? smallTpd : bigTpd;
}

void fullRedraw(Scene& s) {
    const AxisLayout axes = s.renderer->drawFullView(s.surface, s.view, *s.trace);
    benchmark::DoNotOptimize(axes.labels.data());
    benchmark::DoNotOptimize(s.pixels.data());
}

void BM_FullRedraw(benchmark::State& state) {
    Scene& s = scene(static_cast<int32_t>(state.range(0)), static_cast<Shape>(state.range(1)));
    fullRedraw(s);  // the pyramid is built (once, after an edit) outside the timing
    for (auto _ : state) fullRedraw(s);
    state.counters["points"] = s.trace->shownCount();
}
BENCHMARK(BM_FullRedraw)
    ->Args({kSmall, 0})
    ->Args({kBig, 0})
    ->Args({kSmall, 1})
    ->Args({kBig, 1})
    ->Unit(benchmark::kMicrosecond);

void BM_TraceOnly(benchmark::State& state) {
    Scene& s = scene(static_cast<int32_t>(state.range(0)), static_cast<Shape>(state.range(1)));
    s.renderer->drawTrace(s.surface, s.view, *s.trace);
    for (auto _ : state) {
        s.renderer->drawTrace(s.surface, s.view, *s.trace);
        benchmark::DoNotOptimize(s.pixels.data());
    }
    const TraceRenderer::Stats& st = s.renderer->lastStats();
    state.counters["columns"] = st.columnsFromPyramid;
    state.counters["crossings_resolved"] = st.overlapsResolved;
    state.counters["crossings_pointwise"] = st.overlapsPointByPoint;
    state.counters["points_looped"] = static_cast<double>(st.pointsLooped);
    state.counters["overlap_queries"] = static_cast<double>(st.overlapQueries);
}
BENCHMARK(BM_TraceOnly)
    ->Args({kSmall, 0})
    ->Args({kBig, 0})
    ->Args({kSmall, 1})
    ->Args({kBig, 1})
    ->Unit(benchmark::kMicrosecond);

// Both redraws in every iteration; the counters are the mean times and their ratio.
void BM_RedrawRatio(benchmark::State& state) {
    const Shape shape = static_cast<Shape>(state.range(0));
    Scene& small = scene(kSmall, shape);
    Scene& big = scene(kBig, shape);
    fullRedraw(small);
    fullRedraw(big);
    double smallSeconds = 0.0, bigSeconds = 0.0;
    int64_t n = 0;
    for (auto _ : state) {
        const auto t0 = std::chrono::steady_clock::now();
        fullRedraw(small);
        const auto t1 = std::chrono::steady_clock::now();
        fullRedraw(big);
        const auto t2 = std::chrono::steady_clock::now();
        smallSeconds += std::chrono::duration<double>(t1 - t0).count();
        bigSeconds += std::chrono::duration<double>(t2 - t1).count();
        ++n;
    }
    state.counters["us_10k"] = smallSeconds / static_cast<double>(n) * 1e6;
    state.counters["us_10M"] = bigSeconds / static_cast<double>(n) * 1e6;
    state.counters["ratio"] = bigSeconds / smallSeconds;
}
BENCHMARK(BM_RedrawRatio)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

// Following a long run: the same 10,000-point time range, once over a trace of 10,000 points at
// its start and once scrolled to the far end of a 9,999,999-point trace (1000 time ranges in).
// The far end must cost what the start costs (ratio about 1).
void BM_RedrawFarEndRatio(benchmark::State& state) {
    Scene& small = scene(kSmall, Shape::Tpd);
    Scene& big = scene(kBig, Shape::Tpd);
    TraceView far = small.view;
    setRecordedPoints(far, big.trace->shownCount());
    far.hScroll = far.hMax;
    auto draw = [](Scene& s, TraceView& view) {
        const AxisLayout axes = s.renderer->drawFullView(s.surface, view, *s.trace);
        benchmark::DoNotOptimize(axes.labels.data());
        benchmark::DoNotOptimize(s.pixels.data());
    };
    draw(small, small.view);
    draw(big, far);
    if (visibleIndexRange(far).first < kLastPointIndex - 2 * kSmall) state.SkipWithError("not at the far end");
    double startSeconds = 0.0, farSeconds = 0.0;
    int64_t n = 0;
    for (auto _ : state) {
        const auto t0 = std::chrono::steady_clock::now();
        draw(small, small.view);
        const auto t1 = std::chrono::steady_clock::now();
        draw(big, far);
        const auto t2 = std::chrono::steady_clock::now();
        startSeconds += std::chrono::duration<double>(t1 - t0).count();
        farSeconds += std::chrono::duration<double>(t2 - t1).count();
        ++n;
    }
    state.counters["us_start"] = startSeconds / static_cast<double>(n) * 1e6;
    state.counters["us_far_end"] = farSeconds / static_cast<double>(n) * 1e6;
    state.counters["ratio"] = farSeconds / startSeconds;
    state.counters["first_index"] = visibleIndexRange(far).first;
}
BENCHMARK(BM_RedrawFarEndRatio)->Unit(benchmark::kMicrosecond);

// For comparison: the big trace drawn point by point (the pyramid switched off).
void BM_TracePointByPoint(benchmark::State& state) {
    Scene& s = scene(static_cast<int32_t>(state.range(0)), Shape::Tpd);
    TraceRenderer& r = *s.renderer;
    const int32_t threshold = r.columnThreshold();
    r.setColumnThreshold(INT32_MAX);
    for (auto _ : state) {
        r.drawTrace(s.surface, s.view, *s.trace);
        benchmark::DoNotOptimize(s.pixels.data());
    }
    r.setColumnThreshold(threshold);
}
BENCHMARK(BM_TracePointByPoint)->Arg(kSmall)->Arg(kBig)->Unit(benchmark::kMillisecond);

// Building the pyramid over 9,999,999 points (after an edit), and taking over one point.
void BM_PyramidRebuild(benchmark::State& state) {
    Scene& s = scene(kBig, Shape::Tpd);
    MinMaxPyramid& p = s.renderer->pyramid();
    for (auto _ : state) {
        p.rebuild(s.trace->signalMv(), s.trace->temperatureC(), s.trace->shownCount());
        benchmark::DoNotOptimize(p.count());
    }
    p.invalidate();
}
BENCHMARK(BM_PyramidRebuild)->Unit(benchmark::kMillisecond);

void BM_IncrementalPoint(benchmark::State& state) {
    Scene& s = scene(kBig, Shape::Tpd);
    int32_t n = 1;
    for (auto _ : state) {
        benchmark::DoNotOptimize(s.renderer->drawPoint(s.surface, s.view, *s.trace, n));
        n = n % (kLastPointIndex - 1) + 1;
    }
}
BENCHMARK(BM_IncrementalPoint);

}  // namespace
