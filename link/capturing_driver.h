#pragma once
// A device source that records: devices opened through it behave as the wrapped source's, and
// every byte they receive is appended to a capture file with its arrival time.

#include <chrono>
#include <memory>
#include <string>

#include "link/capture_file.h"
#include "link/device.h"

namespace vespian {

class CapturingDriver final : public DeviceDriver {
public:
    explicit CapturingDriver(std::unique_ptr<DeviceDriver> inner);
    // Creates the capture file; false when it cannot be created.
    bool open(const std::string& path) { return writer_->open(path); }
    // Writes the last gathered bytes; false when any write failed.
    bool close() { return writer_->close(); }

    DeviceStatus listByDescription(std::span<char*> descriptions, int32_t* count) override;
    DeviceStatus listByLocation(std::span<uint32_t> locations, int32_t* count) override;
    DeviceStatus openByLocation(uint32_t location, std::unique_ptr<Device>* device) override;

private:
    std::unique_ptr<DeviceDriver> inner_;
    std::shared_ptr<CaptureWriter> writer_;  // shared with the devices, which may outlive us
    std::chrono::steady_clock::time_point started_;
};

}  // namespace vespian
