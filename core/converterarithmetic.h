// The converter's exact arithmetic comes in two forms with the same bits for every input, NaN,
// infinities and subnormals included: SSE2 instructions on x86, where the rules of min, max and
// the truncating conversion do the clamp without a branch, and plain C++ for every other
// processor, or on x86 too when the build defines SLOPECRUSH_PORTABLE_CONVERTER. Either way every
// double operation must round to double on its own, which the x87 unit does not do.
#pragma once

#include <cfloat>
#include <cmath>

#if defined(__SSE2__) && !defined(SLOPECRUSH_PORTABLE_CONVERTER)
#define SLOPECRUSH_CONVERTER_SSE2 1
#include <emmintrin.h>
#elif FLT_EVAL_METHOD != 0
// 32-bit x86 gets there with -msse2 -mfpmath=sse.
#error "the converter needs double arithmetic without excess precision"
#endif

namespace deltamod {

constexpr double kQuantiserLimit = 32.0; // the target's clamp at +-1, times 32

// The quantiser: the target clamped (above 1.0 to 1.0, then below -1.0 or NaN to -1.0), times 32,
// truncated towards zero. It takes the target already scaled by 32: a power of two scales exactly
// and keeps the order, so clamping at +-32 afterwards is the same.
inline int quantise(double scaledTarget) {
#if defined(SLOPECRUSH_CONVERTER_SSE2)
    // min and max are the two instructions whose rules for NaN are exactly the clamp's (each
    // answers its second operand when either is NaN), so no branch depends on the signal.
    const __m128d upper = _mm_min_sd(_mm_set_sd(kQuantiserLimit), _mm_set_sd(scaledTarget));
    const __m128d both = _mm_max_sd(upper, _mm_set_sd(-kQuantiserLimit)); // NaN ends here
    return _mm_cvttsd_si32(both);
#else
    // The same rule written out: NaN is caught by name, so the conversion below only ever sees a
    // number within -32..32, which every processor truncates alike.
    const double upper = scaledTarget > kQuantiserLimit ? kQuantiserLimit : scaledTarget;
    const double both = std::isnan(upper) || upper < -kQuantiserLimit ? -kQuantiserLimit : upper;
    return static_cast<int>(both);
#endif
}

} // namespace deltamod
