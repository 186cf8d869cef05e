#pragma once
// The Linux kernel's serial driver as a device source: the USB serial ports /dev/ttyUSB<n>, each
// described by the USB product string the kernel shows in sysfs, so the analyser's bridge is
// found by its description just as through the vendor's library. Or one port the operator
// named on the command line, taken to be the analyser.

#include <string>

#include "link/device.h"

namespace vespian {

class SerialDriver final : public DeviceDriver {
public:
    // Scans devRoot for ttyUSB<n> in the order of n, the port devRoot/trv-8800 leads to first
    // (analyser_port_link.h); the location id of a port is n. The roots
    // are parameters so that a tree of plain files and symbolic links can stand in for them.
    explicit SerialDriver(std::string devRoot = "/dev", std::string sysRoot = "/sys");
    // Lists exactly this tty, with location 0 and the analyser's description.
    static SerialDriver forPort(std::string path);
    // Why the tty at `path` cannot be opened as the analyser's line, in the system's words (a
    // file that is no terminal says so); empty when it can be.
    static std::string openFailure(const std::string& path);

    DeviceStatus listByDescription(std::span<char*> descriptions, int32_t* count) override;
    DeviceStatus listByLocation(std::span<uint32_t> locations, int32_t* count) override;
    DeviceStatus openByLocation(uint32_t location, std::unique_ptr<Device>* device) override;

private:
    std::string devRoot_;
    std::string sysRoot_;
    std::string explicitPort_;  // empty when scanning
};

}  // namespace vespian
