// The acquisition path at full speed: frames read one byte per driver call by the acquisition
// thread, decoded, averaged and appended to the trace. The analyser's line delivers 960 frames
// per second (38400 baud, 10 bits a byte, 4 bytes a frame); the counter line_rate_multiple says
// how many times that rate the path keeps up with. BM_AcquisitionWithJournalRatio runs the path
// once alone and once while the recovery journal is brought up to date from another thread
// (every millisecond or every 100 ms, far more often than the program's every two seconds) and
// reports the ratio of the two times: the journal must cost the acquisition path nothing
// measurable.

#include <benchmark/benchmark.h>

#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "link/instrument_link.h"
#include "trace/chromatogram.h"
#include "trace/recovery_journal.h"

namespace {

using namespace vespian;

constexpr double kLineFramesPerSecond = 38400.0 / 10.0 / 4.0;
constexpr size_t kFramesPerRun = 2'000'000;

// One 200 ms period of a streaming analyser: 72 detector frames with temperature, flow and aux
// frames between them.
std::vector<uint8_t> streamBytes(size_t frames) {
    std::vector<uint8_t> bytes;
    bytes.reserve(frames * 4);
    uint32_t noise = 1;
    for (size_t f = 0; bytes.size() < frames * 4; ++f) {
        const size_t slot = f % 80;
        if (slot % 10 == 9) {
            const uint8_t type = slot == 9 ? 0x61 : slot == 19 ? 0x63 : slot == 29 ? 0x64 : 0x62;
            bytes.insert(bytes.end(), {type, 0x00, 0x0F, 0xA0});
        } else {
            noise = noise * 1664525u + 1013904223u;
            const uint32_t value = 0x800000 + (noise >> 20);
            bytes.insert(bytes.end(), {0x60, static_cast<uint8_t>(value >> 16), static_cast<uint8_t>(value >> 8),
                                       static_cast<uint8_t>(value)});
        }
    }
    return bytes;
}

// A device that hands out a prepared stream, then reports that it ran dry.
class StreamDevice final : public Device {
public:
    StreamDevice(const std::vector<uint8_t>& bytes, std::atomic<bool>& drained) : bytes_(bytes), drained_(drained) {}
    DeviceStatus setBaudRate(uint32_t) override { return DeviceStatus::Ok; }
    DeviceStatus setDataCharacteristics(uint8_t, uint8_t, uint8_t) override { return DeviceStatus::Ok; }
    DeviceStatus setTimeouts(uint32_t, uint32_t) override { return DeviceStatus::Ok; }
    DeviceStatus purge(uint32_t) override { return DeviceStatus::Ok; }
    DeviceStatus setLatencyTimer(uint8_t) override { return DeviceStatus::Ok; }
    DeviceStatus write(const uint8_t*, uint32_t length, uint32_t* written) override {
        *written = length;
        return DeviceStatus::Ok;
    }
    DeviceStatus read(uint8_t* buffer, uint32_t length, uint32_t* received) override {
        const size_t left = bytes_.size() - position_;
        *received = static_cast<uint32_t>(std::min<size_t>(length, left));
        std::memcpy(buffer, bytes_.data() + position_, *received);
        position_ += *received;
        if (*received == 0) {
            drained_.store(true, std::memory_order_release);
            std::this_thread::yield();
        }
        return DeviceStatus::Ok;
    }
    DeviceStatus close() override { return DeviceStatus::Ok; }

private:
    const std::vector<uint8_t>& bytes_;
    std::atomic<bool>& drained_;
    size_t position_ = 0;
};

class StreamDriver final : public DeviceDriver {
public:
    StreamDriver(const std::vector<uint8_t>& bytes, std::atomic<bool>& drained) : bytes_(bytes), drained_(drained) {}
    DeviceStatus listByDescription(std::span<char*> descriptions, int32_t* count) override {
        std::strcpy(descriptions[0], kAnalyserDescription);
        *count = 1;
        return DeviceStatus::Ok;
    }
    DeviceStatus listByLocation(std::span<uint32_t> locations, int32_t* count) override {
        locations[0] = 1;
        *count = 1;
        return DeviceStatus::Ok;
    }
    DeviceStatus openByLocation(uint32_t, std::unique_ptr<Device>* device) override {
        *device = std::make_unique<StreamDevice>(bytes_, drained_);
        return DeviceStatus::Ok;
    }

private:
    const std::vector<uint8_t>& bytes_;
    std::atomic<bool>& drained_;
};

void BM_AcquisitionPath(benchmark::State& state) {
    static const std::vector<uint8_t> bytes = streamBytes(kFramesPerRun);
    static Chromatogram chromatogram;
    InstrumentReadings readings;
    for (auto _ : state) {
        chromatogram.clearTrace();
        std::atomic<bool> drained{false};
        StreamDriver driver(bytes, drained);
        InstrumentLink link(driver, chromatogram, readings);
        if (!link.open()) state.SkipWithError("the stream device did not open");
        const auto started = std::chrono::steady_clock::now();
        link.start();
        while (!drained.load(std::memory_order_acquire)) std::this_thread::yield();
        const auto elapsed = std::chrono::steady_clock::now() - started;
        link.close();
        state.SetIterationTime(std::chrono::duration<double>(elapsed).count());
    }
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * kFramesPerRun));
    state.counters["frames_per_second"] =
        benchmark::Counter(static_cast<double>(kFramesPerRun), benchmark::Counter::kIsIterationInvariantRate);
    state.counters["line_rate_multiple"] = benchmark::Counter(static_cast<double>(kFramesPerRun) / kLineFramesPerSecond,
                                                              benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_AcquisitionPath)->UseManualTime()->Unit(benchmark::kMillisecond)->MinTime(2.0);

