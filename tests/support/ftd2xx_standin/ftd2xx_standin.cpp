// Our own stand-in for the vendor's D2XX library, for tests only. It exports the same C
// functions the D2XX backend loads at run time, serves a configured list of attached devices,
// logs every configuration call and written byte, and hands fed bytes to reads.
//
// Test-side functions:
//   FtStandin_configure(descriptions, locations, count)  attached devices; resets all state
//   FtStandin_feed(bytes, length)                         bytes the next reads return
//   FtStandin_callLog()                                   one line per call, e.g. "SetBaudRate 38400"

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <deque>
#include <mutex>
#include <set>
#include <string>
#include <vector>

namespace {

using FtStatus = uint32_t;
using FtHandle = void*;

constexpr FtStatus kOk = 0;
constexpr FtStatus kInvalidHandle = 1;
constexpr FtStatus kDeviceNotFound = 2;
constexpr FtStatus kInvalidParameter = 6;

constexpr uint32_t kListNumberOnly = 0x80000000;
constexpr uint32_t kListAllByDescription = 0x20000002;
constexpr uint32_t kListAllByLocation = 0x20000004;
constexpr uint32_t kOpenByLocation = 4;
constexpr size_t kDescriptionBuffer = 64;

struct Attached {
    std::string description;
    uint32_t location;
};

struct State {
    std::mutex mutex;
    std::condition_variable fed;
    std::vector<Attached> devices;
    std::set<uintptr_t> openHandles;
    uintptr_t nextHandle = 1;
    std::deque<uint8_t> pending;
    uint32_t readTimeoutMs = 0;
    std::string log;
    std::string logSnapshot;
};

State& state() {
    static State s;
    return s;
}

void logLine(State& s, const std::string& line) { s.log += line + "\n"; }

bool isOpen(State& s, FtHandle handle) { return s.openHandles.count(reinterpret_cast<uintptr_t>(handle)) != 0; }

std::string number(uint64_t value) { return std::to_string(value); }

}  // namespace

extern "C" {

FtStatus FT_ListDevices(void* arg1, void* arg2, uint32_t flags) {
    State& s = state();
    std::lock_guard lock(s.mutex);
    const auto count = static_cast<uint32_t>(s.devices.size());
    if (flags == kListNumberOnly) {
        logLine(s, "ListDevices number");
        *static_cast<uint32_t*>(arg1) = count;
        return kOk;
    }
    if (flags == kListAllByDescription) {
        logLine(s, "ListDevices description");
        auto** buffers = static_cast<char**>(arg1);
        for (uint32_t i = 0; i < count && buffers[i] != nullptr; ++i) {
            std::strncpy(buffers[i], s.devices[i].description.c_str(), kDescriptionBuffer - 1);
            buffers[i][kDescriptionBuffer - 1] = '\0';
        }
        *static_cast<uint32_t*>(arg2) = count;
        return kOk;
    }
    if (flags == kListAllByLocation) {
        logLine(s, "ListDevices location");
        auto* locations = static_cast<uint32_t*>(arg1);
        for (uint32_t i = 0; i < count; ++i) locations[i] = s.devices[i].location;
        *static_cast<uint32_t*>(arg2) = count;
        return kOk;
    }
    logLine(s, "ListDevices flags " + number(flags));
    return kInvalidParameter;
}

FtStatus FT_OpenEx(void* arg1, uint32_t flags, FtHandle* handle) {
    State& s = state();
    std::lock_guard lock(s.mutex);
    const auto location = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(arg1));
    logLine(s, "OpenEx " + number(location) + " flags " + number(flags));
    *handle = nullptr;
    if (flags != kOpenByLocation) return kInvalidParameter;
    for (const Attached& device : s.devices) {
        if (device.location != location) continue;
        uintptr_t id = s.nextHandle++;
        s.openHandles.insert(id);
        *handle = reinterpret_cast<FtHandle>(id);
        return kOk;
    }
    return kDeviceNotFound;
}

FtStatus FT_SetBaudRate(FtHandle handle, uint32_t baud) {
    State& s = state();
    std::lock_guard lock(s.mutex);
    if (!isOpen(s, handle)) return kInvalidHandle;
    logLine(s, "SetBaudRate " + number(baud));
    return kOk;
}

