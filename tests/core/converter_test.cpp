// The converter's audible facts, through the core effect as an edition drives it.

#include "deltamodconverter.h"
#include "effectrun.h"
#include "testsignals.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <vector>

namespace {

std::vector<float> constant(size_t frames, float value) {
    return std::vector<float>(frames, value);
}

std::vector<float> render(float left, float right, size_t frames, float pitch = 0.95f) {
    EffectRun effect;
    effect.setParameter(1, pitch);
    return effect.process(constant(frames, left), constant(frames, right));
}

TEST(Converter, SilenceStaysExactlySilent) {
    for (float pitch : {0.0f, 0.5f, 0.95f, 1.0f}) {
        const auto out = render(0.0f, 0.0f, 20000, pitch);
        for (float v : out)
            ASSERT_EQ(std::memcmp(&v, "\0\0\0\0", 4), 0) << "pitch " << pitch;
    }
}

TEST(Converter, FullScalePositiveSettlesBetween31And32Steps) {
    const auto out = render(1.0f, 1.0f, 8192);
    // 32 steps to climb at about 0.56 steps per frame, then a margin for the smoother.
    for (size_t i = 200; i < out.size(); ++i) {
        ASSERT_GE(out[i], 0.96875f) << i;
        ASSERT_LE(out[i], 1.0f) << i;
    }
    EXPECT_EQ(*std::max_element(out.begin(), out.end()) > 0.99f, true);
}

TEST(Converter, FullScaleNegativeSettlesBetweenMinus33AndMinus32Steps) {
    const auto out = render(-1.0f, -1.0f, 8192);
    for (size_t i = 200; i < out.size(); ++i) {
        ASSERT_GE(out[i], -1.03125f) << i;
        ASSERT_LE(out[i], -1.0f) << i;
    }
    EXPECT_LT(*std::min_element(out.begin(), out.end()), -1.02f);
}

TEST(Converter, MixesTheTwoChannelsToMono) {
    // (1 + 0) / 2 at unity gain is the same target as 0.5 on both channels.
    EXPECT_EQ(render(1.0f, 0.0f, 4096), render(0.5f, 0.5f, 4096));
    EXPECT_EQ(render(0.0f, -0.5f, 4096), render(-0.25f, -0.25f, 4096));
}

// Counts the frames of a window at which the converter samples its input: the frames where
// changing the input changes the output. Before the window a DC level keeps the counter busy so
// that every step is visible.
int stepsInWindow(float pitch, int window) {
    const int warmUp = 2000;
    const int frames = warmUp + window;
    auto run = [&](int poked, float pokeValue) {
        EffectRun effect;
        effect.setParameter(1, pitch);
        auto input = constant(static_cast<size_t>(frames), 0.5f);
        if (poked >= 0) input[static_cast<size_t>(poked)] = pokeValue;
        return effect.process(input, input);
    };
    const auto base = run(-1, 0.0f);
    int steps = 0;
    for (int f = warmUp; f < frames; ++f)
        if (run(f, 1.0f) != base || run(f, -1.0f) != base) ++steps;
    return steps;
}

TEST(Converter, StepsAtTheSelectedRate) {
    const int window = 441;
    // About three frames in four at 33143.9 Hz, about 9.5 % at 4181.71 Hz.
    EXPECT_NEAR(stepsInWindow(1.0f, window), window * 33143.9 / 44100.0, 1.0);
    EXPECT_NEAR(stepsInWindow(0.0f, window), window * 4181.71 / 44100.0, 1.0);
}

TEST(Converter, RateIndicesOutsideTheTableSelectTheNearestEnd) {
    deltamod::Converter converter;
    for (const auto& [index, selected] : {std::pair{16, 15}, {1 << 30, 15}, {-1, 0}, {15, 15}}) {
        converter.setRateIndex(index);
        EXPECT_EQ(converter.rateIndex(), selected) << index;
    }
}

TEST(Converter, ProcessesInPlace) {
    std::vector<float> left(5000);
    std::vector<float> right(5000);
    for (size_t i = 0; i < left.size(); ++i) {
        left[i] = std::sin(static_cast<float>(i) * 0.01f);
        right[i] = std::cos(static_cast<float>(i) * 0.023f) * 0.7f;
    }
    EffectRun separate;
    const auto expected = separate.process(left, right, 64);

    EffectRun inPlace;
    for (size_t at = 0; at < left.size(); at += 64) {
        const size_t n = std::min<size_t>(64, left.size() - at);
        inPlace.effect.process(&left[at], &right[at], &left[at], &right[at], n);
    }
    EXPECT_EQ(left, expected);
    EXPECT_EQ(right, expected);
}

TEST(Converter, GainScalesTheMixBeforeTheConverter) {
    auto withGain = [](float gain, float level) {
        EffectRun effect;
        effect.setParameter(0, gain);
        return effect.process(constant(4096, level), constant(4096, level));
    };
    // Gain 0.5 is +6 dB: twice the level at unity gives the same converter input.
    EXPECT_EQ(withGain(0.5f, 0.25f), withGain(0.25f, 0.5f));
    // Gain 0 silences any input; a NaN gain drives the target to the bottom of the scale.
    for (float v : withGain(0.0f, 0.9f))
        ASSERT_EQ(v, 0.0f);
    const auto nanGain = withGain(std::numeric_limits<float>::quiet_NaN(), 0.5f);
    EXPECT_LT(nanGain.back(), -1.0f);
    EXPECT_GE(nanGain.back(), -1.03125f);
}

TEST(Converter, HostileInputStaysFiniteAndBoundedAndRecovers) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    const float hostile[] = {nan,
                             inf,
                             -inf,
                             1e30f,
                             -1e30f,
                             std::numeric_limits<float>::denorm_min(),
                             -std::numeric_limits<float>::max()};
    // Hostile values on both channels, then on the left only and on the right only (the other
    // channel carrying an ordinary tone): about a million frames each way.
    for (int channels = 0; channels < 3; ++channels) {
        EffectRun effect;
        effect.setParameter(1, 0.3f * static_cast<float>(channels));
        for (size_t k = 0; k < 200; ++k) {
            std::vector<float> left(4999);
            std::vector<float> right(4999);
            for (size_t i = 0; i < left.size(); ++i) {
                const float tone = 0.8f * std::sin(static_cast<float>(i) * 0.01f);
                left[i] = channels == 2 ? tone : hostile[(i + k) % 7];
                right[i] = channels == 1 ? tone : hostile[(i * 3 + k) % 7];
            }
            for (float v : effect.process(left, right, 61 + k)) {
                ASSERT_TRUE(std::isfinite(v));
                ASSERT_GE(v, -1.03125f);
                ASSERT_LE(v, 1.0f);
            }
        }
        // Once the input is ordinary again, so is the output: silence closes the gate and reads
        // exact zero, and a tone comes out as it does from an instance that never saw the abuse.
        const auto quiet = constant(20000, 0.0f);
        EXPECT_EQ(effect.process(quiet, quiet).back(), 0.0f);
        EffectRun reference;
        reference.setParameter(1, 0.3f * static_cast<float>(channels));
        reference.process(quiet, quiet);
        const auto tone = constant(4000, 0.5f);
        const auto recovered = effect.process(tone, tone);
        const auto expected = reference.process(tone, tone);
        for (size_t i = 1000; i < tone.size(); ++i)
            ASSERT_NEAR(recovered[i], expected[i], 0.07f);
    }
}

TEST(Converter, HugeBlocksAreProcessedWhole) {
    const size_t frames = size_t{1} << 21;
    EffectRun whole;
    EffectRun pieces;
    const auto input = constant(frames, 0.7f);
    EXPECT_EQ(whole.process(input, input, frames), pieces.process(input, input, 4096));
}

} // namespace
