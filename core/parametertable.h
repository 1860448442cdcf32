// The effect's two parameters as every edition shows them. VST hosts see normalised values 0..1;
// the LV2, CLAP and web editions plain ones: "InGain" in dB, "Pitch" as the rate index. The
// Turtle's ranges and labels, the renderer's options and the web page are made from this table.
//
// Threads: any; nothing here blocks or allocates.
#pragma once

#include "deltamodfacts.h"

#include <cstddef>
#include <cstdint>

namespace deltamod {

// The index every edition gives each parameter.
enum ParameterIndex : int { kInGain = 0, kPitch = 1 };
constexpr int kNumParameters = 2;

struct Parameter {
    const char* name;        // as hosts list it
    const char* symbol;      // for formats that name a parameter by a short identifier
    const char* unit;        // of the displayed value
    double minimum;          // the plain range: dB for InGain, the rate index for Pitch
    double maximum;          //
    double defaultValue;     // plain
    float normalisedDefault; // the same default as a VST host's 0..1 value
    bool stepped;            // whole plain values only
};

// InGain's lowest value is silence, not -60 dB. Pitch's default is the rate index 14 either way.
inline constexpr Parameter kParameters[kNumParameters] = {
    {"InGain", "gain", "dB", kMinGainDb, kMaxGainDb, kDefaultGainDb, kDefaultGain, false},
    {"Pitch", "pitch", "Hz", 0.0, kMaxRateIndex, kDefaultRateIndex, kDefaultPitch, true},
};

constexpr bool isParameter(std::int64_t index) { return index >= 0 && index < kNumParameters; }

// A plain value as a parameter keeps it: clamped into its range, NaN the lowest value.
constexpr double clampedPlainValue(int index, double value) {
    const Parameter& p = kParameters[index];
    if (!(value > p.minimum)) return p.minimum;
    return value < p.maximum ? value : p.maximum;
}

// What the converter takes for a value of either form is the effect object's (effect.h).

// The eight-character display of what the converter plays, as the VST edition shows it without
// its unit: "0.000000", "-oo" for silence, "8363.419". maxLen as for copyText.
void gainDisplay(float converterGain, char* text, std::int32_t maxLen);
void rateDisplay(int rateIndex, char* text, std::int32_t maxLen);

// The display of a plain value with its unit ("0.000000 dB", "-oo dB", "8363.419 Hz"). Writes at
// most capacity bytes, always zero-terminated when capacity is not 0; false when the index names
// no parameter or the whole text did not fit.
bool plainValueText(int index, double value, char* text, std::size_t capacity);

// The plain value a text names: what plainValueText writes, or a plain number in the parameter's
// unit with or without the unit in any case ("-6", "-6 dB", "8363.419 hz", "8000"). A rate
// selects the nearest of the sixteen. False for an unknown parameter or a text that names no value.
bool plainValueFromText(int index, const char* text, double* value);

} // namespace deltamod
