// Saving and loading a full record database (24,680,012 bytes) against writing and reading the
// same bytes with plain file calls, in the same run. The save writes a temporary file, steps
// its progress callback three times and renames the file over the target; the load checks the
// header and length, reads into fresh tables and swaps them in. The counter `ratio` is each
// operation's time over its plain baseline, both measured in every iteration; the save may
// cost at most 2 × the plain write.

#include <benchmark/benchmark.h>

#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "files/record_database.h"

namespace {

using namespace vespian;
using Clock = std::chrono::steady_clock;

struct Fixture {
    Fixture() {
        folder = std::filesystem::temp_directory_path() / ("vespian_database_bench_" + std::to_string(::getpid()));
        std::filesystem::create_directories(folder);
        DatabaseTables& t = database.tables();
        t.standards.count = kStandardCapacity;
        t.samples.count = kSampleCapacity;
        t.reports.count = kReportCapacity;
        // Every page touched, with bytes that differ, as a full database of real records.
        auto* bytes = reinterpret_cast<unsigned char*>(&t);
        for (size_t i = 0; i < sizeof t; i += 64) bytes[i] = static_cast<unsigned char>(i >> 6);
        t.standards.count = kStandardCapacity;
        t.samples.count = kSampleCapacity;
        t.reports.count = kReportCapacity;
        image.resize(kFullDatabaseBytes);
    }
    ~Fixture() {
        std::error_code ignored;
        std::filesystem::remove_all(folder, ignored);
    }

    // The baseline: the same four blocks written with fopen/fwrite/fclose.
    double plainWrite(const std::string& path) {
        const auto start = Clock::now();
        std::FILE* file = std::fopen(path.c_str(), "wb");
        const DatabaseTables& t = database.tables();
        const int32_t counts[3] = {t.standards.count, t.samples.count, t.reports.count};
        std::fwrite(counts, sizeof counts, 1, file);
        std::fwrite(t.standards.records, sizeof t.standards.records, 1, file);
        std::fwrite(t.samples.records, sizeof t.samples.records, 1, file);
        std::fwrite(t.reports.records, sizeof t.reports.records, 1, file);
        std::fclose(file);
        return std::chrono::duration<double>(Clock::now() - start).count();
    }

    double plainRead(const std::string& path) {
        const auto start = Clock::now();
        std::FILE* file = std::fopen(path.c_str(), "rb");
        const size_t got = std::fread(image.data(), 1, image.size(), file);
        std::fclose(file);
        benchmark::DoNotOptimize(got);
        return std::chrono::duration<double>(Clock::now() - start).count();
    }

    std::filesystem::path folder;
    RecordDatabase database;
    std::vector<char> image;
};

Fixture& fixture() {
    static Fixture f;
    return f;
}

void BM_SaveAgainstPlainWrite(benchmark::State& state) {
    Fixture& f = fixture();
    const std::string target = (f.folder / "lab.03D").string();
    const std::string plain = (f.folder / "plain.03D").string();
    double saved = 0.0, written = 0.0;
    int steps = 0;
    for (auto _ : state) {
        written += f.plainWrite(plain);
        const auto start = Clock::now();
        const DatabaseFileResult result = saveDatabase(target, f.database, [&] { ++steps; });
        saved += std::chrono::duration<double>(Clock::now() - start).count();
        if (!result.ok) state.SkipWithError("save failed");
    }
    state.counters["save_ms"] = 1e3 * saved / double(state.iterations());
    state.counters["plain_ms"] = 1e3 * written / double(state.iterations());
    state.counters["ratio"] = saved / written;
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(kFullDatabaseBytes) * 2);
    benchmark::DoNotOptimize(steps);
}
BENCHMARK(BM_SaveAgainstPlainWrite)->Unit(benchmark::kMillisecond)->Iterations(20);

void BM_LoadAgainstPlainRead(benchmark::State& state) {
    Fixture& f = fixture();
    const std::string target = (f.folder / "load.03D").string();
    if (!saveDatabase(target, f.database).ok) {
        state.SkipWithError("save failed");
        return;
    }
    RecordDatabase loaded;
    double load = 0.0, read = 0.0;
    for (auto _ : state) {
        read += f.plainRead(target);
        const auto start = Clock::now();
        const DatabaseFileResult result = loadDatabase(target, loaded);
        load += std::chrono::duration<double>(Clock::now() - start).count();
        if (!result.ok) state.SkipWithError("load failed");
    }
    state.counters["load_ms"] = 1e3 * load / double(state.iterations());
    state.counters["plain_ms"] = 1e3 * read / double(state.iterations());
    state.counters["ratio"] = load / read;
}
BENCHMARK(BM_LoadAgainstPlainRead)->Unit(benchmark::kMillisecond)->Iterations(20);

}  // namespace
