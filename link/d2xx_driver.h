#pragma once
// The vendor's D2XX library, loaded at run time. Without the library (or with one that lacks a
// needed function) the driver simply lists no devices: the program then finds its analyser
// through the kernel serial driver, or keeps running without data.

#include <memory>
#include <string>

#include "link/device.h"

namespace vespian {

inline constexpr char kD2xxLibraryName[] = "libftd2xx.so";

class D2xxDriver final : public DeviceDriver {
public:
    // Loads the library from this path (or by name through the loader's search path).
    explicit D2xxDriver(const std::string& libraryPath = kD2xxLibraryName);

    // True when the library was found and exports every function the link calls.
    bool loaded() const { return api_ != nullptr; }

    DeviceStatus listByDescription(std::span<char*> descriptions, int32_t* count) override;
    DeviceStatus listByLocation(std::span<uint32_t> locations, int32_t* count) override;
    DeviceStatus openByLocation(uint32_t location, std::unique_ptr<Device>* device) override;

    struct Api;  // the resolved functions; kept alive by every device opened through them

private:
    std::shared_ptr<const Api> api_;
};

}  // namespace vespian
