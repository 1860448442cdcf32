// The saved state of the CLAP edition: both parameters' plain values in a small versioned format
// that later versions keep reading.
//
//   bytes 0..3    magic "SlCr"
//   bytes 4..7    format version, unsigned 32-bit little-endian: 1
//   bytes 8..15   InGain in dB, IEEE 754 binary64 little-endian
//   bytes 16..23  Pitch, IEEE 754 binary64 little-endian
//
// Exactly 24 bytes. Reading accepts only that: both values finite and inside their ranges.
//
// Threads: main (the host saves and loads there); blocks only inside the host's stream.
#pragma once

#include "clap.h"

#include <cstddef>
#include <cstdint>

namespace clapstate {

constexpr std::uint32_t kVersion = 1;
constexpr std::size_t kSize = 24;

struct Values {
    double inGainDb;
    double pitch;
};

// Writes all kSize bytes, looping over short writes; false when the stream fails.
bool write(const clap_ostream* stream, const Values& values);

// Reads a whole state to the stream's end, looping over short reads; false, with values left as
// they were, for anything save did not write.
bool read(const clap_istream* stream, Values& values);

} // namespace clapstate
