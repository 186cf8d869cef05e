#pragma once
// How a simulated analyser is run: which seed makes its noise, and how fast its clock goes
// against the wall clock.

#include <cstdint>

namespace vespian::sim {

struct SimulatorOptions {
    uint64_t seed = 1;
    // Instrument seconds per wall second; 0 or less delivers as fast as the reader takes bytes.
    double speed = 1.0;
};

}  // namespace vespian::sim
