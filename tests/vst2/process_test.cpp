// processReplacing as hosts call it: the golden vectors through the loaded module, a sample rate
// that changes nothing, and blocks of no frames.

#include "goldenvectors.h"
#include "recordinghost.h"
#include "slopecrushmodule.h"
#include "testsignals.h"

#include <gtest/gtest.h>

#include <limits>
#include <vector>

namespace {

std::vector<float> constant(size_t frames, float value) {
    return std::vector<float>(frames, value);
}

class GoldenThroughTheModule : public ::testing::TestWithParam<golden::GoldenCase> {};

// The core's own tests hold the sound to the vectors at every blocking; here the edition must pass
// its host's values and buffers on unchanged.
TEST_P(GoldenThroughTheModule, MatchesBitForBit) {
    RecordingHost host;
    const golden::GoldenCase& c = GetParam();
    const golden::Vectors v = golden::readVectors(c);
    Instance effect(slopeCrushModule());
    effect.start(44100.0f, c.block);
    const auto got = golden::render(
        c, v.input, [&](int index, float value) { effect.setParameter(index, value); },
        [&](float* in0, float* in1, float* out0, float* out1, long frames) {
            float* ins[2] = {in0, in1};
            float* outs[2] = {out0, out1};
            effect->processReplacing(effect.get(), ins, outs, static_cast<VstInt32>(frames));
        },
        [&] { return c.block; });
    golden::expectVector(c, "own block", got, v.expected);
}

INSTANTIATE_TEST_SUITE_P(Vectors, GoldenThroughTheModule, ::testing::ValuesIn(golden::readCases()),
                         golden::caseName);

TEST(Processing, HostSampleRateDoesNotChangeTheOutput) {
    RecordingHost host;
    const auto input = noise(20000, 1);
    std::vector<std::vector<float>> outputs;
    for (float rate : {44100.0f, 48000.0f, 96000.0f, 22050.0f}) {
        Instance effect(slopeCrushModule());
        effect.start(rate);
        outputs.push_back(effect.process(input, input));
    }
    for (size_t i = 1; i < outputs.size(); ++i)
        EXPECT_EQ(outputs[i], outputs[0]);
}

TEST(Processing, EmptyAndNegativeBlocksTouchNothing) {
    RecordingHost host;
    Instance touched(slopeCrushModule());
    Instance fresh(slopeCrushModule());
    touched.start();
    fresh.start();
    float in[4] = {1.0f, 1.0f, 1.0f, 1.0f};
    float out[4] = {9.0f, 9.0f, 9.0f, 9.0f};
    float* ins[2] = {in, in + 2};
    float* outs[2] = {out, out + 2};
    for (VstInt32 frames : {0, -1, -4096, std::numeric_limits<VstInt32>::min()})
        touched->processReplacing(touched.get(), ins, outs, frames);
    for (float v : out)
        EXPECT_EQ(v, 9.0f);
    // Nor did the state move: both instances go on identically.
    const auto steady = constant(1000, 0.3f);
    EXPECT_EQ(touched.process(steady, steady), fresh.process(steady, steady));
}

} // namespace
