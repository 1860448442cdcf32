#include "effect.h"

#include <cstring>

namespace deltamod {

namespace {

// The normalised value a plain one means: for InGain the converter's gain.
float normalisedForPlain(int index, double plain) {
    return index == kInGain ? gainForDecibelControl(plain)
                            : pitchForRateIndex(rateIndexForPlainPitch(plain));
}
// The plain value a normalised one means, clamped: silence for a gain of 0 and below (and NaN).
double plainForNormalised(int index, float normalised) {
    const double plain =
        index == kInGain ? decibelsForGain(normalised) : double(rateIndexFor(normalised));
    return clampedPlainValue(index, plain);
}

std::uint32_t bitsOf(float value) {
    std::uint32_t bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}

} // namespace

Effect::Effect() {
    for (int i = 0; i < kNumParameters; ++i) {
        plainValues[i].store(kParameters[i].defaultValue, std::memory_order_relaxed);
        normalisedValues[i].store(kParameters[i].normalisedDefault, std::memory_order_relaxed);
        loadedValues[i].store(kParameters[i].defaultValue, std::memory_order_relaxed);
    }
}

void Effect::setPlain(int index, double value) {
    if (!isParameter(index)) return;
    const double kept = clampedPlainValue(index, value);
    // Hosts that hand over every control on every block mostly repeat the last value, and the
    // decibel rule is a power; a value equal to the one held changes nothing.
    if (kept == plainValues[index].load(std::memory_order_relaxed)) return;
    const float normalised = normalisedForPlain(index, kept);
    plainValues[index].store(kept, std::memory_order_relaxed);
    normalisedValues[index].store(normalised, std::memory_order_relaxed);
    play(index, normalised);
}

void Effect::setNormalised(int index, float value) {
    if (!isParameter(index)) return;
    // By their bits, so that a NaN given again counts as the same value.
    if (bitsOf(value) == bitsOf(normalisedValues[index].load(std::memory_order_relaxed))) return;
    normalisedValues[index].store(value, std::memory_order_relaxed);
    plainValues[index].store(plainForNormalised(index, value), std::memory_order_relaxed);
    play(index, value);
}

// The normalised value is the converter's gain as it is, and a plain Pitch's normalised value
// lies inside its index's interval, so one rule serves both forms.
void Effect::play(int index, float normalised) {
    if (index == kInGain)
        converter.setGain(normalised);
    else
        converter.setRateIndex(rateIndexFor(normalised));
}

double Effect::plain(int index) const { return isParameter(index) ? shownPlain()[index] : 0.0; }

float Effect::normalised(int index) const {
    if (!isParameter(index)) return 0.0f;
    const std::uint64_t sequence = loadSequence.load(std::memory_order_acquire);
    if (!loadPending(sequence)) return normalisedValues[index].load(std::memory_order_relaxed);
    return normalisedForPlain(index, shownPlain()[index]);
}

void Effect::display(int index, char* text, std::int32_t maxLen) const {
    if (index == kInGain) gainDisplay(converter.gain(), text, maxLen);
    if (index == kPitch) rateDisplay(converter.rateIndex(), text, maxLen);
}

PlainValues Effect::shownPlain() const {
    for (;;) {
        const std::uint64_t sequence = loadSequence.load(std::memory_order_acquire);
        PlainValues values{};
        if (!loadPending(sequence)) {
            for (int i = 0; i < kNumParameters; ++i)
                values[i] = plainValues[i].load(std::memory_order_relaxed);
            return values;
        }
        // A load not yet taken: its values, once it is whole. Only a load on another thread
        // makes this loop, for the few stores it has left.
        std::uint64_t taken = 0;
        if (readLoaded(values, taken) && taken == sequence) return values;
    }
}

StateBytes Effect::save() const { return encodeState(shownPlain()); }

bool Effect::load(const unsigned char* bytes, std::size_t size) {
    PlainValues values{};
    if (!decodeState(bytes, size, values)) return false;
    const std::uint64_t sequence = loadSequence.load(std::memory_order_relaxed);
    loadSequence.store(sequence + 1, std::memory_order_relaxed);
    for (int i = 0; i < kNumParameters; ++i)
        loadedValues[i].store(values[i], std::memory_order_release);
    loadSequence.store(sequence + 2, std::memory_order_release);
    return true;
}

bool Effect::readLoaded(PlainValues& values, std::uint64_t& sequence) const {
    sequence = loadSequence.load(std::memory_order_acquire);
    if (sequence % 2 != 0) return false; // being written
    for (int i = 0; i < kNumParameters; ++i)
        values[i] = loadedValues[i].load(std::memory_order_acquire);
    return loadSequence.load(std::memory_order_relaxed) == sequence;
}

void Effect::applyLoaded(const PlainValues& values, std::uint64_t sequence) {
    for (int i = 0; i < kNumParameters; ++i)
        setPlain(i, values[i]);
    // Published after the values: a reader that sees this sequence taken sees them too. A take
    // of an older load finishing after a newer load leaves the newer one pending, and shown.
    takenSequence.store(sequence, std::memory_order_release);
}

void Effect::takeLoadedState() {
    PlainValues values{};
    std::uint64_t sequence = 0;
    if (!readLoaded(values, sequence) || !loadPending(sequence)) return;
    applyLoaded(values, sequence);
}

} // namespace deltamod
