// The example tremolo as a user tries it: files rendered through slopecrush-render --plugin. The
// program sets a foreign plug-in's parameters 0 and 1 with --gain and --pitch: Rate (0..1 for 0
// to 20 Hz) and Depth (0..1 for 0 to 100 %) here.

#include "programrun.h"
#include "soundfile.h"
#include "testsignals.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

constexpr int kSampleRate = 44100;

// Renders input through the tremolo with the given rate and depth (as the host's 0..1 values)
// into a float file and reads it back.
Sound tremolo(const Sound& input, const std::string& rate, const std::string& depth) {
    TempFolder folder;
    writeSound(folder / "in.wav", input, SF_FORMAT_WAV | SF_FORMAT_FLOAT);
    const ProgramRun run =
        runRender({folder / "in.wav", folder / "out.wav", "--plugin", TREMOLO_MODULE, "--gain",
                   rate, "--pitch", depth, "--format", "float", "--quiet"});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    return readSound(folder / "out.wav");
}

TEST(Tremolo, NoDepthLeavesTheSoundAsItWas) {
    const Sound input = testSound(2, kSampleRate, kSampleRate);
    for (const char* rate : {"0.5", "0.77", "1"}) {
        SCOPED_TRACE(rate);
        const Sound output = tremolo(input, rate, "0");
        ASSERT_EQ(output.channels, 2);
        EXPECT_EQ(output.samples, input.samples) << "not the input bit for bit";
    }
}

// 10 Hz at 44100 Hz is a cycle of 4410 frames from the start of the render. At full depth the
// gain reaches 0 halfway through each cycle and 1 at its start, and lies between elsewhere.
TEST(Tremolo, FullDepthSilencesTheMiddleOfEachCycle) {
    // Noise that never touches zero, so a silent output frame is the tremolo's doing alone.
    Sound input;
    const std::vector<float> white = noise(2 * static_cast<std::size_t>(kSampleRate), 13);
    for (float v : white)
        input.samples.push_back(std::copysign(0.25f + 0.5f * std::fabs(v), v));

    const Sound output = tremolo(input, "0.5", "1");
    ASSERT_EQ(output.channels, 2);
    ASSERT_EQ(output.frames(), input.frames());
    int silent = 0;
    for (long frame = 0; frame < output.frames(); ++frame) {
        for (int c = 0; c < 2; ++c) {
            const std::size_t i = static_cast<std::size_t>(frame * 2 + c);
            const float in = input.samples[i];
            const float out = output.samples[i];
            if (frame % 4410 == 2205) {
                EXPECT_EQ(out, 0.0f) << "frame " << frame;
                ++silent;
            } else if (frame % 4410 == 0) {
                EXPECT_EQ(out, in) << "frame " << frame;
            } else {
                EXPECT_TRUE(out != 0.0f && std::fabs(out) < std::fabs(in)) << "frame " << frame;
            }
        }
    }
    EXPECT_EQ(silent, 2 * 10) << "ten cycles in a second, two channels";
}

} // namespace
