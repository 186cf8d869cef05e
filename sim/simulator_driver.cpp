#include "sim/simulator_driver.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <condition_variable>
#include <cstring>
#include <mutex>

#include "link/instrument_link.h"
#include "sim/paced_stream.h"

namespace vespian::sim {

namespace {

using Clock = std::chrono::steady_clock;

// A read on a vanished device fails only after this pause, so a reader that retries at once
// does not spin a core.
constexpr auto kFailedReadWait = std::chrono::milliseconds(100);
// An unplugging longer than this is as good as for ever, and stays clear of clock overflow.
constexpr double kLongestUnplugS = 1.0e6;

}  // namespace

struct SimulatorDriver::Core {
    explicit Core(const SimulatorOptions& options)
        : analyser(options.seed), stream(analyser, options.speed, Clock::now()) {}

    // Caller holds `mutex`. Bytes due while no handle listens are lost on the line.
    void catchUp(Clock::time_point now) {
        stream.advanceTo(now);
        if (liveHandle == 0) stream.clear();
    }
    bool plugged(Clock::time_point now) const { return now >= unpluggedUntil; }

    std::mutex mutex;
    std::condition_variable changed;  // a write, an unplugging or a close: a waiting read looks again
    SimulatedAnalyser analyser;
    PacedStream stream;
    uint64_t handlesOpened = 0;
    uint64_t liveHandle = 0;  // the handle that works now; 0 when none
    Clock::time_point unpluggedUntil{};
};

namespace {

class SimulatedDevice final : public Device {
public:
    using Core = SimulatorDriver::Core;

    SimulatedDevice(std::shared_ptr<Core> core, uint64_t handle) : core_(std::move(core)), handle_(handle) {}
    ~SimulatedDevice() override { close(); }

    DeviceStatus setBaudRate(uint32_t baud) override {
        return baud == 0 ? DeviceStatus::InvalidParameter : configured();
    }
    DeviceStatus setDataCharacteristics(uint8_t, uint8_t, uint8_t) override { return configured(); }
    DeviceStatus setTimeouts(uint32_t readMs, uint32_t) override {
        const DeviceStatus status = configured();
        if (status == DeviceStatus::Ok) readTimeoutMs_.store(readMs, std::memory_order_relaxed);
        return status;
    }
    DeviceStatus setLatencyTimer(uint8_t) override { return configured(); }

    DeviceStatus purge(uint32_t mask) override {
        if (closed_.load(std::memory_order_acquire)) return DeviceStatus::InvalidHandle;
        std::lock_guard<std::mutex> lock(core_->mutex);
        if (!alive()) return DeviceStatus::IoError;
        core_->catchUp(Clock::now());
        if ((mask & kPurgeRx) != 0) core_->stream.clear();
        return DeviceStatus::Ok;
    }

    DeviceStatus write(const uint8_t* bytes, uint32_t length, uint32_t* written) override {
        if (written != nullptr) *written = 0;
        if (closed_.load(std::memory_order_acquire)) return DeviceStatus::InvalidHandle;
        if (written == nullptr || (bytes == nullptr && length > 0)) return DeviceStatus::InvalidParameter;
        {
            std::lock_guard<std::mutex> lock(core_->mutex);
            if (!alive()) return DeviceStatus::IoError;
            core_->catchUp(Clock::now());  // the command acts at the present instrument time
            core_->analyser.receive(bytes, length);
            *written = length;
        }
        core_->changed.notify_all();  // '7' may have started the stream a read waits for
        return DeviceStatus::Ok;
    }

    DeviceStatus read(uint8_t* buffer, uint32_t length, uint32_t* received) override {
        if (received != nullptr) *received = 0;
        if (closed_.load(std::memory_order_acquire)) return DeviceStatus::InvalidHandle;
        if (received == nullptr || (buffer == nullptr && length > 0)) return DeviceStatus::InvalidParameter;
        const auto start = Clock::now();
        const auto deadline = start + std::chrono::milliseconds(readTimeoutMs_.load(std::memory_order_relaxed));
        std::unique_lock<std::mutex> lock(core_->mutex);
        for (;;) {
            const auto now = Clock::now();
            if (!alive()) {
                if (*received > 0) return DeviceStatus::Ok;  // what came before still counts
                const auto until = start + kFailedReadWait;
                while (Clock::now() < until) core_->changed.wait_until(lock, until);
                return DeviceStatus::IoError;
            }
            core_->catchUp(now);
            core_->stream.produce(length - *received);
            *received += static_cast<uint32_t>(core_->stream.take(buffer + *received, length - *received));
            if (*received == length || now >= deadline) return DeviceStatus::Ok;
            core_->changed.wait_until(lock, std::min(deadline, core_->stream.nextDue()));
        }
    }

