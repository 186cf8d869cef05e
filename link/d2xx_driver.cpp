#include "link/d2xx_driver.h"

#include <dlfcn.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <vector>

namespace vespian {

namespace {

// The vendor's C types on Linux: DWORD and ULONG are 32 bits, the handle is a pointer.
using FtStatus = uint32_t;
using FtHandle = void*;

constexpr uint32_t kListNumberOnly = 0x80000000;
// The listing call has no length argument: a device plugged in between counting and listing
// must still find room.
constexpr uint32_t kHotPlugSlack = 8;

template <typename Function>
bool resolve(void* library, const char* name, Function** function) {
    *function = reinterpret_cast<Function*>(dlsym(library, name));
    return *function != nullptr;
}

// A call the line works without: the library is used whether it has it or not.
template <typename Function>
bool optional(void* library, const char* name, Function** function) {
    resolve(library, name, function);
    return true;
}

}  // namespace

struct D2xxDriver::Api {
    void* library = nullptr;
    FtStatus (*listDevices)(void* arg1, void* arg2, uint32_t flags) = nullptr;
    FtStatus (*openEx)(void* arg1, uint32_t flags, FtHandle* handle) = nullptr;
    FtStatus (*setBaudRate)(FtHandle handle, uint32_t baud) = nullptr;
    FtStatus (*setDataCharacteristics)(FtHandle handle, uint8_t wordLength, uint8_t stopBits, uint8_t parity) = nullptr;
    FtStatus (*setTimeouts)(FtHandle handle, uint32_t readMs, uint32_t writeMs) = nullptr;
    FtStatus (*purge)(FtHandle handle, uint32_t mask) = nullptr;
    FtStatus (*setLatencyTimer)(FtHandle handle, uint8_t milliseconds) = nullptr;
    FtStatus (*write)(FtHandle handle, void* bytes, uint32_t length, uint32_t* written) = nullptr;
    FtStatus (*read)(FtHandle handle, void* buffer, uint32_t length, uint32_t* received) = nullptr;
    FtStatus (*close)(FtHandle handle) = nullptr;

    ~Api() {
        if (library != nullptr) dlclose(library);
    }

    bool resolveAll() {
        return resolve(library, "FT_ListDevices", &listDevices) && resolve(library, "FT_OpenEx", &openEx) &&
               resolve(library, "FT_SetBaudRate", &setBaudRate) &&
               resolve(library, "FT_SetDataCharacteristics", &setDataCharacteristics) &&
               resolve(library, "FT_SetTimeouts", &setTimeouts) && resolve(library, "FT_Purge", &purge) &&
               resolve(library, "FT_Write", &write) && resolve(library, "FT_Read", &read) &&
               resolve(library, "FT_Close", &close) && optional(library, "FT_SetLatencyTimer", &setLatencyTimer);
    }

    // Room for every attached device, counted first.
    DeviceStatus countDevices(uint32_t* count) const {
        *count = 0;
        return static_cast<DeviceStatus>(listDevices(count, nullptr, kListNumberOnly));
    }
};

namespace {

class D2xxDevice final : public Device {
public:
    D2xxDevice(std::shared_ptr<const D2xxDriver::Api> api, FtHandle handle) : api_(std::move(api)), handle_(handle) {}
    ~D2xxDevice() override { close(); }

    DeviceStatus setBaudRate(uint32_t baud) override { return call(api_->setBaudRate, baud); }
    DeviceStatus setDataCharacteristics(uint8_t wordLength, uint8_t stopBits, uint8_t parity) override {
        return call(api_->setDataCharacteristics, wordLength, stopBits, parity);
    }
    DeviceStatus setTimeouts(uint32_t readMs, uint32_t writeMs) override {
        return call(api_->setTimeouts, readMs, writeMs);
    }
    DeviceStatus purge(uint32_t mask) override { return call(api_->purge, mask); }
    DeviceStatus setLatencyTimer(uint8_t milliseconds) override {
        // Its result is ignored by the link; a library without the call simply leaves it out.
        if (api_->setLatencyTimer == nullptr) return DeviceStatus::OtherError;
        return call(api_->setLatencyTimer, milliseconds);
    }
    DeviceStatus write(const uint8_t* bytes, uint32_t length, uint32_t* written) override {
        *written = 0;
        // The vendor's prototype takes a non-const buffer; it does not write to it.
        return call(api_->write, const_cast<uint8_t*>(bytes), length, written);
    }
    DeviceStatus read(uint8_t* buffer, uint32_t length, uint32_t* received) override {
        *received = 0;
        return call(api_->read, buffer, length, received);
    }
    DeviceStatus close() override {
        if (handle_ == nullptr) return DeviceStatus::Ok;
        DeviceStatus result = call(api_->close);
        handle_ = nullptr;
        return result;
    }

private:
    template <typename Function, typename... Args>
    DeviceStatus call(Function function, Args... args) {
        // A closed handle is never handed to the library again.
        if (handle_ == nullptr) return DeviceStatus::InvalidHandle;
        return static_cast<DeviceStatus>(function(handle_, args...));
    }

