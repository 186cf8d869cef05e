// The trace exports of vespian-report on a full-length trace: CSV rows and the summary figures.
// A trace of 10,000,000 points (about 23 days at 5 points a second) should convert in seconds.

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <vector>

#include "files/trace_csv.h"
#include "files/trace_summary.h"

namespace {

struct Trace {
    explicit Trace(int32_t n) : signal(n), temperature(n) {
        for (int32_t i = 0; i < n; ++i) {
            signal[i] = 3.3f + 0.05f * std::sin(static_cast<float>(i) * 0.001f);
            temperature[i] = 25.0f + static_cast<float>(i % 60000) * 0.0175f;
        }
    }
    std::vector<float> signal;
    std::vector<float> temperature;
};

void BM_TraceCsv(benchmark::State& state) {
    const Trace trace(static_cast<int32_t>(state.range(0)));
    std::FILE* sink = std::fopen("/dev/null", "wb");
    for (auto _ : state) {
        benchmark::DoNotOptimize(
            vespian::writeTraceCsv(sink, trace.signal.data(), trace.temperature.data(), static_cast<int32_t>(state.range(0))));
    }
    std::fclose(sink);
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_TraceCsv)->Arg(1'000'000)->Arg(10'000'000)->Unit(benchmark::kMillisecond);

void BM_TraceSummary(benchmark::State& state) {
    const Trace trace(static_cast<int32_t>(state.range(0)));
    for (auto _ : state) {
        benchmark::DoNotOptimize(
            vespian::summarizeTrace(trace.signal.data(), trace.temperature.data(), static_cast<int32_t>(state.range(0))));
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_TraceSummary)->Arg(10'000'000)->Unit(benchmark::kMillisecond);

}  // namespace