    DeviceStatus close() override {
        if (closed_.exchange(true, std::memory_order_acq_rel)) return DeviceStatus::Ok;
        {
            std::lock_guard<std::mutex> lock(core_->mutex);
            if (core_->liveHandle == handle_) {
                core_->catchUp(Clock::now());
                core_->liveHandle = 0;
            }
        }
        core_->changed.notify_all();
        return DeviceStatus::Ok;
    }

private:
    // Caller holds the core's mutex.
    bool alive() const { return core_->liveHandle == handle_; }

    DeviceStatus configured() const {
        if (closed_.load(std::memory_order_acquire)) return DeviceStatus::InvalidHandle;
        std::lock_guard<std::mutex> lock(core_->mutex);
        return alive() ? DeviceStatus::Ok : DeviceStatus::IoError;
    }

    std::shared_ptr<Core> core_;
    const uint64_t handle_;
    std::atomic<bool> closed_{false};
    std::atomic<uint32_t> readTimeoutMs_{kReadTimeoutMs};
};

}  // namespace

SimulatorDriver::SimulatorDriver(SimulatorOptions options)
    : options_(options), core_(std::make_shared<Core>(options)) {}

SimulatorDriver::~SimulatorDriver() = default;

SimulatedAnalyser& SimulatorDriver::analyser() { return core_->analyser; }

void SimulatorDriver::catchUp() {
    std::lock_guard<std::mutex> lock(core_->mutex);
    core_->catchUp(Clock::now());
}

DeviceStatus SimulatorDriver::listByDescription(std::span<char*> descriptions, int32_t* count) {
    if (count == nullptr) return DeviceStatus::InvalidParameter;
    std::lock_guard<std::mutex> lock(core_->mutex);
    const auto now = Clock::now();
    core_->catchUp(now);
    *count = core_->plugged(now) ? 1 : 0;
    if (*count == 1 && !descriptions.empty() && descriptions[0] != nullptr) {
        std::strncpy(descriptions[0], kAnalyserDescription, kDescriptionBufferSize - 1);
        descriptions[0][kDescriptionBufferSize - 1] = '\0';
    }
    return DeviceStatus::Ok;
}

DeviceStatus SimulatorDriver::listByLocation(std::span<uint32_t> locations, int32_t* count) {
    if (count == nullptr) return DeviceStatus::InvalidParameter;
    std::lock_guard<std::mutex> lock(core_->mutex);
    const auto now = Clock::now();
    core_->catchUp(now);
    *count = core_->plugged(now) ? 1 : 0;
    if (*count == 1 && !locations.empty()) locations[0] = kSimulatorLocation;
    return DeviceStatus::Ok;
}

DeviceStatus SimulatorDriver::openByLocation(uint32_t location, std::unique_ptr<Device>* device) {
    if (device == nullptr) return DeviceStatus::InvalidParameter;
    std::lock_guard<std::mutex> lock(core_->mutex);
    const auto now = Clock::now();
    core_->catchUp(now);
    if (!core_->plugged(now) || location != kSimulatorLocation) return DeviceStatus::DeviceNotFound;
    if (core_->liveHandle != 0) return DeviceStatus::DeviceNotOpened;
    core_->liveHandle = ++core_->handlesOpened;
    core_->stream.clear();
    *device = std::make_unique<SimulatedDevice>(core_, core_->liveHandle);
    return DeviceStatus::Ok;
}

void SimulatorDriver::unplug(double wallSeconds) {
    {
        std::lock_guard<std::mutex> lock(core_->mutex);
        const auto now = Clock::now();
        core_->catchUp(now);
        const double seconds = std::isfinite(wallSeconds) ? std::clamp(wallSeconds, 0.0, kLongestUnplugS)
                                                          : (wallSeconds > 0.0 ? kLongestUnplugS : 0.0);
        core_->unpluggedUntil = now + std::chrono::ceil<Clock::duration>(std::chrono::duration<double>(seconds));
        core_->liveHandle = 0;  // the handle dies with the bus connection
        core_->stream.clear();
    }
    core_->changed.notify_all();
}

}  // namespace vespian::sim
