#include "sim/paced_stream.h"

#include <algorithm>
#include <cmath>

namespace vespian::sim {

namespace {

// One demand never runs the instrument on by more than five minutes, so a long silence cannot
// hold the reader.
constexpr int kMostPeriodsPerDemand = 1500;
constexpr int64_t kPeriodNs = 200'000'000;
static_assert(kPeriodNs == static_cast<int64_t>(kPeriodSeconds * 1e9 + 0.5));

}  // namespace

PacedStream::PacedStream(SimulatedAnalyser& analyser, double speed, Clock::time_point origin, size_t queueBytes,
                         WhenFull whenFull)
    : analyser_(analyser),
      speed_(std::isfinite(speed) ? speed : 0.0),  // an endless speed is "as fast as read"
      origin_(origin),
      queue_(new uint8_t[std::max<size_t>(queueBytes, kMaxPeriodBytes)]),
      capacity_(std::max<size_t>(queueBytes, kMaxPeriodBytes)),
      whenFull_(whenFull) {}

void PacedStream::emit() {
    periodLength_ = analyser_.emitPeriod(period_, sizeof period_);
    periodSent_ = 0;
    ++periods_;
}

int64_t PacedStream::instrumentNs(Clock::time_point now) const {
    const auto wallNs = std::chrono::duration_cast<std::chrono::nanoseconds>(now - origin_).count();
    return wallNs <= 0 ? 0 : static_cast<int64_t>(std::floor(static_cast<double>(wallNs) * speed_));
}

void PacedStream::advanceTo(Clock::time_point now) {
    if (!paced()) return;
    // Whole nanoseconds, so that period boundaries and byte shares fall exactly.
    const int64_t elapsed = instrumentNs(now);
    for (;;) {
        if (periods_ > 0) {
            const int64_t begun = (periods_ - 1) * kPeriodNs;
            const int64_t into = std::clamp<int64_t>(elapsed - begun, 0, kPeriodNs);
            const auto length = static_cast<int64_t>(periodLength_);
            const auto due = static_cast<size_t>(length * into / kPeriodNs);
            if (due > periodSent_ && whenFull_ == WhenFull::HoldClock && due - periodSent_ > capacity_ - size_) {
                const size_t room = capacity_ - size_;
                enqueue(period_ + periodSent_, room);
                periodSent_ += room;
                // The clock stands at the moment the last byte that fitted fell due.
                holdAt(now, begun + (static_cast<int64_t>(periodSent_) * kPeriodNs + length - 1) / length);
                ++holds_;
                return;
            }
            if (due > periodSent_) {
                enqueue(period_ + periodSent_, due - periodSent_);
                periodSent_ = due;
            }
            if (periodSent_ < periodLength_) return;  // the current period is still on the line
        }
        if (periods_ * kPeriodNs > elapsed) return;  // the next period has not begun
        emit();
    }
}

void PacedStream::produce(size_t wanted) {
    if (paced()) return;
    wanted = std::min(wanted, capacity_);
    for (int i = 0; i < kMostPeriodsPerDemand && size_ < wanted; ++i) {
        if (capacity_ - size_ < kMaxPeriodBytes) return;  // keep whole periods in the queue
        emit();
        enqueue(period_, periodLength_);
        periodSent_ = periodLength_;
        if (periodLength_ == 0 && !analyser_.streaming()) return;  // only a command changes that
    }
}

PacedStream::Clock::time_point PacedStream::nextDue() const {
    if (!paced()) return Clock::time_point::max();
    int64_t instrument = periods_ * kPeriodNs;  // the next period begins
    if (periods_ > 0 && periodSent_ < periodLength_) {
        const auto length = static_cast<int64_t>(periodLength_);
        const int64_t share = (static_cast<int64_t>(periodSent_ + 1) * kPeriodNs + length - 1) / length;
        instrument = (periods_ - 1) * kPeriodNs + share;
    }
    const double wallNs = std::ceil(static_cast<double>(instrument) / speed_);
    return origin_ + std::chrono::duration_cast<Clock::duration>(std::chrono::nanoseconds(static_cast<int64_t>(wallNs)));
}

void PacedStream::holdAt(Clock::time_point now, int64_t instrumentNs) {
    const auto wallNs = static_cast<int64_t>(std::ceil(static_cast<double>(instrumentNs) / speed_));
    origin_ = now - std::chrono::duration_cast<Clock::duration>(std::chrono::nanoseconds(wallNs));
}

void PacedStream::enqueue(const uint8_t* bytes, size_t count) {
    for (size_t i = 0; i < count; ++i) {
        if (size_ == capacity_) {
            lost_ += count - i;
            return;
        }
        queue_[(head_ + size_) % capacity_] = bytes[i];
        ++size_;
    }
}

size_t PacedStream::take(uint8_t* out, size_t capacity) {
    const size_t n = std::min(capacity, size_);
    for (size_t i = 0; i < n; ++i) out[i] = queue_[(head_ + i) % capacity_];
    head_ = (head_ + n) % capacity_;
    size_ -= n;
    return n;
}

void PacedStream::clear() {
    head_ = 0;
    size_ = 0;
    periodSent_ = periodLength_;
}

}  // namespace vespian::sim
