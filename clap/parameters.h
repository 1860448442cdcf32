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
constexpr double kInGainDefault = deltamod::kParameters[kInGainId].defaultValue;
constexpr double kPitchDefault = deltamod::kParameters[kPitchId].defaultValue;

constexpr bool isKnown(std::uint32_t id) { return deltamod::isParameter(id); }

// Fills the description of the parameter at index (the same as its id); false past the count.
bool describe(std::uint32_t index, clap_param_info* info);

// A value as the parameter keeps it: clamped into the range, NaN the lowest value.
inline double clamped(std::uint32_t id, double value) {
    return deltamod::clampedPlainValue(static_cast<int>(id), value);
}

// The value's text and a text's value, as the core writes and reads them; false for an unknown id.
inline bool valueToText(std::uint32_t id, double value, char* text, std::uint32_t capacity) {
    return isKnown(id) && deltamod::plainValueText(static_cast<int>(id), value, text, capacity);
}
inline bool textToValue(std::uint32_t id, const char* text, double* value) {
    return isKnown(id) && deltamod::plainValueFromText(static_cast<int>(id), text, value);
}

} // namespace clapparam
