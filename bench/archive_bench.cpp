// The archive's two ratios, each measured in one run.
//
// BM_FindBySample: a find by sample over 100,000 archived runs (10 runs per sample), through the
// archive's own find, against the same find forced to read every run (SQLite's NOT INDEXED),
// with the same fetch of the found runs' results. Required: ratio (indexed / scan) ≤ 1/50.
//
// BM_RegistrationOfASave: the program's save of a trace (the trace file, its SHA-256 and the run
// record beside it) against the registration of that save in the archive (one transaction with
// its audit row). Arg: the trace's points (36,000 = two hours, 90,000 = five, 432,000
// = a day). Required: ratio (registration / save) ≤ 0.1. On a computer shared with other work
// the wall-clock times carry waits for the processor; cpu_ratio compares the processor time
// (the process's own, kernel included) of the two instead.

#include <benchmark/benchmark.h>

#include <unistd.h>

#include <chrono>
#include <ctime>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "archive/run_recorder.h"
#include "archive/sql_archive.h"
#include "archive/workstation.h"
#include "trace/chromatogram.h"
#include "trace/trace_file.h"

namespace {

using namespace vespian;
using Clock = std::chrono::steady_clock;
namespace fs = std::filesystem;

constexpr int kRuns = 100'000;
constexpr int kRunsPerSample = 10;

double seconds(Clock::time_point since) { return std::chrono::duration<double>(Clock::now() - since).count(); }

double cpuSeconds() {
    timespec t{};
    ::clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

struct Folder {
    fs::path path = fs::temp_directory_path() / ("vespian_archive_bench_" + std::to_string(::getpid()));
    Folder() { fs::create_directories(path); }
    ~Folder() {
        std::error_code ignored;
        fs::remove_all(path, ignored);
    }
};

Registration run(int i) {
    Registration r;
    r.id = newUniqueId();
    r.kind = SaveKind::Trace;
    r.path = "/data/SAVE/run" + std::to_string(i) + ".lne";
    r.sha256 = std::string(64, 'a');
    r.traceSha256 = r.sha256;
    r.sample = "sample-" + std::to_string(i % (kRuns / kRunsPerSample));
    r.sampleWeight = 0.1;
    r.weightUnit = "g";
    r.method = i % 2 ? "TPR" : "NH3-TPD";
    r.operatorName = "lab" + std::to_string(i % 7);
    r.instrument = "TRV-8800";
    r.savedMs = 1'767'225'600'000 + int64_t{i} * 60'000;
    r.results = {{"dispersion", 30.0 + i % 20, 0.5, "%", {}}, {"uptake", 12.0, 0.2, "µmol/g", {}}};
    r.parameters = {{"baseline", "linear"}, {"window", {120, 900}}};
    return r;
}

struct FindFixture {
    Folder folder;
    std::unique_ptr<SqlArchive> archive;
    FindFixture() {
        archive = openSqliteArchive((folder.path / "archive.sqlite").string()).archive;
        // Filled in one transaction of plain inserts: only the table's contents matter here.
        SqlConnection& c = archive->connection();
        c.run("BEGIN");
        for (int i = 0; i < kRuns; ++i) {
            const Registration r = run(i);
            const SqlResult row = c.run(
                "INSERT INTO registrations (id, kind, path, sha256, trace_sha256, sample, sample_weight, weight_unit,"
                " method, operator, instrument, started_ms, ended_ms, saved_ms, parameters)"
                " VALUES (?, 'trace', ?, ?, ?, ?, 0.1, 'g', ?, ?, ?, 0, 0, ?, '{}') RETURNING seq",
                {r.id, r.path, r.sha256, r.sha256, r.sample, r.method, r.operatorName, r.instrument, r.savedMs});
            for (int k = 0; k < 2; ++k) {
                c.run("INSERT INTO results (registration_seq, position, name, value, uncertainty, unit, flags)"
                      " VALUES (?, ?, ?, ?, 0.5, '%', '[]')",
                      {row.rows[0][0], int64_t{k}, std::string(k == 0 ? "dispersion" : "uptake"), 30.0 + i % 20});
            }
        }
        c.run("COMMIT");
        c.run("ANALYZE");
    }
    // The find's two statements with the index of samples barred.
    size_t scan(const std::string& sample) {
        SqlConnection& c = archive->connection();
        const SqlResult rows = c.run(
            "SELECT seq, id, kind, path, sha256, trace_sha256, sample, sample_weight, weight_unit, method, operator,"
            " instrument, instrument_serial, host, started_ms, ended_ms, saved_ms, parameters"
            " FROM registrations r NOT INDEXED WHERE 1 = 1 AND sample = ? ORDER BY saved_ms DESC, seq DESC LIMIT ?",
            {sample, int64_t{1000}});
        std::string in = "SELECT registration_seq, name, value, uncertainty, unit, flags FROM results"
                         " WHERE registration_seq IN (";
        std::vector<SqlValue> seqs;
        for (size_t i = 0; i < rows.rows.size(); ++i) {
            in += i == 0 ? "?" : ", ?";
            seqs.push_back(rows.rows[i][0]);
        }
        in += ") ORDER BY registration_seq, position";
        c.run(in, seqs);
        return rows.rows.size();
    }
};

void BM_FindBySample(benchmark::State& state) {
    static FindFixture fixture;
    double indexed = 0.0, scanned = 0.0;
    int i = 0;
    for (auto _ : state) {
        FindQuery q;
        q.sample = "sample-" + std::to_string((i++ * 7919) % (kRuns / kRunsPerSample));
        auto t0 = Clock::now();
        const FindResult found = fixture.archive->find(q);
        indexed += seconds(t0);
        t0 = Clock::now();
        const size_t scannedRuns = fixture.scan(q.sample);
        scanned += seconds(t0);
        if (!found.ok || found.saves.size() != kRunsPerSample || scannedRuns != kRunsPerSample) {
            state.SkipWithError("the find did not find the sample's runs");
            break;
        }
    }
    const double n = static_cast<double>(state.iterations());
    state.counters["indexed_us"] = indexed / n * 1e6;
    state.counters["scan_us"] = scanned / n * 1e6;
    state.counters["ratio"] = indexed / scanned;
}
BENCHMARK(BM_FindBySample)->Iterations(200)->Unit(benchmark::kMicrosecond);

void BM_RegistrationOfASave(benchmark::State& state) {
    Folder folder;
    const int32_t points = static_cast<int32_t>(state.range(0));
    auto trace = std::make_unique<Chromatogram>();
    std::vector<float> signal(static_cast<size_t>(points)), temperature(static_cast<size_t>(points));
    for (int32_t i = 0; i < points; ++i) {
        signal[static_cast<size_t>(i)] = 0.001f * static_cast<float>(i % 1000);
        temperature[static_cast<size_t>(i)] = 50.0f + 0.01f * static_cast<float>(i);
    }
    trace->replace(signal.data(), temperature.data(), points);
    auto archive = openSqliteArchive((folder.path / "archive.sqlite").string()).archive;
    RunRecorder recorder;
    recorder.begin(1'767'225'600'000);
    recorder.furnaceStarted(1'767'225'660'000, 50, {{800, 10, 30}});
    double saving = 0.0, registering = 0.0, savingCpu = 0.0, registeringCpu = 0.0;
    int i = 0;
    for (auto _ : state) {
        const std::string path = (folder.path / ("run" + std::to_string(i++ % 4) + ".lne")).string();
        auto t0 = Clock::now();
        double c0 = cpuSeconds();
        const bool saved = saveTraceFile(path, *trace).ok;
        const RunRecordWrite record = writeRunRecordBeside(path, recorder.record(1'767'229'200'000, points));
        saving += seconds(t0);
        savingCpu += cpuSeconds() - c0;
        // What a trace's save registers: the file and the run's facts; results and parameters
        // belong to the reports and evaluations made from it.
        Registration r = run(i);
        r.path = path;
        r.sha256 = record.traceSha256;
        r.traceSha256 = record.traceSha256;
        r.results.clear();
        r.parameters = nlohmann::json::object();
        t0 = Clock::now();
        c0 = cpuSeconds();
        const ArchiveOutcome outcome = archive->registerSave(r);
        registering += seconds(t0);
        registeringCpu += cpuSeconds() - c0;
        if (!saved || !record.ok || !outcome.ok) {
            state.SkipWithError("the save or its registration failed");
            break;
        }
    }
    const double n = static_cast<double>(state.iterations());
    state.counters["save_us"] = saving / n * 1e6;
    state.counters["registration_us"] = registering / n * 1e6;
    state.counters["ratio"] = registering / saving;
    state.counters["cpu_ratio"] = registeringCpu / savingCpu;
}
BENCHMARK(BM_RegistrationOfASave)->Arg(36'000)->Arg(90'000)->Arg(432'000)->Iterations(100)->Unit(benchmark::kMillisecond);

}  // namespace
