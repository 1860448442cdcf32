// The CLAP edition's two parameters as plain values in their own units: "InGain" in dB and
// "Pitch" as the rate index. Their ranges, how a value reaches the converter, and their texts.
//
// Threads: any; nothing here blocks or allocates.
#pragma once

#include "clap.h"
#include "deltamodfacts.h"

#include <cstdint>

namespace clapparam {

constexpr std::uint32_t kInGainId = 0;
constexpr std::uint32_t kPitchId = 1;
constexpr std::uint32_t kCount = 2;

// "InGain": the lowest value is silence.
constexpr double kInGainMin = deltamod::kMinGainDb;
constexpr double kInGainMax = deltamod::kMaxGainDb;
constexpr double kInGainDefault = 0.0;
// "Pitch": one step per conversion rate; a value is truncated towards zero.
constexpr double kPitchMin = 0.0;
constexpr double kPitchMax = deltamod::kMaxRateIndex;
constexpr double kPitchDefault = deltamod::kDefaultRateIndex;

constexpr bool isKnown(std::uint32_t id) { return id == kInGainId || id == kPitchId; }

// Fills the description of the parameter at index (the same as its id); false past the count.
bool describe(std::uint32_t index, clap_param_info* info);

// A value as the parameter keeps it: clamped into the range, NaN the lowest value.
double clamped(std::uint32_t id, double value);

// The text for a value, as the VST edition's display shows it plus the unit ("8363.419 Hz",
// "0.000000 dB", "-oo dB"). Writes at most capacity bytes, always zero-terminated when capacity
// is not 0; false when the parameter is unknown or the whole text did not fit.
bool valueToText(std::uint32_t id, double value, char* text, std::uint32_t capacity);

// The value a text names: what valueToText writes, or a plain number in the parameter's unit
// with or without the unit ("-6", "-6 dB", "8363.419 Hz", "8000"). A rate selects the nearest of
// the sixteen. False for an unknown parameter or a text that names no value.
bool textToValue(std::uint32_t id, const char* text, double* value);

} // namespace clapparam
