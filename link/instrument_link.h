#pragma once
// The one link to the analyser: finds it among the attached devices by its description, opens
// and configures the serial line, starts and stops the data stream and the acquisition thread,
// and writes commands.

#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <thread>

#include "link/command_set.h"
#include "link/device.h"
#include "link/instrument_readings.h"

namespace vespian {

class Chromatogram;

inline constexpr char kAnalyserDescription[] = "TRV-8800";
inline constexpr int kMaxFoundDevices = 200;
inline constexpr int kListedDescriptionSlots = 199;
inline constexpr uint32_t kLineBaudRate = 38400;
inline constexpr uint32_t kReadTimeoutMs = 1000;
inline constexpr uint32_t kWriteTimeoutMs = 1000;
inline constexpr uint8_t kLatencyTimerMs = 100;

struct FoundDevice {
    char description[20] = {};  // up to 19 characters
    uint32_t location = 0;
};

class InstrumentLink {
public:
    InstrumentLink(DeviceDriver& driver, Chromatogram& chromatogram, InstrumentReadings& readings);
    ~InstrumentLink();  // closes the link if it is still open
    InstrumentLink(const InstrumentLink&) = delete;
    InstrumentLink& operator=(const InstrumentLink&) = delete;

    // Stops a still running acquisition thread, closes any current handle, lists the devices,
    // opens the first "TRV-8800" and configures the line. False when no such device is found or
    // it cannot be opened; no message. A failed open leaves the flags as they were.
    bool open();
    // Sends StartStream, clears the stop flag, creates the acquisition thread unless it runs,
    // clears the pause flag. Call only after open() returned true.
    void start();
    // Stops the acquisition thread and waits for it, sends Halt, closes the device. Never call it
    // from the acquisition thread: it would wait for itself.
    bool close();
    // The watchdog's restart: close, reopen and, when the reopening succeeded, start. True when
    // the link streams again.
    bool reconnect();
    // Writes the bytes on the current handle; the result is ignored by every caller.
    void write(const uint8_t* bytes, uint32_t length);
    // Every command goes out here: the observer (the run record) hears each one that has bytes.
    void send(const Command& command) {
        write(command.bytes.data(), command.length);
        if (sendObserver_ && command.length > 0) sendObserver_(command);
    }
    // Called on the sender's thread, after the write.
    void setSendObserver(std::function<void(const Command&)> observer) { sendObserver_ = std::move(observer); }
    // Creates the acquisition thread when it is not running (the signal-zero command does so).
    void ensureAcquisition();

    bool deviceOpen() const { return deviceOpen_.load(std::memory_order_acquire) != 0; }
    bool threadRunning() const { return threadRunning_.load(std::memory_order_acquire) != 0; }
    bool paused() const { return pause_.load(std::memory_order_acquire) != 0; }
    int32_t foundCount() const { return foundCount_; }
    const FoundDevice& found(int index) const { return found_[index]; }
    Chromatogram& chromatogram() { return chromatogram_; }
    InstrumentReadings& readings() { return readings_; }

private:
    friend class AcquisitionThread;
    void launchThread();
    // Sets the stop flag, waits until the thread has cleared its running flag, joins it.
    void stopAcquisition();

    DeviceDriver& driver_;
    Chromatogram& chromatogram_;
    InstrumentReadings& readings_;
    std::unique_ptr<Device> device_;
    std::array<FoundDevice, kMaxFoundDevices> found_{};
    int32_t foundCount_ = 0;
    std::atomic<int32_t> deviceOpen_{0};
    std::atomic<uint8_t> pause_{0};
    std::atomic<uint8_t> stop_{0};
    std::atomic<int32_t> threadRunning_{0};
    std::thread thread_;
    std::function<void(const Command&)> sendObserver_;
};

}  // namespace vespian
