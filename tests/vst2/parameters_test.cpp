// "InGain" and "Pitch" as the host sets and reads them, the rate a "Pitch" value selects, and
// the order in which the effect changes a parameter itself and tells the host.

#include "deltamodfacts.h"
#include "recordinghost.h"
#include "slopecrushmodule.h"
#include "testsignals.h"
#include "vst2plugin.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>

namespace {

const float kNaN = std::numeric_limits<float>::quiet_NaN();
const float kInf = std::numeric_limits<float>::infinity();

bool sameBits(float a, float b) { return std::memcmp(&a, &b, sizeof a) == 0; }

TEST(Parameters, DefaultsAndFallback) {
    RecordingHost host;
    Instance effect(slopeCrushModule());
    EXPECT_EQ(effect.getParameter(0), 0.25f);
    EXPECT_EQ(effect.getParameter(1), 0.95f);
    for (VstInt32 index : {2, 3, -1, 1000, std::numeric_limits<VstInt32>::min()})
        EXPECT_EQ(effect.getParameter(index), 1.0f) << index;
}

TEST(Parameters, ValuesAreStoredAsGivenEvenOutOfRange) {
    RecordingHost host;
    Instance effect(slopeCrushModule());
    for (float value : {0.0f, 0.5f, 1.0f, -0.0f, -1.0f, 2.0f, 1e30f, kInf, -kInf, kNaN,
                        std::numeric_limits<float>::denorm_min()}) {
        effect.setParameter(0, value);
        effect.setParameter(1, value);
        EXPECT_TRUE(sameBits(effect.getParameter(0), value)) << value;
        EXPECT_TRUE(sameBits(effect.getParameter(1), value)) << value;
    }
}

TEST(Parameters, OtherIndicesAreIgnored) {
    RecordingHost host;
    Instance effect(slopeCrushModule());
    for (VstInt32 index : {2, -1, 99})
        effect.setParameter(index, 0.0f);
    EXPECT_EQ(effect.getParameter(0), 0.25f);
    EXPECT_EQ(effect.getParameter(1), 0.95f);
    EXPECT_EQ(effect.getParameter(2), 1.0f);
}

TEST(Parameters, PitchSelectsTheRateIndexByTruncation) {
    struct Case {
        float pitch;
        VstInt32 index;
    };
    const Case cases[] = {
        {0.0f, 0},
        {1.0f / 15.0f, 1},
        {0.5f, 7},
        {0.95f, 14},
        {0.9999f, 14},
        {1.0f, 15},
        {0.0666f, 0},
        {14.5f / 15, 14},
        {-0.0f, 0},
        // Outside the range the index stays inside the table: below and NaN select the lowest
        // rate, above the highest.
        {-0.01f, 0},
        {-1.0f, 0},
        {-kInf, 0},
        {kNaN, 0},
        {1.0001f, 15},
        {2.0f, 15},
        {1e30f, 15},
        {kInf, 15},
        {std::numeric_limits<float>::denorm_min(), 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(deltamod::rateIndexFor(c.pitch), c.index) << c.pitch;
    for (int i = 0; i < deltamod::kNumRates; ++i)
        EXPECT_EQ(deltamod::rateIndexFor(static_cast<float>(i) / 15.0f), i);
}

TEST(Parameters, RateTableHoldsTheSixteenRates) {
    const std::uint32_t bits[deltamod::kNumRates] = {
        0x4582ADAE, 0x45932F71, 0x45A48052, 0x45AEC852, 0x45C38F9A, 0x45DC32CD,
        0x45F77ACD, 0x4602ADAE, 0x46132F71, 0x462EC866, 0x4644F000, 0x465A7A66,
        0x4683E966, 0x46A48066, 0x46C233CD, 0x470177E6};
    for (int i = 0; i < deltamod::kNumRates; ++i) {
        std::uint32_t got = 0;
        std::memcpy(&got, &deltamod::kRatesHz[static_cast<size_t>(i)], 4);
        EXPECT_EQ(got, bits[i]) << i;
        EXPECT_LT(deltamod::kRatesHz[static_cast<size_t>(i)], 44100.0f);
    }
}

TEST(Parameters, OutOfRangePitchProcessesLikeTheNearestEnd) {
    RecordingHost host;
    const auto input = noise(8000, 7);
    auto run = [&](float pitch) {
        Instance effect(slopeCrushModule());
        effect.setParameter(1, pitch);
        return effect.process(input, input);
    };
    const auto lowest = run(0.0f);
    const auto highest = run(1.0f);
    EXPECT_NE(lowest, highest);
    for (float pitch : {-0.5f, -kInf, kNaN})
        EXPECT_EQ(run(pitch), lowest) << pitch;
    for (float pitch : {1.5f, kInf})
        EXPECT_EQ(run(pitch), highest) << pitch;
}

// The host may read the parameter back while it handles the notification; it must find the
// new value there already.
TEST(Parameters, SetParameterAutomatedChangesTheEffectBeforeTellingTheHost) {
    struct Case {
        VstInt32 index;
        float value;
    };
    for (const Case& c : {Case{1, 0.5f}, Case{0, 0.75f}, Case{1, 0.0f}}) {
        SCOPED_TRACE(c.index);
        RecordingHost host;
        DeltaModEffect effect(RecordingHost::callback);
        ASSERT_NE(effect.getParameter(c.index), c.value) << "the test needs a change to see";
        int checked = 0;
        host.onCall = [&](const HostCall& call) {
            if (call.opcode != audioMasterAutomate) return;
            EXPECT_EQ(effect.getParameter(c.index), c.value);
            ++checked;
        };
        effect.setParameterAutomated(c.index, c.value);
        EXPECT_EQ(checked, 1);
        ASSERT_EQ(host.calls.size(), 1u);
        const HostCall& sent = host.calls.front();
        EXPECT_EQ(sent.effect, effect.getAeffect());
        EXPECT_EQ(sent.opcode, audioMasterAutomate);
        EXPECT_EQ(sent.index, c.index);
        EXPECT_EQ(sent.value, 0);
        EXPECT_EQ(sent.ptr, nullptr);
        EXPECT_EQ(sent.opt, c.value);
    }
}

} // namespace
