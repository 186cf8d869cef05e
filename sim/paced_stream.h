#pragma once
// The analyser's byte stream against the wall clock: instrument time runs at `speed` instrument
// seconds per wall second from an origin, each period is produced when it begins and its bytes
// become due evenly over it, as a serial line would deliver them. Due bytes wait in a fixed
// queue (the receive buffer of the USB bridge) until taken; a full queue either loses the newest
// bytes, as an overrun buffer does, or holds the instrument's clock until there is room again,
// as a line with flow control does. At speed 0 or less the periods are produced on demand
// instead.
//
// Not thread-safe: the owner serialises the calls.

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <memory>

#include "sim/simulated_analyser.h"

namespace vespian::sim {

// What a full queue does with the bytes that fall due.
enum class WhenFull {
    LoseNewest,  // an overrun receive buffer: the stream goes on, with a gap
    HoldClock,   // the instrument waits for the line: nothing is lost, its time runs on later
};

class PacedStream {
public:
    using Clock = std::chrono::steady_clock;
    static constexpr size_t kDefaultQueueBytes = 65536;  // about 35 s of frames at real speed

    PacedStream(SimulatedAnalyser& analyser, double speed, Clock::time_point origin,
                size_t queueBytes = kDefaultQueueBytes, WhenFull whenFull = WhenFull::LoseNewest);

    bool paced() const { return speed_ > 0.0; }
    // Paced: produces every period that has begun by `now` and queues the bytes due by then.
    void advanceTo(Clock::time_point now);
    // On demand: produces periods until `wanted` bytes wait, the analyser has nothing to say
    // (not streaming), or a bounded stretch of instrument time has been produced.
    void produce(size_t wanted);
    // Paced: when the next byte becomes due, or when the next period begins.
    Clock::time_point nextDue() const;

    size_t queued() const { return size_; }
    size_t take(uint8_t* out, size_t capacity);
    // Drops the queue and the rest of the current period: what follows starts on a frame.
    void clear();
    uint64_t lostBytes() const { return lost_; }
    // How often a full queue held the clock (WhenFull::HoldClock).
    uint64_t holds() const { return holds_; }

private:
    int64_t instrumentNs(Clock::time_point now) const;  // instrument time since the origin
    void enqueue(const uint8_t* bytes, size_t count);
    void emit();
    // Sets the origin back so that `instrumentNs` at `now` is the given instrument time.
    void holdAt(Clock::time_point now, int64_t instrumentNs);

    SimulatedAnalyser& analyser_;
    double speed_;
    Clock::time_point origin_;
    int64_t periods_ = 0;  // produced since the origin
    uint8_t period_[kMaxPeriodBytes] = {};
    size_t periodLength_ = 0;
    size_t periodSent_ = 0;  // bytes of the current period already queued (or dropped)
    std::unique_ptr<uint8_t[]> queue_;
    size_t capacity_;
    size_t head_ = 0;
    size_t size_ = 0;
    WhenFull whenFull_;
    uint64_t lost_ = 0;
    uint64_t holds_ = 0;
};

}  // namespace vespian::sim