    std::shared_ptr<const D2xxDriver::Api> api_;
    FtHandle handle_;
};

}  // namespace

D2xxDriver::D2xxDriver(const std::string& libraryPath) {
    auto api = std::make_shared<Api>();
    api->library = dlopen(libraryPath.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (api->library != nullptr && api->resolveAll()) api_ = std::move(api);
}

DeviceStatus D2xxDriver::listByDescription(std::span<char*> descriptions, int32_t* count) {
    *count = 0;
    if (api_ == nullptr) return DeviceStatus::Ok;
    uint32_t attached = 0;
    if (DeviceStatus result = api_->countDevices(&attached); result != DeviceStatus::Ok) return result;

    const uint32_t slots = attached + kHotPlugSlack;
    std::vector<std::array<char, kDescriptionBufferSize>> buffers(slots);
    std::vector<char*> pointers(slots + 1, nullptr);  // null-terminated, as the library wants it
    for (uint32_t i = 0; i < slots; ++i) pointers[i] = buffers[i].data();
    uint32_t listed = 0;
    auto result = static_cast<DeviceStatus>(api_->listDevices(pointers.data(), &listed, kListAll | kListByDescription));
    if (result != DeviceStatus::Ok) return result;

    const size_t copied = std::min<size_t>({listed, slots, descriptions.size()});
    for (size_t i = 0; i < copied; ++i) {
        buffers[i].back() = '\0';
        std::memcpy(descriptions[i], buffers[i].data(), kDescriptionBufferSize);
    }
    *count = static_cast<int32_t>(std::min<uint32_t>(listed, slots));
    return DeviceStatus::Ok;
}

DeviceStatus D2xxDriver::listByLocation(std::span<uint32_t> locations, int32_t* count) {
    *count = 0;
    if (api_ == nullptr) return DeviceStatus::Ok;
    uint32_t attached = 0;
    if (DeviceStatus result = api_->countDevices(&attached); result != DeviceStatus::Ok) return result;

    const uint32_t slots = attached + kHotPlugSlack;
    std::vector<uint32_t> listedLocations(slots, 0);
    uint32_t listed = 0;
    auto result =
        static_cast<DeviceStatus>(api_->listDevices(listedLocations.data(), &listed, kListAll | kListByLocation));
    if (result != DeviceStatus::Ok) return result;

    const size_t copied = std::min<size_t>({listed, slots, locations.size()});
    std::copy_n(listedLocations.begin(), copied, locations.begin());
    *count = static_cast<int32_t>(std::min<uint32_t>(listed, slots));
    return DeviceStatus::Ok;
}

DeviceStatus D2xxDriver::openByLocation(uint32_t location, std::unique_ptr<Device>* device) {
    device->reset();
    if (api_ == nullptr) return DeviceStatus::DeviceNotFound;
    FtHandle handle = nullptr;
    // By location the first argument carries the location id itself, not a pointer to it.
    auto result = static_cast<DeviceStatus>(
        api_->openEx(reinterpret_cast<void*>(static_cast<uintptr_t>(location)), kOpenByLocation, &handle));
    if (result != DeviceStatus::Ok) return result;
    if (handle == nullptr) return DeviceStatus::DeviceNotOpened;
    *device = std::make_unique<D2xxDevice>(api_, handle);
    return DeviceStatus::Ok;
}

}  // namespace vespian
