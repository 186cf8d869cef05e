// The simultaneous kinetic fit against the trace window: the Polanyi–Wigner fit of four TPD
// runs of 5,000 points each (first order, 150 kJ/mol, ν = 10¹³ s⁻¹, heated at 10, 15, 20 and
// 30 ℃/min, with detector and thermocouple noise) against one full redraw of the trace view
// (1000 × 600 plot over a 10,000-point TPD trace), both in the same iteration. The requirement:
// the fit costs at most 300 redraws. BM_KineticsAgainstRedraw reports both mean times and their
// ratio as counters.

#include <benchmark/benchmark.h>

#include <chrono>
#include <cmath>
#include <cstdint>
#include <memory>
#include <random>
#include <vector>

#include "analysis/desorption_kinetics.h"
#include "analysis/kissinger.h"
#include "trace/chromatogram.h"
#include "trace/trace_drawing.h"

namespace {

using namespace vespian;

constexpr int32_t kRunPoints = 5'000;
constexpr int32_t kTracePoints = 10'000;

struct Runs {
    std::vector<std::vector<float>> signal, temperature;
    std::vector<KineticRun> runs;
    Runs() {
        std::mt19937 random(23);
        std::normal_distribution<float> thermocouple(0.0f, 0.2f), detector(0.0f, 0.05f);
        for (double rate : {10.0, 15.0, 20.0, 30.0}) {
            const double tm = firstOrderPeakTemperatureK(rate, 150e3, 1e13) - 273.15;
            std::vector<float> t(kRunPoints);
            for (int32_t i = 0; i < kRunPoints; ++i) t[i] = static_cast<float>(tm - 75.0 + rate / 300.0 * i);
            std::vector<float> s = polanyiWignerSignal(t, 0.2, 150.0, 1e13, 1.0, 3000.0);
            for (float& v : s) v += detector(random);
            for (float& v : t) v = std::round((v + thermocouple(random)) * 10.0f) / 10.0f;
            signal.push_back(std::move(s));
            temperature.push_back(std::move(t));
        }
        for (size_t r = 0; r < signal.size(); ++r) runs.push_back({signal[r], temperature[r]});
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

Runs& runs() {
    static Runs r;
    return r;
}

Scene& scene() {
    static Scene s;
    return s;
}

void BM_KineticsFit(benchmark::State& state) {
    KineticsOptions options;
    options.fitOrder = state.range(0) != 0;
    KineticsFit fit;
    for (auto _ : state) {
        fit = fitDesorptionKinetics(runs().runs, options);
        benchmark::DoNotOptimize(fit.runs.data());
    }
    state.counters["ok"] = fit.ok() ? 1 : 0;
    state.counters["iterations"] = fit.iterations;
    state.counters["E_kJ"] = fit.energyKJPerMol.value;
    state.counters["E_u_kJ"] = fit.energyKJPerMol.u;
    state.counters["status"] = static_cast<double>(fit.status);
}
BENCHMARK(BM_KineticsFit)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// One fit and one redraw in every iteration; the counters are their mean times and the ratio
// (limit 300).
void BM_KineticsAgainstRedraw(benchmark::State& state) {
    KineticsOptions options;
    options.fitOrder = state.range(0) != 0;
    Scene& s = scene();
    s.redraw();
    double fitSeconds = 0.0, redrawSeconds = 0.0;
    int64_t n = 0;
    bool ok = true;
    for (auto _ : state) {
        const auto t0 = std::chrono::steady_clock::now();
        const KineticsFit fit = fitDesorptionKinetics(runs().runs, options);
        const auto t1 = std::chrono::steady_clock::now();
        s.redraw();
        const auto t2 = std::chrono::steady_clock::now();
        benchmark::DoNotOptimize(fit.runs.data());
        ok = ok && fit.ok();
        fitSeconds += std::chrono::duration<double>(t1 - t0).count();
        redrawSeconds += std::chrono::duration<double>(t2 - t1).count();
        ++n;
    }
    state.counters["ms_fit"] = fitSeconds / static_cast<double>(n) * 1e3;
    state.counters["us_redraw"] = redrawSeconds / static_cast<double>(n) * 1e6;
    state.counters["ratio"] = fitSeconds / redrawSeconds;
    state.counters["ok"] = ok ? 1 : 0;
}
BENCHMARK(BM_KineticsAgainstRedraw)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

}  // namespace
