#pragma once
// How a simulated analyser is run: which seed makes its noise, and how fast its clock goes
// against the wall clock.

#include <cstdint>

namespace vespian::sim {

// The speeds a simulated analyser can run at: from a near standstill (a test's quiet
// instrument) to a thousand times real time, where the bytes still arrive whole. Beyond that a
// wall-clock second would ask for years of instrument time at once, and below it the next byte
// would be due after the end of time.
inline constexpr double kMinSpeed = 0.0001;
inline constexpr double kMaxSpeed = 1000.0;

struct SimulatorOptions {
    uint64_t seed = 1;
    // Instrument seconds per wall second; 0 or less delivers as fast as the reader takes bytes.
    double speed = 1.0;
};

}  // namespace vespian::sim
