#pragma once
// The device interface: the few calls the program makes on the analyser's USB serial bridge,
// shaped like the vendor's D2XX library so every backend (the D2XX library itself, the kernel
// serial driver, the simulated analyser, a capture replay) answers the same way.

#include <cstdint>
#include <memory>
#include <span>

namespace vespian {

// Status codes as the D2XX library numbers them; 0 is success.
enum class DeviceStatus : int32_t {
    Ok = 0,
    InvalidHandle = 1,
    DeviceNotFound = 2,
    DeviceNotOpened = 3,
    IoError = 4,
    InsufficientResources = 5,
    InvalidParameter = 6,
    OtherError = 18,
};

// List flags of the D2XX listing call: list every device, by description or by location.
inline constexpr uint32_t kListAll = 0x20000000;
inline constexpr uint32_t kListByDescription = 0x00000002;
inline constexpr uint32_t kListByLocation = 0x00000004;
inline constexpr uint32_t kOpenByLocation = 4;

// Line settings as the D2XX library numbers them.
inline constexpr uint8_t kBits8 = 8;
inline constexpr uint8_t kStopBits1 = 0;
inline constexpr uint8_t kParityNone = 0;
inline constexpr uint32_t kPurgeRx = 1;
inline constexpr uint32_t kPurgeTx = 2;

// Descriptions are at most 63 characters plus the terminating NUL.
inline constexpr int kDescriptionBufferSize = 64;

// One opened device handle. Reads and writes may come from two threads at once (the
// acquisition thread reads, the UI thread writes); every other call comes from the UI thread.
class Device {
public:
    virtual ~Device() = default;
    virtual DeviceStatus setBaudRate(uint32_t baud) = 0;
    virtual DeviceStatus setDataCharacteristics(uint8_t wordLength, uint8_t stopBits, uint8_t parity) = 0;
    virtual DeviceStatus setTimeouts(uint32_t readMs, uint32_t writeMs) = 0;
    virtual DeviceStatus purge(uint32_t mask) = 0;
    // The one further driver setting, called last with the value 100 (the latency timer).
    virtual DeviceStatus setLatencyTimer(uint8_t milliseconds) = 0;
    virtual DeviceStatus write(const uint8_t* bytes, uint32_t length, uint32_t* written) = 0;
    // Blocks until `length` bytes arrived or the read time-out passed; `*received` may be less.
    virtual DeviceStatus read(uint8_t* buffer, uint32_t length, uint32_t* received) = 0;
    virtual DeviceStatus close() = 0;
};

// A source of devices: lists descriptions and location ids (matched by index, like the D2XX
// library's two listing calls) and opens one by location.
class DeviceDriver {
public:
    virtual ~DeviceDriver() = default;
    // Fills up to descriptions.size() buffers of kDescriptionBufferSize bytes each with
    // NUL-terminated descriptions; *count receives the number of devices.
    virtual DeviceStatus listByDescription(std::span<char*> descriptions, int32_t* count) = 0;
    // Fills up to locations.size() location ids; *count receives the number of devices.
    virtual DeviceStatus listByLocation(std::span<uint32_t> locations, int32_t* count) = 0;
    virtual DeviceStatus openByLocation(uint32_t location, std::unique_ptr<Device>* device) = 0;
};

}  // namespace vespian
