// The whole-trace peak recogniser (the re-evaluation of a saved trace) against one pass that sums
// the same signal array, measured in one run. The trace: 10,000,000 points (23 days at 5 points
// a second), a noisy baseline with a calibration-sized peak every 3,000 points. Required: ratio
// (recogniser / summing pass) ≤ 20.

#include <benchmark/benchmark.h>

#include <chrono>
#include <cmath>
#include <cstdint>
#include <vector>

#include "app/trace_reevaluation.h"
#include "trace/init_data.h"

namespace {

using namespace vespian;
using Clock = std::chrono::steady_clock;

constexpr int32_t kPoints = 10'000'000;
constexpr int32_t kPeakEvery = 3'000;

double seconds(Clock::time_point since) { return std::chrono::duration<double>(Clock::now() - since).count(); }

const std::vector<float>& longTrace() {
    static const std::vector<float> signal = [] {
        std::vector<float> s(static_cast<size_t>(kPoints));
        uint32_t noise = 12345;
        for (int32_t i = 0; i < kPoints; ++i) {
            noise = noise * 1664525u + 1013904223u;
            const double jitter = (static_cast<double>(noise >> 8) / 16777216.0 - 0.5) * 0.004;  // ±2 µV
            const double x = static_cast<double>(i % kPeakEvery - 1000) / 100.0;
            s[static_cast<size_t>(i)] = static_cast<float>(jitter + 20.0 * std::exp(-0.5 * x * x));  // mV
        }
        return s;
    }();
    return signal;
}

void BM_RecogniserOverAWholeTrace(benchmark::State& state) {
    const std::vector<float>& signal = longTrace();
    double recognising = 0.0, summing = 0.0;
    size_t peaks = 0;
    for (auto _ : state) {
        auto t0 = Clock::now();
        double sum = 0.0;
        for (float v : signal) sum += v;
        benchmark::DoNotOptimize(sum);
        summing += seconds(t0);
        t0 = Clock::now();
        const std::vector<FoundPeak> found = recognisePeaks(signal.data(), kPoints, kPeakSettingsPreset);
        recognising += seconds(t0);
        peaks = found.size();
        benchmark::DoNotOptimize(found.data());
    }
    if (peaks < static_cast<size_t>(kPoints / kPeakEvery) * 9 / 10) {
        state.SkipWithError("the recogniser missed the trace's peaks");
        return;
    }
    const double n = static_cast<double>(state.iterations());
    state.counters["peaks"] = static_cast<double>(peaks);
    state.counters["recogniser_ms"] = recognising / n * 1e3;
    state.counters["sum_ms"] = summing / n * 1e3;
    state.counters["ratio"] = recognising / summing;
}
BENCHMARK(BM_RecogniserOverAWholeTrace)->Iterations(3)->Unit(benchmark::kMillisecond);

}  // namespace
