// Effect: the whole plug-in without a plug-in format. It owns the converter and the values a host
// is shown, and turns either form of a value into what the converter takes. Each edition holds one
// and only translates its host's calls, buffers, events and streams into these.
//
// A value has two forms. Plain values are what the LV2, CLAP and web editions show: InGain in dB
// (its lowest value is silence), Pitch as the rate index; they are kept clamped into the table's
// range, NaN as the lowest value. Normalised values are what VST hosts use: kept exactly as given,
// outside 0..1 and NaN included, since hosts read back what they wrote; InGain is then the
// converter's gain itself and Pitch selects the rate index value x 15, truncated. Setting either
// form sets the other to the value it means, so both read back coherently.
//
// Threads:
// - value setters and getters, display and save: any thread; lock-free, never block or allocate;
// - process and takeLoadedState: the audio thread, or any thread while process cannot run; never
//   block, allocate or lock;
// - reset: as process;
// - load: one thread at a time (a host's main thread); never blocks or allocates.
#pragma once

#include "deltamodconverter.h"
#include "parametertable.h"
#include "stateformat.h"

#include <atomic>
#include <cstddef>
#include <cstdint>

namespace deltamod {

class Effect {
public:
    Effect();

    // An index that names no parameter: setters do nothing, getters answer 0.
    void setPlain(int index, double value);
    double plain(int index) const;
    void setNormalised(int index, float value);
    float normalised(int index) const;

    // The eight-character display of what the converter plays ("0.000000", "-oo", "24857.90"),
    // written with the bounded copy of length maxLen; an unknown index leaves text untouched.
    void display(int index, char* text, std::int32_t maxLen) const;

    void process(const float* in0, const float* in1, float* out0, float* out1, std::size_t frames) {
        converter.process(in0, in1, out0, out1, frames);
    }
    // The sound starts afresh, as in a new effect; the values stay.
    void reset() { converter.reset(); }

    // The values shown, as the saved state.
    StateBytes save() const;
    // A saved state: false, changing nothing, for anything save did not write. The values shown
    // change at once, as hosts read them right after a load; the converter takes them at the next
    // takeLoadedState, so that only the audio thread sets it while audio runs, and what is shown
    // is what plays from then on.
    bool load(const unsigned char* bytes, std::size_t size);
    // Gives the converter, and the values, the last state loaded since the previous call; an
    // edition calls it before the events of each audio call, and wherever a load must take effect
    // while no audio runs.
    void takeLoadedState();

private:
    friend class EffectTestAccess; // holds a take halfway to test what a load meets there

    // The values shown: those of the last load not yet taken, else those last set.
    PlainValues shownPlain() const;
    bool loadPending(std::uint64_t sequence) const {
        return sequence != takenSequence.load(std::memory_order_acquire);
    }
    // The two halves of takeLoadedState: the last complete load, if one is new, and giving it to
    // the converter and the values.
    bool readLoaded(PlainValues& values, std::uint64_t& sequence) const;
    // Gives the converter what a normalised value selects.
    void play(int index, float normalised);
    void applyLoaded(const PlainValues& values, std::uint64_t sequence);

    Converter converter;
    // Each parameter's value in both forms, written together by whichever thread sets it.
    std::atomic<double> plainValues[kNumParameters];
    std::atomic<float> normalisedValues[kNumParameters];
    static_assert(std::atomic<double>::is_always_lock_free &&
                      std::atomic<float>::is_always_lock_free,
                  "values must be shared without locks");

    // The last loaded state, behind a sequence lock: the sequence is odd while a load writes it.
    // Each value is stored with release, so a reader that sees it also sees the odd sequence before
    // it (no standalone fences: ThreadSanitizer does not follow them).
    std::atomic<std::uint64_t> loadSequence{0};
    std::atomic<double> loadedValues[kNumParameters];
    // The sequence of the last load taken. While it differs from loadSequence a load is pending,
    // and its values are the ones shown, whatever an older take still stores meanwhile.
    std::atomic<std::uint64_t> takenSequence{0};
};

} // namespace deltamod
