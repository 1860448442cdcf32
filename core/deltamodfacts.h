// The facts of the delta-modulation effect that every edition, tool, benchmark and test shares:
// the sixteen conversion rates, how a "Pitch" value selects one, how "InGain" scales the mix, and
// the defaults. Plain constants and functions, free of any plug-in format.
#pragma once

#include <array>
#include <cmath>
#include <limits>

namespace deltamod {

constexpr int kNumRates = 16;
constexpr int kMaxRateIndex = kNumRates - 1;
// The conversion rates in Hz, lowest first.
constexpr std::array<float, kNumRates> kRatesHz = {
    4181.71f, 4709.93f, 5264.04f, 5593.04f, 6257.95f, 7046.35f, 7919.35f, 8363.42f,
    9419.86f, 11186.1f, 12604.0f, 13982.6f, 16884.7f, 21056.2f, 24857.9f, 33143.9f,
};
// The rate the step phase counts against (see Converter).
constexpr float kReferenceRate = 44100.0f;

// "InGain" as the converter takes it: the mono mix is scaled by gain x 4, so 0.25 is unity and
// 1.0 is +12.04 dB.
constexpr float kGainScale = 4.0f;
// The default is unity, 0 dB: the gain 1 / kGainScale.
constexpr double kDefaultGainDb = 0.0;
constexpr float kDefaultGain = 1.0f / kGainScale;
static_assert(kDefaultGainDb == 0.0 && kDefaultGain * kGainScale == 1.0f,
              "the default InGain is unity in both forms");
// The top of "InGain" in dB, 20 log10(4) = 12.04119..., rounded up so that the figure the display
// shows is accepted.
constexpr double kMaxGainDb = 12.0412;
// The lowest value of a decibel control (the editions whose hosts show plain values): it means
// silence.
constexpr double kMinGainDb = -60.0;

constexpr float kSmoothing = 0.65f; // the one-pole smoother's coefficient

// The rate index a "Pitch" value selects: value x 15 truncated towards zero. Below the range, and
// NaN, select the lowest rate, above it the highest, so the table is never read outside.
constexpr int rateIndexFor(float pitch) {
    const double scaled = static_cast<double>(pitch) * kMaxRateIndex;
    if (!(scaled > 0.0)) return 0;
    if (scaled >= kMaxRateIndex) return kMaxRateIndex;
    return static_cast<int>(scaled); // exact and defined within the range
}

// The rate index a plain "Pitch" value selects, where an edition's host sees the index itself
// (0..15): truncated towards zero. NaN and values below 0 select the lowest rate, 15 and above the
// highest, so no value leads outside the table.
constexpr int rateIndexForPlainPitch(double value) {
    if (!(value > 0.0)) return 0;
    if (value >= kMaxRateIndex) return kMaxRateIndex;
    return static_cast<int>(value);
}

// "Pitch" as a normalised value: 0.95 selects index 14, 24857.9 Hz.
constexpr float kDefaultPitch = 0.95f;
constexpr int kDefaultRateIndex = rateIndexFor(kDefaultPitch);

// A "Pitch" value that selects rate index i (0..15): the middle of the index's interval, safe from
// rounding either way, also for a plug-in that multiplies in single precision. Index 15 is reached
// only at 1.0.
constexpr float pitchForRateIndex(int index) {
    if (index >= kMaxRateIndex) return 1.0f;
    return static_cast<float>(((index > 0 ? index : 0) + 0.5) / kMaxRateIndex);
}

// The index of the rate nearest to hz (the lower one on a tie). At or beyond either end of the
// table it is that end: there the distances are too large for double to tell them apart.
inline int nearestRateIndex(double hz) {
    if (!(hz > kRatesHz.front())) return 0;
    if (hz >= kRatesHz.back()) return kMaxRateIndex;
    int nearest = 0;
    for (int i = 1; i < kNumRates; ++i)
        if (std::fabs(kRatesHz[i] - hz) < std::fabs(kRatesHz[nearest] - hz)) nearest = i;
    return nearest;
}

// The "InGain" value for a level in dB: 0.25 x 10^(dB / 20) worked out in double and rounded to
// float, at most 1.0. Minus infinity gives 0, silence.
inline float gainForDecibels(double db) {
    const double gain = 0.25 * std::pow(10.0, db / 20.0);
    return gain < 1.0 ? static_cast<float>(gain) : 1.0f;
}

// The level in dB of an "InGain" value, 20 log10(gain x 4) worked out in double; a gain of 0,
// below or NaN has no level: minus infinity.
inline double decibelsForGain(float gain) {
    if (!(gain > 0.0f)) return -std::numeric_limits<double>::infinity();
    return 20.0 * std::log10(static_cast<double>(gain) * kGainScale);
}

// The "InGain" value for a decibel control's plain value: the range is kMinGainDb..kMaxGainDb,
// values outside clamp to it, and the lowest value, like NaN, means silence.
inline float gainForDecibelControl(double db) {
    if (!(db > kMinGainDb)) return 0.0f;
    return gainForDecibels(db < kMaxGainDb ? db : kMaxGainDb);
}

} // namespace deltamod
