#pragma once
// The simulator's own random numbers: xoshiro256** seeded through splitmix64, normal deviates by
// the Box–Muller transform. Written here rather than taken from <random>, whose distributions
// differ between standard libraries, so one seed gives one stream everywhere.

#include <cstdint>

namespace vespian::sim {

class RandomSource {
public:
    explicit RandomSource(uint64_t seed);
    uint64_t next();
    double uniform();  // [0, 1)
    double normal();   // mean 0, standard deviation 1

private:
    uint64_t state_[4];
    double spare_ = 0.0;
    bool hasSpare_ = false;
};

}  // namespace vespian::sim
