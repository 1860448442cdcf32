#include "parameters.h"

#include <charconv>
#include <cmath>
#include <cstdlib>

namespace parameters {
namespace {

// The whole text as one finite decimal number; a leading '+' is allowed, nothing else around it.
std::optional<double> parseNumber(const std::string& text) {
    const char* first = text.data();
    const char* last = first + text.size();
    if (first != last && *first == '+') {
        ++first;
        if (first != last && *first == '-') return std::nullopt; // "+-1"
    }
    double value = 0.0;
    const auto [end, error] = std::from_chars(first, last, value);
    if (error != std::errc() || end != last || !std::isfinite(value)) return std::nullopt;
    return value;
}

std::optional<int> parseInteger(const std::string& text) {
    const char* first = text.data();
    const char* last = first + text.size();
    if (first != last && *first == '+') {
        ++first;
        if (first != last && *first == '-') return std::nullopt;
    }
    int value = 0;
    const auto [end, error] = std::from_chars(first, last, value);
    if (first == last || error != std::errc() || end != last) return std::nullopt;
    return value;
}

template <typename T> Parsed<T> refuse(const std::string& text, const std::string& why) {
    return Parsed<T>{std::nullopt, "'" + text + "' " + why};
}

} // namespace

Parsed<float> parseUnit(const std::string& text) {
    const auto value = parseNumber(text);
    if (!value) return refuse<float>(text, "is not a number; expected 0..1");
    if (*value < 0.0 || *value > 1.0) return refuse<float>(text, "is outside 0..1");
    return {static_cast<float>(*value), {}};
}

Parsed<float> parseGainDb(const std::string& text) {
    if (text == "-inf" || text == "-oo") return {0.0f, {}};
    const auto db = parseNumber(text);
    if (!db) return refuse<float>(text, "is not a number; expected -inf..12.0412 dB");
    if (*db > deltamod::kMaxGainDb)
        return refuse<float>(text, "is above 12.0412 dB; expected -inf..12.0412 dB");
    return {deltamod::gainForDecibels(*db), {}};
}

Parsed<float> parseRateIndex(const std::string& text) {
    const auto index = parseInteger(text);
    if (!index) return refuse<float>(text, "is not a whole number; expected 0..15");
    if (*index < 0 || *index >= deltamod::kNumRates) return refuse<float>(text, "is outside 0..15");
    return {deltamod::pitchForRateIndex(*index), {}};
}

Parsed<float> parseRateHz(const std::string& text) {
    // The table's range rounded outward to whole Hz, so the rates as displayed are accepted.
    const double lowest = std::floor(deltamod::kRatesHz.front());
    const double highest = std::ceil(deltamod::kRatesHz.back());
    const auto hz = parseNumber(text);
    if (!hz) return refuse<float>(text, "is not a number; expected 4181..33144 Hz");
    if (*hz < lowest || *hz > highest) return refuse<float>(text, "is outside 4181..33144 Hz");
    return {deltamod::pitchForRateIndex(nearestRateIndex(*hz)), {}};
}

Parsed<int> parseBlockSize(const std::string& text) {
    const auto frames = parseInteger(text);
    if (!frames) return refuse<int>(text, "is not a whole number; expected 1..65536 frames");
    if (*frames < 1 || *frames > kMaxBlockSize)
        return refuse<int>(text, "is outside 1..65536 frames");
    return {*frames, {}};
}

int nearestRateIndex(double hz) {
    int best = 0;
    for (int i = 1; i < deltamod::kNumRates; ++i)
        if (std::fabs(deltamod::kRatesHz[i] - hz) < std::fabs(deltamod::kRatesHz[best] - hz))
            best = i;
    return best;
}

} // namespace parameters
