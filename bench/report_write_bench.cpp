// Writing a test report of 1000 points: the report file written as the header and the points in
// use, the rest of its 80,001,156 bytes left as a hole, against writing every byte of the
// record, in the same run, through the same temporary-file-and-rename save and with the same
// sync policy (arg 0: none, as the program saves; arg 1: fsync before the file is closed). The
// requirement: the quick write costs at most 1/20 of the full one. BM_ReportWriteRatio does
// both in each iteration and reports both times and their ratio (quick / full) as counters.

#include <benchmark/benchmark.h>

#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <memory>

#include "files/test_report.h"
#include "files/test_report_file.h"
#include "platform/replace_file.h"

namespace {

using namespace vespian;
namespace fs = std::filesystem;

constexpr int32_t kPoints = 1000;

struct Bench {
    std::unique_ptr<TestReport> report = std::make_unique<TestReport>();
    fs::path folder = fs::temp_directory_path() / "report_write_bench";
    Bench() {
        fs::create_directories(folder);
        report->header().reportPointCount = kPoints - 1;
        for (int32_t i = 0; i < kPoints; ++i) {
            report->signalMv()[i] = static_cast<float>(i) * 0.001f;
            report->temperatureC()[i] = 50.0f + static_cast<float>(i) * 0.1f;
        }
    }
    ~Bench() {
        std::error_code ignored;
        fs::remove_all(folder, ignored);
    }
};

Bench& bench() {
    static Bench b;
    return b;
}

bool syncFile(std::FILE* file) { return std::fflush(file) == 0 && ::fsync(::fileno(file)) == 0; }

// The whole record, every byte: the header and both full arrays.
bool writeEverything(const std::string& path, const TestReport& report, bool sync) {
    return replaceFile(path, [&](std::FILE* f) {
               return writeBlock(f, &report.header(), kTestReportHeaderBytes) &&
                      writeBlock(f, report.signalMv(), kReportArrayBytes) &&
                      writeBlock(f, report.temperatureC(), kReportArrayBytes) && (!sync || syncFile(f));
           }) == ReplaceFileStatus::Ok;
}

// The program's write, with the same sync step added when asked.
bool writeQuick(const std::string& path, const TestReport& report, bool sync) {
    if (!writeReportFile(path, report).ok) return false;
    if (!sync) return true;
    std::FILE* f = std::fopen(path.c_str(), "r+b");
    const bool ok = f != nullptr && syncFile(f);
    if (f != nullptr) std::fclose(f);
    return ok;
}

void BM_ReportWriteRatio(benchmark::State& state) {
    Bench& b = bench();
    const bool sync = state.range(0) != 0;
    const std::string quickPath = (b.folder / "quick.care").string();
    const std::string fullPath = (b.folder / "full.care").string();
    double quickSeconds = 0.0, fullSeconds = 0.0;
    int64_t n = 0;
    for (auto _ : state) {
        const auto t0 = std::chrono::steady_clock::now();
        if (!writeQuick(quickPath, *b.report, sync)) state.SkipWithError("quick write failed");
        const auto t1 = std::chrono::steady_clock::now();
        if (!writeEverything(fullPath, *b.report, sync)) state.SkipWithError("full write failed");
        const auto t2 = std::chrono::steady_clock::now();
        quickSeconds += std::chrono::duration<double>(t1 - t0).count();
        fullSeconds += std::chrono::duration<double>(t2 - t1).count();
        ++n;
    }
    if (fs::file_size(quickPath) != kTestReportBytes) state.SkipWithError("the quick file lost its size");
    state.counters["ms_quick"] = quickSeconds / static_cast<double>(n) * 1e3;
    state.counters["ms_full"] = fullSeconds / static_cast<double>(n) * 1e3;
    state.counters["ratio"] = quickSeconds / fullSeconds;
}
BENCHMARK(BM_ReportWriteRatio)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(10);

}  // namespace
