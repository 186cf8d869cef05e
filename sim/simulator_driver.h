#pragma once
// The simulated analyser as a device source: one device "TRV-8800" at a fixed location while it
// is plugged in, whose reads deliver the analyser's frames paced by the wall clock and whose
// writes are its commands. The analyser belongs to the driver, not to the open device: it keeps
// running (lazily caught up with the wall clock at every call) whether or not a device is open,
// and reopening the link does not reset it.

#include <cstdint>
#include <memory>

#include "link/device.h"
#include "sim/simulated_analyser.h"
#include "sim/simulator_options.h"

namespace vespian::sim {

inline constexpr uint32_t kSimulatorLocation = 0x5A01;

class SimulatorDriver final : public DeviceDriver {
public:
    explicit SimulatorDriver(SimulatorOptions options = {});
    ~SimulatorDriver() override;
    SimulatorDriver(const SimulatorDriver&) = delete;
    SimulatorDriver& operator=(const SimulatorDriver&) = delete;

    DeviceStatus listByDescription(std::span<char*> descriptions, int32_t* count) override;
    DeviceStatus listByLocation(std::span<uint32_t> locations, int32_t* count) override;
    // DeviceNotFound for another location or while unplugged; DeviceNotOpened while a device
    // is open already (the bridge allows one handle).
    DeviceStatus openByLocation(uint32_t location, std::unique_ptr<Device>* device) override;

    SimulatedAnalyser& analyser();
    const SimulatorOptions& options() const { return options_; }
    // Brings the analyser up to the wall clock now rather than at the next call.
    void catchUp();
    // The instrument vanishes from the bus for this long: no device listed, opening fails,
    // reads and writes on an open device fail. Its handle stays dead afterwards, as a
    // replugged USB device gets a new one; only a reopen works.
    void unplug(double wallSeconds);

    struct Core;  // the analyser, its paced stream and the bus state; opaque outside the driver

private:
    SimulatorOptions options_;
    std::shared_ptr<Core> core_;  // shared with the open devices, which may outlive the driver
};

}  // namespace vespian::sim
