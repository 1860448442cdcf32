// Converter: the effect's sound, free of any plug-in format. It mixes two inputs to mono,
// applies the input gain and follows the mix with a counter that steps 1/32 up or down at one of
// sixteen conversion rates; a gate silences the idle counter and a one-pole smoother rounds off the
// stair-steps. The same value goes to both outputs.
//
// It knows no sample rate: the step phase counts against 44.1 kHz whatever rate the host runs at,
// so the rates are exact at 44.1 kHz and run scaled by fs / 44100 at any other rate fs. Editions
// therefore pass no sample rate on; that is the effect's sound, not an oversight.
//
// The core's Effect owns one; benchmarks and tests drive it directly.
#pragma once

#include "deltamodfacts.h"

#include <atomic>
#include <cstddef>
#include <cstdint>

namespace deltamod {

class Converter {
public:
    Converter() = default;

    // Any thread; lock-free, never blocks or allocates. The converter reads the rate index at every
    // frame and the gain at every step, so a change takes effect from the next one, also in the
    // middle of a block.
    void setGain(float gain) { gainValue.store(gain, std::memory_order_relaxed); }
    // Indices outside 0..15 select the nearest end of the table.
    void setRateIndex(int index);
    float gain() const { return gainValue.load(std::memory_order_relaxed); }
    int rateIndex() const { return rateIndexValue.load(std::memory_order_relaxed); }

    // Audio thread, or any thread while process cannot run: back to the state of a new converter.
    // The gain and the rate index stay.
    void reset();

    // Audio thread; never blocks, allocates or locks. Reads frames samples from each input and
    // writes the same value to both outputs; any length a buffer can have, nothing when it is 0.
    // Both inputs of a frame are read before either output is written, so outputs may be the
    // inputs.
    void process(const float* in0, const float* in1, float* out0, float* out1, std::size_t frames);

private:
    std::int16_t counter = 0; // one step is 1/32 of full scale
    float stepPhase = 0.0f;   // Hz x frames; a step happens each time it reaches the reference
    // The gate's memory of the last sixteen steps, newest in bit 0: a bit is set when that step's
    // level lay beyond +-0.04, that is when the counter stood outside -1..1. The gate is open
    // while any bit is set; this is all the gate needs from the sixteen levels themselves. The
    // level the smoother follows is then the counter x 1/32 while the gate is open, else 0.
    std::uint16_t wideSteps = 0;
    float smoothedOutput = 0.0f; // the last value written; the smoother's memory

    // Written from any thread, read once per frame or step.
    std::atomic<float> gainValue{deltamod::kDefaultGain};
    std::atomic<int> rateIndexValue{deltamod::kDefaultRateIndex};
    static_assert(std::atomic<float>::is_always_lock_free && std::atomic<int>::is_always_lock_free,
                  "parameters must be shared without locks");
};

} // namespace deltamod
