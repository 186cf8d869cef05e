#pragma once
// A fingerprint of bytes: a 64-bit value that changes when any of them changes (not a
// cryptographic hash). It tells whether data held in memory still match what was last saved,
// at a few milliseconds for the largest record database.

#include <cstddef>
#include <cstdint>

namespace vespian {

inline constexpr uint64_t kFingerprintStart = 0xcbf29ce484222325ull;

// Continues `fingerprint` over `size` bytes.
uint64_t fingerprintBytes(uint64_t fingerprint, const void* data, size_t size);

template <typename T>
uint64_t fingerprintOf(uint64_t fingerprint, const T& value) {
    return fingerprintBytes(fingerprint, &value, sizeof value);
}

}  // namespace vespian
