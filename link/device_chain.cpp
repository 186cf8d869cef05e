#include "link/device_chain.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace vespian {

namespace {

// Devices asked of one source per listing; far more than are ever attached.
constexpr size_t kSourceSlots = 256;

}  // namespace

void DeviceChain::add(std::unique_ptr<DeviceDriver> driver) { drivers_.push_back(std::move(driver)); }

DeviceStatus DeviceChain::refresh() {
    listed_.clear();
    std::vector<std::array<char, kDescriptionBufferSize>> buffers(kSourceSlots);
    std::vector<char*> descriptions(kSourceSlots);
    std::vector<uint32_t> locations(kSourceSlots);
    DeviceStatus firstFailure = DeviceStatus::Ok;
    bool anyListed = drivers_.empty();
    for (const auto& driver : drivers_) {
        for (size_t i = 0; i < kSourceSlots; ++i) {
            buffers[i].fill('\0');
            descriptions[i] = buffers[i].data();
        }
        int32_t descriptionCount = 0;
        int32_t locationCount = 0;
        DeviceStatus result = driver->listByDescription(descriptions, &descriptionCount);
        if (result == DeviceStatus::Ok) result = driver->listByLocation(locations, &locationCount);
        if (result != DeviceStatus::Ok) {
            if (firstFailure == DeviceStatus::Ok) firstFailure = result;
            continue;
        }
        anyListed = true;
        const int32_t count = std::clamp(std::min(descriptionCount, locationCount), 0, int32_t{kSourceSlots});
        for (int32_t i = 0; i < count; ++i) {
            Listed entry{};
            std::memcpy(entry.description, buffers[i].data(), kDescriptionBufferSize);
            entry.description[kDescriptionBufferSize - 1] = '\0';
            entry.driver = driver.get();
            entry.location = locations[i];
            listed_.push_back(entry);
        }
    }
    return anyListed ? DeviceStatus::Ok : firstFailure;
}

DeviceStatus DeviceChain::listByDescription(std::span<char*> descriptions, int32_t* count) {
    *count = 0;
    if (DeviceStatus result = refresh(); result != DeviceStatus::Ok) return result;
    for (size_t i = 0; i < std::min(listed_.size(), descriptions.size()); ++i) {
        std::memcpy(descriptions[i], listed_[i].description, kDescriptionBufferSize);
    }
    *count = static_cast<int32_t>(listed_.size());
    return DeviceStatus::Ok;
}

DeviceStatus DeviceChain::listByLocation(std::span<uint32_t> locations, int32_t* count) {
    *count = 0;
    if (DeviceStatus result = refresh(); result != DeviceStatus::Ok) return result;
    // Ids start at 1, so a location left at zero never opens the first device.
    for (size_t i = 0; i < std::min(listed_.size(), locations.size()); ++i) locations[i] = static_cast<uint32_t>(i + 1);
    *count = static_cast<int32_t>(listed_.size());
    return DeviceStatus::Ok;
}

DeviceStatus DeviceChain::openByLocation(uint32_t location, std::unique_ptr<Device>* device) {
    device->reset();
    if (location == 0 || location > listed_.size()) return DeviceStatus::DeviceNotFound;
    const Listed& entry = listed_[location - 1];
    return entry.driver->openByLocation(entry.location, device);
}

}  // namespace vespian
