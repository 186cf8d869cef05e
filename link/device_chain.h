#pragma once
// Several device sources seen as one: the vendor's library first, then the kernel serial
// driver. The devices of all sources are listed one after the other, in the order the sources
// were added, under location ids of the chain's own, so that an analyser seen by two sources
// is still told apart and opened through the source that listed it.

#include <memory>
#include <vector>

#include "link/device.h"

namespace vespian {

class DeviceChain final : public DeviceDriver {
public:
    void add(std::unique_ptr<DeviceDriver> driver);

    // Each listing asks every source afresh, by description and by location together, so the
    // two lists always match by index. A source whose listing fails adds no devices; the chain
    // fails only when every source failed.
    DeviceStatus listByDescription(std::span<char*> descriptions, int32_t* count) override;
    DeviceStatus listByLocation(std::span<uint32_t> locations, int32_t* count) override;
    // Opens by a location id of the latest listing.
    DeviceStatus openByLocation(uint32_t location, std::unique_ptr<Device>* device) override;

private:
    struct Listed {
        char description[kDescriptionBufferSize];
        DeviceDriver* driver;
        uint32_t location;  // the source's own id
    };

    DeviceStatus refresh();

    std::vector<std::unique_ptr<DeviceDriver>> drivers_;
    std::vector<Listed> listed_;  // index + 1 is the chain's location id
};

}  // namespace vespian
