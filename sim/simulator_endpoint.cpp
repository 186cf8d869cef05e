#include "sim/simulator_endpoint.h"

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>

#include "sim/paced_stream.h"

namespace vespian::sim {

namespace {

using Clock = std::chrono::steady_clock;

// The longest the thread sleeps without looking again: bounds the delay of a command that the
// poll does not see (none should be missed) and of a stream started by another caller.
constexpr int kLongestWaitMs = 20;
// Frames taken from the queue for one write: a few periods.
constexpr size_t kWriteChunk = 4 * kMaxPeriodBytes;

int millisecondsUntil(Clock::time_point when, Clock::time_point now) {
    if (when <= now) return 0;
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(when - now).count();
    return static_cast<int>(std::min<long long>(left, kLongestWaitMs));
}

}  // namespace

SimulatorEndpoint::SimulatorEndpoint(int fd, SimulatorOptions options)
    : fd_(fd),
      options_(options),
      analyser_(options.seed),
      // A full terminal makes the instrument wait, as a line with flow control would: a byte
      // dropped here would shift the reader off the four-byte frames and cut the time axis.
      stream_(std::make_unique<PacedStream>(analyser_, options.speed, Clock::now(), PacedStream::kDefaultQueueBytes,
                                            WhenFull::HoldClock)) {}

SimulatorEndpoint::~SimulatorEndpoint() { stop(); }

bool SimulatorEndpoint::start() {
    if (thread_.joinable()) return true;
    if (fd_ < 0) return false;
    const int flags = ::fcntl(fd_, F_GETFL);
    if (flags < 0 || ::fcntl(fd_, F_SETFL, flags | O_NONBLOCK) < 0) return false;
    if (::pipe2(wake_, O_NONBLOCK | O_CLOEXEC) != 0) return false;
    // What the instrument had ready while nobody served the line is dropped, not sent late in a
    // burst; its clock stood still once that was full.
    stream_->advanceTo(Clock::now());
    stream_->clear();
    stopping_.store(false, std::memory_order_release);
    thread_ = std::thread(&SimulatorEndpoint::serve, this);
    return true;
}

void SimulatorEndpoint::stop() {
    if (!thread_.joinable()) return;
    stopping_.store(true, std::memory_order_release);
    const uint8_t signal = 1;
    [[maybe_unused]] ssize_t ignored = ::write(wake_[1], &signal, 1);
    thread_.join();
    ::close(wake_[0]);
    ::close(wake_[1]);
    wake_[0] = wake_[1] = -1;
}

void SimulatorEndpoint::serve() {
    PacedStream& stream = *stream_;
    uint8_t incoming[256];
    uint8_t outgoing[kWriteChunk];
    size_t outLength = 0;
    size_t outSent = 0;
    while (!stopping_.load(std::memory_order_acquire)) {
        const auto now = Clock::now();
        stream.advanceTo(now);
        holds_.store(stream.holds(), std::memory_order_release);
        if (outSent == outLength) {
            if (stream.queued() == 0) stream.produce(kMaxPeriodBytes);
            outLength = stream.take(outgoing, sizeof outgoing);
            outSent = 0;
        }

        // Write what is due without blocking; the model's lock is not held here.
        bool blocked = false;
        while (outSent < outLength) {
            const ssize_t n = ::write(fd_, outgoing + outSent, outLength - outSent);
            if (n > 0) {
                outSent += static_cast<size_t>(n);
            } else if (n < 0 && errno == EINTR) {
                continue;
            } else if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
                blocked = true;
                break;
            } else {
                outSent = outLength;  // the line itself is gone (no terminal on the far end)
            }
        }
        int waitMs = kLongestWaitMs;
        if (!blocked) {
            if (stream.queued() > 0 || (!stream.paced() && outLength > 0)) {
                waitMs = 0;  // more is due already, or the line takes all it can get
            } else if (stream.paced()) {
                waitMs = millisecondsUntil(stream.nextDue(), now);
            }
        }
        pollfd fds[2] = {{fd_, static_cast<short>(POLLIN | (blocked ? POLLOUT : 0)), 0}, {wake_[0], POLLIN, 0}};
        if (::poll(fds, 2, waitMs) < 0) {
            if (errno != EINTR) ::poll(&fds[1], 1, kLongestWaitMs);
            continue;
        }
        if ((fds[1].revents & POLLIN) != 0) {
            uint8_t drained[16];
            while (::read(wake_[0], drained, sizeof drained) > 0) {
            }
        }
        if ((fds[0].revents & (POLLIN | POLLHUP | POLLERR)) == 0) continue;
        const ssize_t n = ::read(fd_, incoming, sizeof incoming);
        if (n > 0) {
            stream.advanceTo(Clock::now());  // the command acts at the present instrument time
            analyser_.receive(incoming, static_cast<size_t>(n));
        } else if (n == 0 || (errno != EAGAIN && errno != EINTR)) {
            // The far end is closed (a pty master reads EIO): wait instead of spinning on it.
            fds[1].revents = 0;
            ::poll(&fds[1], 1, kLongestWaitMs);
        }
    }
}

}  // namespace vespian::sim
