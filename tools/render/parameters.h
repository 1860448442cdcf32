// The forms in which a person gives SlopeCrush's two parameters on the command line, each turned
// into the normalised value the plug-in takes. Parsing is strict: the whole text must be the
// value, and a rejection says which range is accepted.
#pragma once

#include <array>
#include <optional>
#include <string>

namespace parameters {

// A parsed option value, or why the text was refused.
template <typename T> struct Parsed {
    std::optional<T> value;
    std::string error;
};

constexpr int kNumRates = 16;
// The conversion rates in Hz that "Pitch" selects, lowest first: the plug-in's own table, kept
// here because this host never links the effect.
constexpr std::array<float, kNumRates> kRatesHz = {
    4181.71f, 4709.93f, 5264.04f, 5593.04f, 6257.95f, 7046.35f, 7919.35f, 8363.42f,
    9419.86f, 11186.1f, 12604.0f, 13982.6f, 16884.7f, 21056.2f, 24857.9f, 33143.9f,
};

// "InGain" shows 20 log10(gain x 4) dB: full scale (gain 1.0) is 12.0412 dB, rounded up here so
// that the figure a person reads off the display is accepted.
constexpr double kMaxGainDb = 12.0412;
constexpr int kMaxBlockSize = 65536;

// --gain, --pitch: a normalised value 0..1.
Parsed<float> parseUnit(const std::string& text);
// --gain-db: decibels up to kMaxGainDb, or "-inf" (also "-oo", as the display shows it) for
// silence. Gives the normalised gain 10^(dB/20) / 4.
Parsed<float> parseGainDb(const std::string& text);
// --rate-index: 0..15. Gives the normalised "Pitch" that selects that rate.
Parsed<float> parseRateIndex(const std::string& text);
// --rate: Hz within the table's range. Gives the normalised "Pitch" of the nearest rate.
Parsed<float> parseRateHz(const std::string& text);
// --block: frames per processing call, 1..kMaxBlockSize.
Parsed<int> parseBlockSize(const std::string& text);

// The normalised "Pitch" that selects rate index i (0..15). The plug-in truncates pitch x 15, so
// the value sits in the middle of the index's interval, safe from rounding either way; index 15
// is reached only at 1.0.
float pitchForRateIndex(int index);
// The index of the table rate nearest to hz (the lower one on a tie).
int nearestRateIndex(double hz);

} // namespace parameters