// One run of the stream through the acquisition path; its wall time in seconds. With a journal,
// a second thread keeps the journal up to date while the stream runs.
double acquisitionRun(const std::vector<uint8_t>& bytes, Chromatogram& chromatogram, RecoveryJournal* journal,
                      int intervalMs = 1) {
    InstrumentReadings readings;
    chromatogram.clearTrace();
    if (journal != nullptr) journal->startFresh(chromatogram);
    std::atomic<bool> drained{false};
    StreamDriver driver(bytes, drained);
    InstrumentLink link(driver, chromatogram, readings);
    if (!link.open()) return 0.0;
    std::atomic<bool> stop{false};
    std::thread keeper;
    if (journal != nullptr) {
        keeper = std::thread([&] {
            while (!stop.load(std::memory_order_acquire)) {
                journal->flush(chromatogram);
                std::this_thread::sleep_for(std::chrono::milliseconds(intervalMs));
            }
        });
    }
    const auto started = std::chrono::steady_clock::now();
    link.start();
    while (!drained.load(std::memory_order_acquire)) std::this_thread::yield();
    const auto elapsed = std::chrono::steady_clock::now() - started;
    stop.store(true, std::memory_order_release);
    if (keeper.joinable()) keeper.join();
    link.close();
    return std::chrono::duration<double>(elapsed).count();
}

void BM_AcquisitionWithJournalRatio(benchmark::State& state) {
    static const std::vector<uint8_t> bytes = streamBytes(kFramesPerRun);
    static Chromatogram chromatogram;
    char folder[] = "/tmp/vespian_journal_bench_XXXXXX";
    if (::mkdtemp(folder) == nullptr) {
        state.SkipWithError("no temporary folder");
        return;
    }
    const std::string path = std::string(folder) + "/" + kRecoveryJournalFileName;
    RecoveryJournal journal(path);
    double alone = 0.0, journalled = 0.0;
    for (auto _ : state) {
        alone += acquisitionRun(bytes, chromatogram, nullptr);
        journalled += acquisitionRun(bytes, chromatogram, &journal, static_cast<int>(state.range(0)));
    }
    journal.retire();
    ::rmdir(folder);
    state.counters["ms_alone"] = alone / static_cast<double>(state.iterations()) * 1e3;
    state.counters["ms_with_journal"] = journalled / static_cast<double>(state.iterations()) * 1e3;
    state.counters["ratio"] = journalled / alone;
}
// The journal's update interval in milliseconds: 1 (two thousand times the program's rate) and
// 100 (twenty times).
BENCHMARK(BM_AcquisitionWithJournalRatio)->Arg(1)->Arg(100)->Unit(benchmark::kMillisecond)->MinTime(4.0);

}  // namespace
