// The core effect, driven as an edition drives it, against the plain reference converter: bit for
// bit over random signals (with NaN, infinities, subnormals and values on the quantiser's edges),
// random block sizes, parameter changes between any two frames, in-place buffers and empty blocks.

#include "effectrun.h"
#include "referenceconverter.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <random>
#include <vector>

namespace {

constexpr float kInf = std::numeric_limits<float>::infinity();
constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
constexpr float kDenormMin = std::numeric_limits<float>::denorm_min();
constexpr float kMax = std::numeric_limits<float>::max();

struct Stereo {
    std::vector<float> left;
    std::vector<float> right;
};

// Values where the clamp, the quantiser or the gate decide: exact multiples of 1/32 and their
// neighbours, the clamp's edges, and everything IEEE has that is not an ordinary number.
float edgeValue(std::mt19937& random) {
    std::uniform_int_distribution<int> pick(0, 11);
    std::uniform_int_distribution<int> k(-34, 34);
    const float onGrid = static_cast<float>(k(random)) / 32.0f;
    switch (pick(random)) {
    case 0:
        return onGrid;
    case 1:
        return std::nextafter(onGrid, kInf);
    case 2:
        return std::nextafter(onGrid, -kInf);
    case 3:
        return kNaN;
    case 4:
        return -kNaN;
    case 5:
        return random() % 2 ? kInf : -kInf;
    case 6:
        return random() % 2 ? kDenormMin * static_cast<float>(random() % 1000) : -kDenormMin;
    case 7:
        return random() % 2 ? kMax : -kMax;
    case 8:
        return -0.0f;
    case 9:
        return random() % 2 ? std::nextafter(1.0f, 2.0f) : std::nextafter(-1.0f, -2.0f);
    case 10:
        return 0.04f * (random() % 2 ? 1.0f : -1.0f);
    default:
        return 1.0f / 64.0f * static_cast<float>(k(random));
    }
}

// Segments of noise at random loudness, sines, constants, silence and edge values.
Stereo randomSignal(std::mt19937& random, int frames) {
    Stereo s{std::vector<float>(frames), std::vector<float>(frames)};
    std::uniform_int_distribution<int> kind(0, 5);
    std::uniform_int_distribution<int> length(1, 3000);
    std::uniform_real_distribution<float> unit(-1.0f, 1.0f);
    for (int at = 0; at < frames;) {
        const int end = std::min(frames, at + length(random));
        const int what = kind(random);
        const float loudness = std::ldexp(1.0f, static_cast<int>(random() % 8) - 5);
        const float dc0 = edgeValue(random);
        const float dc1 = random() % 2 ? dc0 : edgeValue(random);
        const double cycles = 0.001 + 0.05 * static_cast<double>(random() % 1000) / 1000.0;
        for (int i = at; i < end; ++i) {
            switch (what) {
            case 0:
                s.left[i] = loudness * unit(random);
                s.right[i] = loudness * unit(random);
                break;
            case 1:
                s.left[i] = static_cast<float>(loudness * std::sin(cycles * i));
                s.right[i] = static_cast<float>(loudness * std::cos(cycles * 1.5 * i));
                break;
            case 2:
                s.left[i] = dc0;
                s.right[i] = dc1;
                break;
            case 3:
                break; // silence: the gate shuts and the smoother decays through subnormals
            default:
                s.left[i] = edgeValue(random);
                s.right[i] = random() % 4 ? edgeValue(random) : unit(random);
                break;
            }
        }
        at = end;
    }
    return s;
}

float randomGain(std::mt19937& random) {
    const float choices[] = {0.0f, 0.25f, 0.5f,   1.0f,       -0.5f,      3.0f,  kNaN,
                             kInf, -kInf, 1e-30f, kDenormMin, 0.2500001f, 1e30f, kMax};
    if (random() % 3 == 0) return std::uniform_real_distribution<float>(0.0f, 1.0f)(random);
    return choices[random() % (sizeof choices / sizeof choices[0])];
}

float randomPitch(std::mt19937& random) {
    const float choices[] = {0.0f, 1.0f, 0.95f, 0.9999f, -0.1f, 1.5f, kNaN, kInf, -kInf};
    switch (random() % 3) {
    case 0:
        return std::uniform_real_distribution<float>(0.0f, 1.0f)(random);
    case 1:
        return static_cast<float>(random() % 16) / 15.0f;
    default:
        return choices[random() % (sizeof choices / sizeof choices[0])];
    }
}

// Block sizes a host might use, mostly small, with the odd large one.
int randomBlock(std::mt19937& random) {
    switch (random() % 8) {
    case 0:
        return 1;
    case 1:
        return 4096;
    case 2:
    case 3:
        return 1 + static_cast<int>(random() % 16);
    default:
        return 1 + static_cast<int>(random() % 700);
    }
}

// Index of the first frame whose bits differ, or -1.
long firstDifference(const float* a, const float* b, int frames) {
    for (int i = 0; i < frames; ++i)
        if (std::memcmp(&a[i], &b[i], sizeof(float)) != 0) return i;
    return -1;
}

// Plays one random session through the effect and the reference and stops at the first
// difference.
void compareSession(unsigned seed, int frames) {
    std::mt19937 random(seed);
    const Stereo in = randomSignal(random, frames);
    EffectRun effect;
    ReferenceConverter reference;
    std::vector<float> out0(4096);
    std::vector<float> out1(4096);
    std::vector<float> want0(4096);
    std::vector<float> want1(4096);

    for (int at = 0; at < frames;) {
        // Parameter changes land between any two frames.
        while (random() % 4 == 0) {
            const auto index = static_cast<int>(random() % 2);
            const float value = index == 0 ? randomGain(random) : randomPitch(random);
            effect.setParameter(index, value);
            reference.setParameter(index, value);
        }
        if (random() % 50 == 0) {
            // An empty block writes nothing and changes nothing.
            std::fill(out0.begin(), out0.end(), -7.0f);
            effect.effect.process(&in.left[at], &in.right[at], out0.data(), out1.data(), 0);
            ASSERT_EQ(out0[0], -7.0f) << "seed " << seed << ": an empty block wrote output";
        }
        const int n = std::min(randomBlock(random), frames - at);
        reference.process(&in.left[at], &in.right[at], want0.data(), want1.data(), n);
        const auto how = static_cast<int>(random() % 4);
        const float* ins[2] = {&in.left[at], &in.right[at]};
        if (how != 0) {
            // In place, as many hosts do it: the outputs are the inputs, straight or crossed.
            std::copy_n(&in.left[at], n, out0.data());
            std::copy_n(&in.right[at], n, out1.data());
            ins[0] = how == 2 ? out1.data() : out0.data();
            ins[1] = how == 2 ? out0.data() : out1.data();
        }
        effect.effect.process(ins[0], ins[1], out0.data(), out1.data(), static_cast<size_t>(n));
        const long diff0 = firstDifference(out0.data(), want0.data(), n);
        const long diff1 = firstDifference(out1.data(), want1.data(), n);
        ASSERT_EQ(diff0, -1) << "seed " << seed << ", frame " << at + diff0 << " of a block of "
                             << n << " at " << reference.rate() << " Hz: got "
                             << out0[std::max(0L, diff0)] << ", expected "
                             << want0[std::max(0L, diff0)];
        ASSERT_EQ(diff1, -1) << "seed " << seed << ", channel 1, frame " << at + diff1;
        at += n;
    }
}

class RandomSession : public ::testing::TestWithParam<unsigned> {};

TEST_P(RandomSession, MatchesTheReferenceBitForBit) { compareSession(GetParam(), 60000); }

INSTANTIATE_TEST_SUITE_P(Seeds, RandomSession, ::testing::Range(1u, 25u));

// Long runs at each rate walk the step phase through a great many of its values.
TEST(ConverterAtEveryRate, MatchesTheReferenceOverLongNoise) {
    std::mt19937 random(99);
    std::uniform_real_distribution<float> unit(-1.5f, 1.5f);
    const int frames = 200000;
    std::vector<float> left(frames);
    std::vector<float> right(frames);
    for (int i = 0; i < frames; ++i) {
        left[i] = unit(random);
        right[i] = unit(random);
    }
    for (int rate = 0; rate < 16; ++rate) {
        EffectRun effect;
        ReferenceConverter reference;
        const float pitch = rate == 15 ? 1.0f : (static_cast<float>(rate) + 0.5f) / 15.0f;
        effect.setParameter(1, pitch);
        reference.setParameter(1, pitch);
        std::vector<float> want0(frames);
        std::vector<float> want1(frames);
        reference.process(left.data(), right.data(), want0.data(), want1.data(), frames);
        const std::vector<float> got = effect.process(left, right, 509);
        EXPECT_EQ(firstDifference(got.data(), want0.data(), frames), -1) << "rate index " << rate;
    }
}

// At 12604 Hz, a whole number, the phase holds whole numbers and never rounds; 11025 frames add
// up to 3151 x 44100, so the sum lands exactly on the reference rate there, and that frame steps.
TEST(ConverterPhase, SumExactlyOnTheReferenceRateSteps) {
    const int frames = 11100;
    const std::vector<float> in(frames, 1.0f);
    EffectRun effect;
    ReferenceConverter reference;
    const float pitch = 10.5f / 15.0f; // rate index 10
    effect.setParameter(1, pitch);
    reference.setParameter(1, pitch);
    ASSERT_EQ(reference.rate(), 12604.0f);
    std::vector<float> want0(frames);
    std::vector<float> want1(frames);
    reference.process(in.data(), in.data(), want0.data(), want1.data(), frames);
    const std::vector<float> got = effect.process(in, in, 4096);
    EXPECT_EQ(firstDifference(got.data(), want0.data(), frames), -1);
}

} // namespace
