#include "support/fake_link_driver.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>

namespace vespian::testing {

class FakeLinkDevice final : public Device {
public:
    explicit FakeLinkDevice(FakeLinkDriver& driver) : driver_(driver) {
        std::lock_guard lock(driver_.mutex_);
        ++driver_.liveDevices_;
        ++driver_.openHandles_;
    }
    ~FakeLinkDevice() override {
        std::lock_guard lock(driver_.mutex_);
        --driver_.liveDevices_;
        if (!closed_) --driver_.openHandles_;
    }

    DeviceStatus setBaudRate(uint32_t baud) override { return event("baud " + std::to_string(baud)); }
    DeviceStatus setDataCharacteristics(uint8_t wordLength, uint8_t stopBits, uint8_t parity) override {
        return event("data " + std::to_string(wordLength) + " " + std::to_string(stopBits) + " " +
                     std::to_string(parity));
    }
    DeviceStatus setTimeouts(uint32_t readMs, uint32_t writeMs) override {
        return event("timeouts " + std::to_string(readMs) + " " + std::to_string(writeMs));
    }
    DeviceStatus purge(uint32_t mask) override { return event("purge " + std::to_string(mask)); }
    DeviceStatus setLatencyTimer(uint8_t milliseconds) override {
        return event("latency " + std::to_string(milliseconds));
    }
    DeviceStatus write(const uint8_t* bytes, uint32_t length, uint32_t* written) override {
        std::string text = "write";
        for (uint32_t i = 0; i < length; ++i) {
            char hex[4];
            std::snprintf(hex, sizeof hex, " %02X", bytes[i]);
            text += hex;
        }
        *written = closed_ ? 0 : length;
        return event(text);
    }
    DeviceStatus read(uint8_t* buffer, uint32_t length, uint32_t* received) override {
        *received = 0;
        std::unique_lock lock(driver_.mutex_);
        ++driver_.reads_;
        if (closed_) {
            ++driver_.readsAfterClose_;
            return DeviceStatus::InvalidHandle;
        }
        if (driver_.readFailure_ != DeviceStatus::Ok) return driver_.readFailure_;
        driver_.maxConcurrentReaders_ = std::max(driver_.maxConcurrentReaders_, ++driver_.activeReaders_);
        driver_.fed_.wait_for(lock, std::chrono::milliseconds(driver_.readWaitMs_),
                              [&] { return !driver_.pending_.empty(); });
        --driver_.activeReaders_;
        while (*received < length && !driver_.pending_.empty()) {
            buffer[(*received)++] = driver_.pending_.front();
            driver_.pending_.pop_front();
        }
        return DeviceStatus::Ok;
    }
    DeviceStatus close() override {
        DeviceStatus status = event("close");
        std::lock_guard lock(driver_.mutex_);
        if (!closed_) --driver_.openHandles_;
        closed_ = true;
        return status;
    }

private:
    DeviceStatus event(std::string text) {
        driver_.record(std::move(text));
        return closed_ ? DeviceStatus::InvalidHandle : DeviceStatus::Ok;
    }

    FakeLinkDriver& driver_;
    bool closed_ = false;  // written under the driver's lock by the UI thread, its only writer
};

void FakeLinkDriver::setDevices(std::vector<Attached> devices) {
    std::lock_guard lock(mutex_);
    devices_ = std::move(devices);
}

void FakeLinkDriver::failReads(DeviceStatus status) {
    std::lock_guard lock(mutex_);
    readFailure_ = status;
}

void FakeLinkDriver::feed(const std::vector<uint8_t>& bytes) {
    {
        std::lock_guard lock(mutex_);
        pending_.insert(pending_.end(), bytes.begin(), bytes.end());
    }
    fed_.notify_all();
}

void FakeLinkDriver::record(std::string text) {
    // Probe outside the lock: the probe reads the link's flags only.
    const bool running = probe_ ? probe_() : false;
    std::lock_guard lock(mutex_);
    events_.push_back({std::move(text), running});
}

std::vector<FakeEvent> FakeLinkDriver::events() const {
    std::lock_guard lock(mutex_);
    return events_;
}

std::vector<std::string> FakeLinkDriver::eventTexts() const {
    std::vector<std::string> texts;
    for (const FakeEvent& e : events()) texts.push_back(e.text);
    return texts;
}

void FakeLinkDriver::clearEvents() {
    std::lock_guard lock(mutex_);
    events_.clear();
}

int FakeLinkDriver::openHandles() const {
    std::lock_guard lock(mutex_);
    return openHandles_;
}

int FakeLinkDriver::liveDevices() const {
    std::lock_guard lock(mutex_);
    return liveDevices_;
}

int FakeLinkDriver::readsAfterClose() const {
    std::lock_guard lock(mutex_);
    return readsAfterClose_;
}

long FakeLinkDriver::reads() const {
    std::lock_guard lock(mutex_);
    return reads_;
}

size_t FakeLinkDriver::pendingBytes() const {
    std::lock_guard lock(mutex_);
    return pending_.size();
}

int FakeLinkDriver::maxConcurrentReaders() const {
    std::lock_guard lock(mutex_);
    return maxConcurrentReaders_;
}

DeviceStatus FakeLinkDriver::listByDescription(std::span<char*> descriptions, int32_t* count) {
    record("list description");
    std::lock_guard lock(mutex_);
    *count = 0;
    if (descriptionFailure_ != DeviceStatus::Ok) return descriptionFailure_;
    for (size_t i = 0; i < devices_.size() && i < descriptions.size(); ++i) {
        std::strncpy(descriptions[i], devices_[i].description.c_str(), kDescriptionBufferSize - 1);
        descriptions[i][kDescriptionBufferSize - 1] = '\0';
    }
    *count = static_cast<int32_t>(devices_.size());
    return DeviceStatus::Ok;
}

DeviceStatus FakeLinkDriver::listByLocation(std::span<uint32_t> locations, int32_t* count) {
    record("list location");
    std::lock_guard lock(mutex_);
    *count = 0;
    if (locationFailure_ != DeviceStatus::Ok) return locationFailure_;
    for (size_t i = 0; i < devices_.size() && i < locations.size(); ++i) locations[i] = devices_[i].location;
    *count = static_cast<int32_t>(devices_.size());
    return DeviceStatus::Ok;
}

DeviceStatus FakeLinkDriver::openByLocation(uint32_t location, std::unique_ptr<Device>* device) {
    record("open " + std::to_string(location));
    device->reset();
    {
        std::lock_guard lock(mutex_);
        if (openFailure_ != DeviceStatus::Ok) return openFailure_;
        bool attached = false;
        for (const Attached& d : devices_) attached = attached || d.location == location;
        if (!attached) return DeviceStatus::DeviceNotFound;
    }
    *device = std::make_unique<FakeLinkDevice>(*this);
    return DeviceStatus::Ok;
}

}  // namespace vespian::testing
