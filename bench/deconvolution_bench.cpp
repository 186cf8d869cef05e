// Peak deconvolution against the trace window: a Levenberg–Marquardt fit of four overlapping
// components to a 50,000-point stretch (nearly three hours of trace) against one full redraw of
// the trace view (1000 × 600 plot over a 10,000-point TPD trace), both in the same iteration.
// The requirement: the fit costs at most 500 redraws, so it feels immediate. BM_FitAgainstRedraw
// reports both mean times and their ratio as counters.

#include <benchmark/benchmark.h>

#include <chrono>
#include <cmath>
#include <cstdint>
#include <memory>
#include <random>
#include <vector>

#include "analysis/gaussian_fit.h"
#include "trace/chromatogram.h"
#include "trace/trace_drawing.h"

namespace {

using namespace vespian;

constexpr int32_t kStretchPoints = 50'000;
constexpr int32_t kTracePoints = 10'000;

// Four desorption peaks that run into each other, a little noise, a ramp of 0.05 ℃ a point;
// the operator's Tm clicks lie a few hundred points off the true maxima.
struct Stretch {
    std::vector<float> signal = std::vector<float>(kStretchPoints);
    std::vector<float> temperature = std::vector<float>(kStretchPoints);
    std::vector<int32_t> starts = {11'600, 19'500, 26'700, 36'400};
    Stretch() {
        struct Peak { double centre, height, rising, falling; };
        const Peak peaks[] = {{12'000, 6.0, 2'600, 1'900}, {19'000, 9.0, 3'000, 2'300},
                              {27'000, 4.0, 2'800, 2'200}, {36'000, 7.0, 3'600, 2'700}};
        std::mt19937 random(17);
        std::normal_distribution<float> noise(0.0f, 0.02f);
        for (int32_t i = 0; i < kStretchPoints; ++i) {
            double v = 0.0;
            for (const Peak& p : peaks) {
                const double z = (i - p.centre) / (i < p.centre ? p.rising : p.falling);
                v += p.height * std::exp(-0.5 * z * z);
            }
            signal[i] = static_cast<float>(v) + noise(random);
            temperature[i] = 50.0f + 0.05f * static_cast<float>(i);
        }
    }
};

// The trace window showing a TPD run of 10,000 points in full.
struct Scene {
    std::unique_ptr<Chromatogram> trace = std::make_unique<Chromatogram>();
    std::unique_ptr<TraceRenderer> renderer = std::make_unique<TraceRenderer>();
    TraceView view;
    std::vector<uint32_t> pixels;
    PixelSurface surface;
    Scene() {
        float* signal = trace->signalMv();
        float* temperature = trace->temperatureC();
        std::mt19937 random(5);
        std::normal_distribution<float> noise(0.0f, 0.02f);
        for (int32_t i = 0; i < kTracePoints; ++i) {
            const float t = 40.0f + 860.0f * static_cast<float>(i) / kTracePoints;
            float peaks = 0.0f;
            for (float centre : {180.0f, 350.0f, 520.0f, 700.0f}) {
                const float z = (t - centre) / 40.0f;
                peaks += 2.0f * std::exp(-0.5f * z * z);
            }
            signal[i] = peaks + noise(random);
            temperature[i] = std::round(t * 10.0f) / 10.0f;
        }
        trace->replace(signal, temperature, kTracePoints);
        view.timeRangeS = kTracePoints / 5;
        view.voltRangeUv = 5000;
        setViewArea(view, 30 + 115 + 1000 + 50, 105 + 60 + 600 + 15);
        layoutTraceView(view);
        pixels.assign(static_cast<size_t>(view.areaRight + 10) * (view.areaBottom + 10), 0xFFFFFFFFu);
        surface = PixelSurface{pixels.data(), view.areaRight + 10, view.areaBottom + 10, view.areaRight + 10};
    }
    void redraw() {
        const AxisLayout axes = renderer->drawFullView(surface, view, *trace);
        benchmark::DoNotOptimize(axes.labels.data());
        benchmark::DoNotOptimize(pixels.data());
    }
};

Stretch& stretch() {
    static Stretch s;
    return s;
}

Scene& scene() {
    static Scene s;
    return s;
}

DeconvolutionResult fit(PeakShape shape) {
    Stretch& s = stretch();
    FitOptions options;
    options.shape = shape;
    return fitPeakComponents(s.signal, s.temperature, s.starts, options);
}

void BM_Deconvolution(benchmark::State& state) {
    const auto shape = static_cast<PeakShape>(state.range(0));
    DeconvolutionResult result;
    for (auto _ : state) {
        result = fit(shape);
        benchmark::DoNotOptimize(result.components.data());
    }
    state.counters["converged"] = result.converged() ? 1 : 0;
    state.counters["iterations"] = result.iterations;
    state.counters["rms_uV"] = result.rmsResidualMv * 1000.0;
}
BENCHMARK(BM_Deconvolution)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

void BM_FullRedraw(benchmark::State& state) {
    Scene& s = scene();
    s.redraw();
    for (auto _ : state) s.redraw();
}
BENCHMARK(BM_FullRedraw)->Unit(benchmark::kMicrosecond);

// One fit and one redraw in every iteration; the counters are their mean times and the ratio
// (limit 500).
void BM_FitAgainstRedraw(benchmark::State& state) {
    const auto shape = static_cast<PeakShape>(state.range(0));
    Scene& s = scene();
    s.redraw();
    double fitSeconds = 0.0, redrawSeconds = 0.0;
    int64_t n = 0;
    bool converged = true;
    for (auto _ : state) {
        const auto t0 = std::chrono::steady_clock::now();
        const DeconvolutionResult result = fit(shape);
        const auto t1 = std::chrono::steady_clock::now();
        s.redraw();
        const auto t2 = std::chrono::steady_clock::now();
        benchmark::DoNotOptimize(result.components.data());
        converged = converged && result.converged();
        fitSeconds += std::chrono::duration<double>(t1 - t0).count();
        redrawSeconds += std::chrono::duration<double>(t2 - t1).count();
        ++n;
    }
    state.counters["ms_fit"] = fitSeconds / static_cast<double>(n) * 1e3;
    state.counters["us_redraw"] = redrawSeconds / static_cast<double>(n) * 1e6;
    state.counters["ratio"] = fitSeconds / redrawSeconds;
    state.counters["converged"] = converged ? 1 : 0;
}
BENCHMARK(BM_FitAgainstRedraw)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

}  // namespace
