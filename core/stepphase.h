// StepPhase: the converter's step phase, advanced frame by frame without a branch.
//
// The phase counts Hz x frames: each frame adds the conversion rate, and a step happens when the
// sum reaches the reference rate, which is then subtracted from the sum. The stored phase is a
// float; the sum and the difference are worked out in double from the float.
//
// Exactness: every rate is a float of at least 2^12, so a multiple of 2^-11, and the reference
// rate is the whole number 44100. The phase starts at 0 and stays below 2^17; rounding a multiple
// of 2^-11 below 2^17 to float gives a multiple of 2^-11 again (below 2^13 the float holds it
// exactly, above its own spacing is coarser). So every phase, sum and difference met here is a
// multiple of 2^-11 below 2^17, 28 significant bits at most, and exact in double whatever the
// order of the operations: adding rate - reference gives exactly the sum less the reference, and
// comparing the phase with reference - rate decides exactly what comparing the sum with the
// reference does. Only the rounding to float rounds, as the stored phase is rounded.
#pragma once

#include "converterarithmetic.h"

#include <cstdint>

namespace deltamod {

// What the phase needs of one conversion rate, worked out once.
struct PhaseIncrement {
    double rate;      // added on a frame without a step
    double wrapped;   // rate - reference: added on a frame with a step
    double threshold; // reference - rate: a step happens once the phase has reached it

    static constexpr PhaseIncrement of(float rate, float reference) {
        const double r = rate;
        const double ref = reference;
        return PhaseIncrement{r, r - ref, ref - r};
    }
};

// The phase for the length of one block, kept in a register.
class StepPhase {
public:
    // One frame: moves the phase on and answers all ones if a step happens in it, else zero.
    // Both outcomes are worked out and a mask picks one, so nothing branches, and the comparison
    // uses the phase before the addition, so it runs beside it: from one frame's phase to the
    // next there are only a widening, an addition, the pick and the rounding to float, a shorter
    // chain than the smoother's.
#if defined(SLOPECRUSH_CONVERTER_SSE2)
    explicit StepPhase(float phase) : phase(_mm_set_ss(phase)) {}

    float value() const { return _mm_cvtss_f32(phase); }

    std::int32_t advance(const PhaseIncrement& increment) {
        const __m128d before = _mm_cvtss_sd(_mm_setzero_pd(), phase);
        const __m128d sum = _mm_add_sd(before, _mm_load_sd(&increment.rate));
        const __m128d wrapped = _mm_add_sd(before, _mm_load_sd(&increment.wrapped));
        const __m128d reached = _mm_cmple_sd(_mm_load_sd(&increment.threshold), before);
        const __m128d after = _mm_or_pd(_mm_and_pd(reached, wrapped), _mm_andnot_pd(reached, sum));
        phase = _mm_cvtsd_ss(phase, after);
        return _mm_cvtsi128_si32(_mm_castpd_si128(reached));
    }

private:
    __m128 phase;
#else
    explicit StepPhase(float phase) : phase(phase) {}

    float value() const { return phase; }

    // Picking the addend instead of the sum adds the same two doubles, so the bits are the same.
    std::int32_t advance(const PhaseIncrement& increment) {
        const double before = phase;
        const bool reached = increment.threshold <= before;
        phase = static_cast<float>(before + (reached ? increment.wrapped : increment.rate));
        return -static_cast<std::int32_t>(reached);
    }

private:
    float phase;
#endif
};

} // namespace deltamod
