// The forms in which a person gives SlopeCrush's two parameters on the command line, each turned
// into the normalised value the plug-in takes. Parsing is strict: the whole text must be the
// value, and a rejection says which range is accepted.
#pragma once

#include "parametertable.h"

#include <optional>
#include <string>

namespace parameters {

// A parsed option value, or why the text was refused.
template <typename T> struct Parsed {
    std::optional<T> value;
    std::string error;
};

constexpr int kMaxBlockSize = 65536;

// The ranges as the options' help and messages name them, from the effect's parameter table:
// "-inf..12.0412 dB", "0..15", "4181..33144" (the rates in Hz, rounded outward to whole Hz).
std::string gainDbRange();
std::string rateIndexRange();
std::string rateHzRange();
// A figure as the help writes it: "%g".
std::string number(double value);

// --gain, --pitch: a normalised value 0..1.
Parsed<float> parseUnit(const std::string& text);
// --gain-db: decibels up to InGain's top, or "-inf" (also "-oo", as the display shows it)
// for silence. Gives the normalised gain 10^(dB/20) / 4.
Parsed<float> parseGainDb(const std::string& text);
// --rate-index: 0..15. Gives the normalised Pitch that selects that rate.
Parsed<float> parseRateIndex(const std::string& text);
// --rate: Hz within the table's range. Gives the normalised Pitch of the nearest rate.
Parsed<float> parseRateHz(const std::string& text);
// --block: frames per processing call, 1..kMaxBlockSize.
Parsed<int> parseBlockSize(const std::string& text);

} // namespace parameters
