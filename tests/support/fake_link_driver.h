#pragma once
// A scripted device source for link tests: a list of attached devices (description, location),
// failures to inject, bytes for reads, and an ordered log of everything done to it, each event
// with whether the acquisition thread was running at that moment.

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "link/device.h"

namespace vespian::testing {

struct FakeEvent {
    std::string text;  // "open 7", "baud 38400", "data 8 0 0", "timeouts 1000 1000", "purge 3",
                       // "latency 100", "write 37", "close"
    bool threadRunning;
};

class FakeLinkDriver final : public DeviceDriver {
public:
    struct Attached {
        std::string description;
        uint32_t location;
    };

    void setDevices(std::vector<Attached> devices);
    void failListByDescription(DeviceStatus status) { descriptionFailure_ = status; }
    void failListByLocation(DeviceStatus status) { locationFailure_ = status; }
    void failOpen(DeviceStatus status) { openFailure_ = status; }
    // Tells whether the acquisition thread runs; asked at every event.
    void setThreadProbe(std::function<bool()> probe) { probe_ = std::move(probe); }
    // Bytes that the reads of the open device return, in order.
    void feed(const std::vector<uint8_t>& bytes);
    // How long a read waits for fed bytes before it times out with none.
    void setReadWaitMs(int milliseconds) { readWaitMs_ = milliseconds; }
    // From now on every read fails with this status (Ok: reads work again).
    void failReads(DeviceStatus status);

    std::vector<FakeEvent> events() const;
    std::vector<std::string> eventTexts() const;
    void clearEvents();
    int openHandles() const;    // opened and not yet closed
    int liveDevices() const;    // device objects not yet destroyed
    int readsAfterClose() const;
    long reads() const;
    size_t pendingBytes() const;  // fed and not yet read
    int maxConcurrentReaders() const;  // most reads in progress at one moment

    DeviceStatus listByDescription(std::span<char*> descriptions, int32_t* count) override;
    DeviceStatus listByLocation(std::span<uint32_t> locations, int32_t* count) override;
    DeviceStatus openByLocation(uint32_t location, std::unique_ptr<Device>* device) override;

private:
    friend class FakeLinkDevice;
    void record(std::string text);

    mutable std::mutex mutex_;
    std::condition_variable fed_;
    std::vector<Attached> devices_;
    DeviceStatus descriptionFailure_ = DeviceStatus::Ok;
    DeviceStatus locationFailure_ = DeviceStatus::Ok;
    DeviceStatus openFailure_ = DeviceStatus::Ok;
    std::function<bool()> probe_;
    std::deque<uint8_t> pending_;
    int readWaitMs_ = 2;
    DeviceStatus readFailure_ = DeviceStatus::Ok;
    std::vector<FakeEvent> events_;
    int openHandles_ = 0;
    int liveDevices_ = 0;
    int readsAfterClose_ = 0;
    long reads_ = 0;
    int activeReaders_ = 0;
    int maxConcurrentReaders_ = 0;
};

}  // namespace vespian::testing
