// The CLAP edition's two parameters: the core's table in CLAP's terms. Ids are the table's indices
// and values are plain (InGain in dB, Pitch as the rate index).
//
// Threads: any; nothing here blocks or allocates.
#pragma once

#include "clap.h"
#include "parametertable.h"

#include <cstdint>

namespace clapparam {

constexpr std::uint32_t kInGainId = deltamod::kInGain;
constexpr std::uint32_t kPitchId = deltamod::kPitch;
constexpr std::uint32_t kCount = deltamod::kNumParameters;

// Fills the description of the parameter at index (the same as its id); false past the count.
bool describe(std::uint32_t index, clap_param_info* info);

} // namespace clapparam
