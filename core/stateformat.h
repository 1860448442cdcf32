// The saved state: both parameters' plain values in a small versioned format that later versions
// keep reading, the same on every platform.
//
//   bytes 0..3    magic "SlCr"
//   bytes 4..7    format version, unsigned 32-bit little-endian: 1
//   bytes 8..15   InGain in dB, IEEE 754 binary64 little-endian
//   bytes 16..23  Pitch (the rate index), IEEE 754 binary64 little-endian
//
// Exactly 24 bytes. Reading accepts only that: both values finite and inside their ranges.
//
// Threads: any; nothing here blocks or allocates.
#pragma once

#include "parametertable.h"

#include <array>
#include <cstddef>
#include <cstdint>

namespace deltamod {

constexpr std::uint32_t kStateVersion = 1;
constexpr std::size_t kStateSize = 24;

using PlainValues = std::array<double, kNumParameters>; // by parameter index
using StateBytes = std::array<unsigned char, kStateSize>;
static_assert(kStateSize == 8 + 8 * kNumParameters, "magic, version, one double per parameter");

StateBytes encodeState(const PlainValues& values);

// False, with values left as they were, for anything encodeState did not write.
bool decodeState(const unsigned char* bytes, std::size_t size, PlainValues& values);

} // namespace deltamod
