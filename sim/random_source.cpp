#include "sim/random_source.h"

#include <cmath>
#include <numbers>

namespace vespian::sim {

namespace {

uint64_t splitmix64(uint64_t& x) {
    uint64_t z = (x += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

constexpr uint64_t rotl(uint64_t x, int k) { return (x << k) | (x >> (64 - k)); }

}  // namespace

RandomSource::RandomSource(uint64_t seed) {
    // splitmix64 spreads any seed, 0 included, over the whole state; xoshiro must not start at 0.
    for (uint64_t& word : state_) word = splitmix64(seed);
}

uint64_t RandomSource::next() {
    const uint64_t result = rotl(state_[1] * 5, 7) * 9;
    const uint64_t t = state_[1] << 17;
    state_[2] ^= state_[0];
    state_[3] ^= state_[1];
    state_[1] ^= state_[2];
    state_[0] ^= state_[3];
    state_[2] ^= t;
    state_[3] = rotl(state_[3], 45);
    return result;
}

double RandomSource::uniform() {
    return static_cast<double>(next() >> 11) * 0x1.0p-53;  // 53 bits: every value exact
}

double RandomSource::normal() {
    if (hasSpare_) {
        hasSpare_ = false;
        return spare_;
    }
    const double u1 = 1.0 - uniform();  // (0, 1]: the logarithm stays finite
    const double u2 = uniform();
    const double radius = std::sqrt(-2.0 * std::log(u1));
    const double angle = 2.0 * std::numbers::pi * u2;
    spare_ = radius * std::sin(angle);
    hasSpare_ = true;
    return radius * std::cos(angle);
}

}  // namespace vespian::sim
