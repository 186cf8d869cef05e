#include "link/instrument_link.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <span>

#include "link/acquisition_thread.h"

namespace vespian {

namespace {

static_assert(sizeof kAnalyserDescription <= sizeof FoundDevice::description);
constexpr auto kStopPoll = std::chrono::milliseconds(1);

}  // namespace

InstrumentLink::InstrumentLink(DeviceDriver& driver, Chromatogram& chromatogram, InstrumentReadings& readings)
    : driver_(driver), chromatogram_(chromatogram), readings_(readings) {}

InstrumentLink::~InstrumentLink() {
    if (device_ != nullptr || thread_.joinable()) close();
}

bool InstrumentLink::open() {
    // The acquisition thread reads through the handle that is about to be closed; a reopen
    // (the watchdog's) while it still runs would leave it reading a freed device.
    if (threadRunning()) stopAcquisition();
    if (device_ != nullptr) {
        device_->close();
        device_.reset();
    }

    char descriptionBuffers[kListedDescriptionSlots][kDescriptionBufferSize] = {};
    char* descriptions[kListedDescriptionSlots + 1] = {};  // null-terminated, as the vendor wants it
    for (int i = 0; i < kListedDescriptionSlots; ++i) descriptions[i] = descriptionBuffers[i];
    int32_t descriptionCount = 0;
    if (driver_.listByDescription(std::span<char*>(descriptions, kListedDescriptionSlots), &descriptionCount) !=
        DeviceStatus::Ok) {
        return false;
    }
    uint32_t locations[kMaxFoundDevices] = {};
    int32_t locationCount = 0;
    if (driver_.listByLocation(std::span<uint32_t>(locations, kMaxFoundDevices), &locationCount) != DeviceStatus::Ok) {
        return false;
    }

    // The two lists match by index; a count beyond the slots we handed out is not ours to read.
    const int32_t listed =
        std::clamp(std::min(descriptionCount, locationCount), int32_t{0}, int32_t{kListedDescriptionSlots});
    foundCount_ = 0;
    for (int32_t i = 0; i < listed; ++i) {
        descriptionBuffers[i][kDescriptionBufferSize - 1] = '\0';
        if (std::strcmp(descriptionBuffers[i], kAnalyserDescription) != 0) continue;
        FoundDevice& entry = found_[foundCount_++];
        std::memcpy(entry.description, kAnalyserDescription, sizeof kAnalyserDescription);  // the matched text
        entry.location = locations[i];
    }
    if (foundCount_ == 0) return false;

    std::unique_ptr<Device> device;
    if (driver_.openByLocation(found_[0].location, &device) != DeviceStatus::Ok || device == nullptr) {
        return false;
    }
    device->setBaudRate(kLineBaudRate);
    device->setDataCharacteristics(kBits8, kStopBits1, kParityNone);
    device->setTimeouts(kReadTimeoutMs, kWriteTimeoutMs);
    device->purge(kPurgeRx | kPurgeTx);
    device->setLatencyTimer(kLatencyTimerMs);  // the line works without it; its result is ignored
    device_ = std::move(device);
    deviceOpen_.store(1, std::memory_order_release);
    pause_.store(1, std::memory_order_release);
    return true;
}

void InstrumentLink::start() {
    send(StartStream());
    stop_.store(0, std::memory_order_release);
    if (!threadRunning()) launchThread();
    pause_.store(0, std::memory_order_release);
}

bool InstrumentLink::close() {
    stopAcquisition();
    if (device_ != nullptr) {
        send(Halt());
        device_->close();
        device_.reset();
    }
    return true;
}

bool InstrumentLink::reconnect() {
    close();
    if (!open()) return false;
    start();
    return true;
}

void InstrumentLink::write(const uint8_t* bytes, uint32_t length) {
    if (device_ == nullptr || length == 0) return;
    uint32_t written = 0;
    device_->write(bytes, length, &written);
}

void InstrumentLink::ensureAcquisition() {
    if (!threadRunning()) launchThread();
}

void InstrumentLink::launchThread() {
    if (thread_.joinable()) thread_.join();  // the previous thread has already cleared its flag
    // Raised before the thread exists: a thread that ends at once must be able to clear it, or
    // close() would wait for a thread that is gone.
    threadRunning_.store(1, std::memory_order_release);
    thread_ = std::thread([this] { AcquisitionThread(*this).run(); });
}

void InstrumentLink::stopAcquisition() {
    stop_.store(1, std::memory_order_release);
    // The thread looks at the stop flag between single-byte reads, so this lasts at most about
    // one read time-out.
    while (threadRunning()) std::this_thread::sleep_for(kStopPoll);
    if (thread_.joinable()) thread_.join();
}

}  // namespace vespian
