#include "link/acquisition_thread.h"

#include <chrono>
#include <thread>

#include "link/instrument_link.h"

namespace vespian {

namespace {

// Idling while paused sleeps between polls instead of spinning a core at 100 %.
constexpr auto kPausePoll = std::chrono::milliseconds(1);
// A read that fails with an error status (a vanished device answers at once) is followed by
// this short pause, so retrying does not spin either; a time-out has already waited 1 s.
constexpr auto kErrorBackoff = std::chrono::milliseconds(1);

}  // namespace

AcquisitionThread::AcquisitionThread(InstrumentLink& link)
    : link_(link), decoder_(link.chromatogram_, link.readings_) {}

bool AcquisitionThread::mayContinue() const {
    return link_.deviceOpen_.load(std::memory_order_acquire) != 0 &&
           link_.stop_.load(std::memory_order_acquire) == 0;
}

bool AcquisitionThread::readByte(uint8_t* byte) {
    Device* device = link_.device_.get();
    uint32_t received = 0;
    DeviceStatus status = DeviceStatus::DeviceNotOpened;
    if (device != nullptr) {
        status = device->read(byte, 1, &received);
    }
    link_.readings_.lastReadStatus.store(static_cast<int32_t>(status), std::memory_order_relaxed);
    if (status != DeviceStatus::Ok) {
        // An error status fails the byte whatever the count says.
        std::this_thread::sleep_for(kErrorBackoff);
        return false;
    }
    return received >= 1;  // fewer than 1 byte (the read time-out) counts as failed
}

int AcquisitionThread::run() {
    decoder_.reset();  // every thread start begins with an empty accumulator
    uint8_t frame[kFrameLength];
    while (mayContinue()) {
        // 1.1 Idle while paused, the device is open and the stop flag is clear.
        while (link_.pause_.load(std::memory_order_acquire) != 0 && mayContinue()) {
            std::this_thread::sleep_for(kPausePoll);
        }
        // 1.2 Read the frame one byte at a time, checking the flags before each byte.
        bool failed = false;
        for (int i = 0; i < kFrameLength; ++i) {
            if (!mayContinue()) {
                link_.threadRunning_.store(0, std::memory_order_release);
                return 0;
            }
            if (!readByte(&frame[i])) {
                failed = true;  // the first failed byte ends this frame
                break;
            }
        }
        // 1.3 Check the flags again.
        if (!mayContinue()) {
            break;
        }
        // 1.4 A failed byte drops the partial frame.
        if (failed) {
            continue;
        }
        // 1.5 Decode; an unknown type byte costs one more byte (resynchronisation).
        if (!decoder_.decode(frame)) {
            if (!mayContinue()) {
                break;
            }
            uint8_t discarded = 0;
            readByte(&discarded);
        }
    }
    // 2. The loop condition failed: clear the thread-running flag and end.
    link_.threadRunning_.store(0, std::memory_order_release);
    return 0;
}

}  // namespace vespian
