#include "deltamodconverter.h"

#include "converterarithmetic.h"
#include "stepphase.h"

#include <array>

namespace deltamod {

namespace {

constexpr double kStepSize = 0.03125; // 1/32: the level of one counter step
// The counter's range. It starts at 0, moves up only while below the quantised target, which is
// at most 32, and down only while at or above it, which is at least -32.
constexpr int kLowestCount = -33;
constexpr int kHighestCount = 32;
constexpr int kNumCounts = kHighestCount - kLowestCount + 1;

// Every level the counter can give, counter x 1/32 (exact). Looking a level up spares the loop
// an integer-to-double conversion, which would move the counter from the integer unit to the
// floating-point unit on every frame.
constexpr std::array<double, kNumCounts> levelTable() {
    std::array<double, kNumCounts> levels{};
    for (int count = kLowestCount; count <= kHighestCount; ++count)
        levels[count - kLowestCount] = count * kStepSize;
    return levels;
}
constexpr std::array<double, kNumCounts> kLevels = levelTable();

// The mix x 0.5 x gain x 4 is the target, and the target x 32 the quantiser's input; folded
// into one factor, see quantise.
constexpr double kMixToQuantiser = 0.5 * kGainScale * 32.0;

constexpr bool ratesSuitTheStepPhase() {
    for (float rate : kRatesHz)
        if (!(rate >= 4096.0f && rate < kReferenceRate)) return false;
    return kReferenceRate == 44100.0f;
}
static_assert(ratesSuitTheStepPhase(),
              "the step phase is exact for rates from 2^12 up to the reference rate 44100");

// What the step phase adds and compares at each rate.
constexpr std::array<PhaseIncrement, kNumRates> phaseIncrements() {
    std::array<PhaseIncrement, kNumRates> increments{};
    for (int i = 0; i < kNumRates; ++i)
        increments[i] = PhaseIncrement::of(kRatesHz[i], kReferenceRate);
    return increments;
}
constexpr std::array<PhaseIncrement, kNumRates> kPhaseIncrements = phaseIncrements();

} // namespace

void Converter::setRateIndex(int index) {
    const int inside = index < 0 ? 0 : index > kMaxRateIndex ? kMaxRateIndex : index;
    rateIndexValue.store(inside, std::memory_order_relaxed);
}

void Converter::reset() {
    counter = 0;
    stepPhase = 0.0f;
    wideSteps = 0;
    smoothedOutput = 0.0f;
}

void Converter::process(const float* in0, const float* in1, float* out0, float* out1,
                        std::size_t frames) {
    // The state lives in locals for the block. The outputs may point anywhere, this object
    // included, so state kept in members would be stored and reloaded round every output store,
    // and that round trip would lengthen the smoother's chain, which sets the pace.
    StepPhase phase(stepPhase);
    int count = counter;
    unsigned wide = wideSteps;
    float y = smoothedOutput;
    constexpr double coefficient = kSmoothing;

    for (std::size_t i = 0; i < frames; ++i) {
        // Both inputs are read before either output is written: the buffers may be the same.
        const double x0 = in0[i];
        const double x1 = in1[i];

        const std::int32_t step =
            phase.advance(kPhaseIncrements[rateIndexValue.load(std::memory_order_relaxed)]);

        // What a step would do is worked out on every frame and kept, through the mask, only on
        // frames with a step: whether one happens follows the phase, not the signal, and a branch
        // on it would often be mispredicted. Reading the gain on other frames changes nothing.
        //
        // (x0 + x1) x 0.5 x gain x 4 x 32 is (x0 + x1) x (gain x 64) to the bit: the sum is the
        // same double, the gain is a float, so gain x 64 is exact, and scaling by powers of two
        // commutes with the one rounding of the product, since the product of a non-zero sum of
        // floats and a non-zero float lies between 2^-298 and 2^257, far from double's limits.
        // Zeros, infinities and NaN come out of both forms alike.
        const double gainFactor =
            static_cast<double>(gainValue.load(std::memory_order_relaxed)) * kMixToQuantiser;
        const int quantised = quantise((x0 + x1) * gainFactor); // -32..32

        // The counter never rests: one step towards the target, and down on a tie, so it stays
        // within -33..32. The direction is the sign of a small difference (>> of a negative int
        // is arithmetic on every compiler this builds with); written as a comparison, it was
        // compiled into a branch on the signal.
        const int direction = ((quantised - count - 1) >> 31) | 1; // +1 if quantised > count
        const int moved = count + direction;
        // A level beyond +-0.04 is a counter outside -1..1. Older bits shift out unmasked;
        // only the low sixteen count.
        const unsigned movedWide = (wide << 1) | unsigned(moved < -1 || moved > 1);
        count += direction & step;
        wide ^= (movedWide ^ wide) & static_cast<unsigned>(step);

        // The level changes only at steps, so it is the gated counter: zero while none of the
        // last sixteen steps left -1..1.
        const int open = -static_cast<int>((wide & 0xFFFFu) != 0); // all ones while open
        const double level = kLevels[(count & open) - kLowestCount];

        // The smoother: the chain of dependent operations that sets the pace.
        const double previous = y;
        y = static_cast<float>((level - previous) * coefficient + previous);
        out0[i] = y;
        out1[i] = y;
    }

    stepPhase = phase.value();
    counter = static_cast<std::int16_t>(count);
    wideSteps = static_cast<std::uint16_t>(wide & 0xFFFFu);
    smoothedOutput = y;
}

} // namespace deltamod