FtStatus FT_SetDataCharacteristics(FtHandle handle, uint8_t wordLength, uint8_t stopBits, uint8_t parity) {
    State& s = state();
    std::lock_guard lock(s.mutex);
    if (!isOpen(s, handle)) return kInvalidHandle;
    logLine(s, "SetDataCharacteristics " + number(wordLength) + " " + number(stopBits) + " " + number(parity));
    return kOk;
}

FtStatus FT_SetTimeouts(FtHandle handle, uint32_t readMs, uint32_t writeMs) {
    State& s = state();
    std::lock_guard lock(s.mutex);
    if (!isOpen(s, handle)) return kInvalidHandle;
    s.readTimeoutMs = readMs;
    logLine(s, "SetTimeouts " + number(readMs) + " " + number(writeMs));
    return kOk;
}

FtStatus FT_Purge(FtHandle handle, uint32_t mask) {
    State& s = state();
    std::lock_guard lock(s.mutex);
    if (!isOpen(s, handle)) return kInvalidHandle;
    logLine(s, "Purge " + number(mask));
    return kOk;
}

// Some builds of the vendor's library come without the latency call.
#ifndef FTSTANDIN_WITHOUT_LATENCY
FtStatus FT_SetLatencyTimer(FtHandle handle, uint8_t milliseconds) {
    State& s = state();
    std::lock_guard lock(s.mutex);
    if (!isOpen(s, handle)) return kInvalidHandle;
    logLine(s, "SetLatencyTimer " + number(milliseconds));
    return kOk;
}
#endif

FtStatus FT_Write(FtHandle handle, void* bytes, uint32_t length, uint32_t* written) {
    State& s = state();
    std::lock_guard lock(s.mutex);
    *written = 0;
    if (!isOpen(s, handle)) return kInvalidHandle;
    std::string line = "Write";
    for (uint32_t i = 0; i < length; ++i) {
        char hex[4];
        std::snprintf(hex, sizeof hex, " %02X", static_cast<const uint8_t*>(bytes)[i]);
        line += hex;
    }
    logLine(s, line);
    *written = length;
    return kOk;
}

// Returns what has been fed, waiting up to the read time-out for the first byte.
FtStatus FT_Read(FtHandle handle, void* buffer, uint32_t length, uint32_t* received) {
    State& s = state();
    std::unique_lock lock(s.mutex);
    *received = 0;
    if (!isOpen(s, handle)) return kInvalidHandle;
    s.fed.wait_for(lock, std::chrono::milliseconds(s.readTimeoutMs), [&] { return !s.pending.empty(); });
    auto* out = static_cast<uint8_t*>(buffer);
    while (*received < length && !s.pending.empty()) {
        out[(*received)++] = s.pending.front();
        s.pending.pop_front();
    }
    return kOk;
}

FtStatus FT_Close(FtHandle handle) {
    State& s = state();
    std::lock_guard lock(s.mutex);
    if (s.openHandles.erase(reinterpret_cast<uintptr_t>(handle)) == 0) return kInvalidHandle;
    logLine(s, "Close");
    return kOk;
}

void FtStandin_configure(const char* const* descriptions, const uint32_t* locations, int count) {
    State& s = state();
    std::lock_guard lock(s.mutex);
    s.devices.clear();
    for (int i = 0; i < count; ++i) s.devices.push_back({descriptions[i], locations[i]});
    s.openHandles.clear();
    s.nextHandle = 1;
    s.pending.clear();
    s.readTimeoutMs = 0;
    s.log.clear();
}

void FtStandin_feed(const uint8_t* bytes, uint32_t length) {
    State& s = state();
    {
        std::lock_guard lock(s.mutex);
        s.pending.insert(s.pending.end(), bytes, bytes + length);
    }
    s.fed.notify_all();
}

// The returned text stays valid until the next call.
const char* FtStandin_callLog() {
    State& s = state();
    std::lock_guard lock(s.mutex);
    s.logSnapshot = s.log;
    return s.logSnapshot.c_str();
}

}  // extern "C"
