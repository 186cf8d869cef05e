#pragma once
// Serves a simulated analyser over a file descriptor, such as the master side of a
// pseudo-terminal, so that the kernel serial backend can talk to it end to end: a thread reads
// the command bytes that arrive and writes the analyser's frames when they are due, paced as
// the simulated device paces them. While the far end does not read, the analyser waits rather
// than lose bytes. The descriptor is made non-blocking and stays the caller's.

#include <atomic>
#include <memory>
#include <thread>

#include "sim/simulated_analyser.h"
#include "sim/simulator_options.h"

namespace vespian::sim {

class PacedStream;

class SimulatorEndpoint {
public:
    SimulatorEndpoint(int fd, SimulatorOptions options);
    ~SimulatorEndpoint();  // stops the thread
    SimulatorEndpoint(const SimulatorEndpoint&) = delete;
    SimulatorEndpoint& operator=(const SimulatorEndpoint&) = delete;

    // Starts serving; false when the descriptor cannot be served. A second start does nothing.
    bool start();
    // Ends the thread and waits for it. The analyser stays as it is; start() serves it again.
    void stop();
    bool running() const { return thread_.joinable(); }
    SimulatedAnalyser& analyser() { return analyser_; }
    // How often the analyser has waited for a far end that did not read.
    uint64_t holds() const { return holds_.load(std::memory_order_acquire); }

private:
    void serve();

    int fd_;
    SimulatorOptions options_;
    SimulatedAnalyser analyser_;
    std::unique_ptr<PacedStream> stream_;  // used by the serving thread only
    std::thread thread_;
    std::atomic<bool> stopping_{false};
    std::atomic<uint64_t> holds_{0};
    int wake_[2] = {-1, -1};  // a pipe that interrupts the thread's wait on stop()
};

}  // namespace vespian::sim
