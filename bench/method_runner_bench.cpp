// The method runner's cost per display tick against the tick's 100 ms. The dearest steps are
// measured: a wait for a stable baseline judged over two hours of trace (the longest window a
// method may ask for, fitted anew every tick) and a pulse series recognising its peaks point by
// point. The counter tick_share_percent is the runner's share of a tick; it must stay at or
// below 1 %.

#include <benchmark/benchmark.h>

#include <cmath>
#include <vector>

#include "control/control_state.h"
#include "method/method_runner.h"

namespace {

using namespace vespian;

constexpr double kTickS = 0.1;
constexpr int32_t kPoints = 1'000'000;

struct Trace {
    std::vector<float> signal = std::vector<float>(kPoints);
    std::vector<float> temperature = std::vector<float>(kPoints, 25.0f);
    Trace() {
        uint32_t noise = 1;
        for (int32_t i = 0; i < kPoints; ++i) {
            noise = noise * 1664525u + 1013904223u;
            // A baseline drifting by 1 mV a minute, so the stable wait never ends, and pulses.
            const double t = i / 5.0;
            const double pulse = 20.0 * std::exp(-std::pow(std::fmod(t, 60.0) - 10.0, 2) / 8.0);
            signal[static_cast<size_t>(i)] = static_cast<float>(t / 60.0 + pulse + (noise >> 24) / 2560.0);
        }
    }
};

MethodFile methodWith(const MethodStep& step) {
    MethodFile method;
    method.name = "bench";
    method.sample.name = "S";
    method.sample.weightG = 0.1;
    method.steps = {step};
    return method;
}

void runTicks(benchmark::State& state, const MethodStep& step, int32_t firstPoints) {
    static const Trace trace;
    ControlState control{};
    FlowChannels flows{};
    MethodRunner runner(control, flows);
    RunnerInput input;
    input.signalMv = trace.signal.data();
    input.temperatureC = trace.temperature.data();
    input.pointCount = 100;
    runner.start(methodWith(step), input);
    input.pointCount = firstPoints;
    int32_t half = 0;
    for (auto _ : state) {
        // Five points a second: a new point every other tick.
        input.nowS += kTickS;
        if ((++half & 1) == 0 && input.pointCount < kPoints - 1) ++input.pointCount;
        benchmark::DoNotOptimize(runner.tick(input).frames.size());
    }
    // Seconds per tick (CPU) as a percentage of the tick's period.
    state.counters["tick_share_percent"] = benchmark::Counter(
        kTickS / 100.0, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

void BM_StableBaselineOverTwoHours(benchmark::State& state) {
    WaitStep wait;
    wait.until = WaitKind::Stable;
    wait.minutes = 120;
    wait.driftMvPerMin = 0.001;
    runTicks(state, wait, 100 + 120 * 300 + 10);
}
// Fixed counts: the trace must not run out of points, or the runner sees a silent link.
BENCHMARK(BM_StableBaselineOverTwoHours)->Iterations(20000);

void BM_PulseSeries(benchmark::State& state) {
    PulsesStep pulses;
    pulses.maxCount = 100;
    pulses.agreePercent = 0.1;
    runTicks(state, pulses, 200);
}
BENCHMARK(BM_PulseSeries)->Iterations(1'000'000);

}  // namespace
