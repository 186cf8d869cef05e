#include "link/replay_driver.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <mutex>

#include "link/instrument_link.h"

namespace vespian {

namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

constexpr uint32_t kReplayLocation = 1;

}  // namespace

struct ReplayDriver::State {
    CaptureRecording recording;
    bool paced = true;
    std::mutex mutex;
    std::condition_variable closed;
    size_t chunk = 0;                // next chunk to deliver
    uint32_t offsetInChunk = 0;      // bytes of it already delivered
    Clock::time_point origin;        // wall time of the recording's millisecond 0

    bool finishedLocked() const { return chunk >= recording.chunks.size(); }
    Clock::time_point dueLocked() const { return origin + milliseconds(recording.chunks[chunk].milliseconds); }
};

namespace {

class ReplayDevice final : public Device {
public:
    explicit ReplayDevice(std::shared_ptr<ReplayDriver::State> state) : state_(std::move(state)) {
        std::lock_guard lock(state_->mutex);
        // A reopen continues where the recording stood, at the recorded pace from now on.
        if (!state_->finishedLocked()) {
            state_->origin = Clock::now() - milliseconds(state_->recording.chunks[state_->chunk].milliseconds);
        }
    }

    DeviceStatus setBaudRate(uint32_t) override { return status(); }
    DeviceStatus setDataCharacteristics(uint8_t, uint8_t, uint8_t) override { return status(); }
    DeviceStatus setTimeouts(uint32_t readMs, uint32_t) override {
        readTimeoutMs_ = readMs;
        return status();
    }
    DeviceStatus purge(uint32_t) override { return status(); }
    DeviceStatus setLatencyTimer(uint8_t) override { return status(); }
    DeviceStatus write(const uint8_t*, uint32_t length, uint32_t* written) override {
        *written = closed_ ? 0 : length;
        return status();
    }

    DeviceStatus read(uint8_t* buffer, uint32_t length, uint32_t* received) override {
        *received = 0;
        std::unique_lock lock(state_->mutex);
        if (closed_) return DeviceStatus::InvalidHandle;
        const auto deadline = Clock::now() + milliseconds(readTimeoutMs_);
        while (*received < length) {
            if (state_->finishedLocked()) {
                if (*received == 0) state_->closed.wait_until(lock, deadline, [&] { return closed_; });
                break;
            }
            if (state_->paced && Clock::now() < state_->dueLocked()) {
                if (*received > 0) break;  // hand over what is due; the rest comes later
                const auto wakeAt = std::min(deadline, state_->dueLocked());
                state_->closed.wait_until(lock, wakeAt, [&] { return closed_; });
                if (closed_) return DeviceStatus::InvalidHandle;
                if (Clock::now() >= deadline && Clock::now() < state_->dueLocked()) break;  // time-out
                continue;
            }
            const CaptureChunk& chunk = state_->recording.chunks[state_->chunk];
            const uint32_t taken = std::min(length - *received, chunk.length - state_->offsetInChunk);
            std::memcpy(buffer + *received, state_->recording.bytes.data() + chunk.offset + state_->offsetInChunk, taken);
            *received += taken;
            state_->offsetInChunk += taken;
            if (state_->offsetInChunk == chunk.length) {
                ++state_->chunk;
                state_->offsetInChunk = 0;
            }
        }
        return DeviceStatus::Ok;
    }

    DeviceStatus close() override {
        {
            std::lock_guard lock(state_->mutex);
            closed_ = true;
        }
        state_->closed.notify_all();
        return DeviceStatus::Ok;
    }

private:
    DeviceStatus status() const { return closed_ ? DeviceStatus::InvalidHandle : DeviceStatus::Ok; }

    std::shared_ptr<ReplayDriver::State> state_;
    uint32_t readTimeoutMs_ = kReadTimeoutMs;
    bool closed_ = false;  // guarded by the state's mutex
};

}  // namespace

ReplayDriver::ReplayDriver(CaptureRecording recording, bool paced) : state_(std::make_shared<State>()) {
    state_->recording = std::move(recording);
    state_->paced = paced;
}

bool ReplayDriver::finished() const {
    std::lock_guard lock(state_->mutex);
    return state_->finishedLocked();
}

DeviceStatus ReplayDriver::listByDescription(std::span<char*> descriptions, int32_t* count) {
    if (!descriptions.empty()) {
        std::strncpy(descriptions[0], kAnalyserDescription, kDescriptionBufferSize - 1);
        descriptions[0][kDescriptionBufferSize - 1] = '\0';
    }
    *count = 1;
    return DeviceStatus::Ok;
}

DeviceStatus ReplayDriver::listByLocation(std::span<uint32_t> locations, int32_t* count) {
    if (!locations.empty()) locations[0] = kReplayLocation;
    *count = 1;
    return DeviceStatus::Ok;
}

DeviceStatus ReplayDriver::openByLocation(uint32_t location, std::unique_ptr<Device>* device) {
    device->reset();
    if (location != kReplayLocation) return DeviceStatus::DeviceNotFound;
    *device = std::make_unique<ReplayDevice>(state_);
    return DeviceStatus::Ok;
}

}  // namespace vespian
