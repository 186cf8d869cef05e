#include "platform/fingerprint.h"

#include <cstring>

namespace vespian {

namespace {

constexpr uint64_t kPrime = 0x100000001b3ull;

uint64_t mix(uint64_t h, uint64_t word) {
    h ^= word;
    h *= kPrime;
    return h ^ (h >> 29);
}

}  // namespace

uint64_t fingerprintBytes(uint64_t h, const void* data, size_t size) {
    const auto* bytes = static_cast<const unsigned char*>(data);
    size_t i = 0;
    // Eight bytes a step; the length goes in too, so moved bytes change the value.
    for (; i + 8 <= size; i += 8) {
        uint64_t word;
        std::memcpy(&word, bytes + i, 8);
        h = mix(h, word);
    }
    uint64_t tail = 0;
    std::memcpy(&tail, bytes + i, size - i);
    return mix(mix(h, tail), size);
}

}  // namespace vespian
