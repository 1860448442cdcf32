#include "parameters.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <string>

namespace parameters {
namespace {

// The whole text as one decimal number; a leading '+' is allowed, nothing else around it. A number
// too large for a double comes back as an infinity (and one too small as zero), so that it is
// refused as out of range rather than as no number at all. NaN is no number.
std::optional<double> parseNumber(const std::string& text) {
    const char* first = text.data();
    const char* last = first + text.size();
    if (first != last && *first == '+') {
        ++first;
        if (first != last && *first == '-') return std::nullopt; // "+-1"
    }
    double value = 0.0;
    const auto [end, error] = std::from_chars(first, last, value);
    if (end != last || std::isnan(value)) return std::nullopt;
    if (error == std::errc::result_out_of_range)
        return std::strtod(std::string(first, last).c_str(), nullptr);
    if (error != std::errc()) return std::nullopt;
    return value;
}

// The whole text as a whole number; one beyond int comes back as the nearest int's end, which
// every range here refuses.
std::optional<int> parseInteger(const std::string& text) {
    const char* first = text.data();
    const char* last = first + text.size();
    if (first != last && *first == '+') {
        ++first;
        if (first != last && *first == '-') return std::nullopt;
    }
    int value = 0;
    const auto [end, error] = std::from_chars(first, last, value);
    if (first == last || end != last) return std::nullopt;
    if (error == std::errc::result_out_of_range)
        return *first == '-' ? std::numeric_limits<int>::min() : std::numeric_limits<int>::max();
    if (error != std::errc()) return std::nullopt;
    return value;
}

template <typename T> Parsed<T> refuse(const std::string& text, const std::string& why) {
    return Parsed<T>{std::nullopt, "'" + text + "' " + why};
}

const deltamod::Parameter& inGain = deltamod::kParameters[deltamod::kInGain];
const deltamod::Parameter& pitch = deltamod::kParameters[deltamod::kPitch];

// The table's range rounded outward to whole Hz, so the rates as displayed are accepted.
double lowestRate() { return std::floor(deltamod::kRatesHz.front()); }
double highestRate() { return std::ceil(deltamod::kRatesHz.back()); }

} // namespace

std::string number(double value) {
    char text[32];
    std::snprintf(text, sizeof(text), "%g", value);
    return text;
}

std::string topGainDb() { return number(inGain.maximum) + " " + inGain.unit; }
std::string gainDbRange() { return "-inf.." + topGainDb(); }
std::string rateIndexRange() { return number(pitch.minimum) + ".." + number(pitch.maximum); }
std::string rateHzRange() { return number(lowestRate()) + ".." + number(highestRate()); }

Parsed<float> parseUnit(const std::string& text) {
    const auto value = parseNumber(text);
    if (!value) return refuse<float>(text, "is not a number; expected 0..1");
    if (*value < 0.0 || *value > 1.0) return refuse<float>(text, "is outside 0..1");
    return {static_cast<float>(*value), {}};
}

Parsed<float> parseGainDb(const std::string& text) {
    if (text == "-inf" || text == "-oo") return {0.0f, {}};
    const auto db = parseNumber(text);
    if (!db) return refuse<float>(text, "is not a number; expected " + gainDbRange());
    if (*db > inGain.maximum)
        return refuse<float>(text, "is above " + topGainDb() + "; expected " + gainDbRange());
    return {deltamod::gainForDecibels(*db), {}};
}

Parsed<float> parseRateIndex(const std::string& text) {
    const auto index = parseInteger(text);
    if (!index) return refuse<float>(text, "is not a whole number; expected " + rateIndexRange());
    if (*index < pitch.minimum || *index > pitch.maximum)
        return refuse<float>(text, "is outside " + rateIndexRange());
    return {deltamod::pitchForRateIndex(*index), {}};
}

Parsed<float> parseRateHz(const std::string& text) {
    const auto hz = parseNumber(text);
    const std::string range = rateHzRange() + " " + pitch.unit;
    if (!hz) return refuse<float>(text, "is not a number; expected " + range);
    if (*hz < lowestRate() || *hz > highestRate())
        return refuse<float>(text, "is outside " + range);
    return {deltamod::pitchForRateIndex(deltamod::nearestRateIndex(*hz)), {}};
}

Parsed<int> parseBlockSize(const std::string& text) {
    const auto frames = parseInteger(text);
    if (!frames) return refuse<int>(text, "is not a whole number; expected 1..65536 frames");
    if (*frames < 1 || *frames > kMaxBlockSize)
        return refuse<int>(text, "is outside 1..65536 frames");
    return {*frames, {}};
}

} // namespace parameters
