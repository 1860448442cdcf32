// --demo: two files anyone can play, the crushed one being the plug-in's answer to the dry one.

#include "programrun.h"
#include "soundfile.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>

namespace {

float peak(const std::vector<float>& samples) {
    float largest = 0.0f;
    for (float s : samples)
        largest = std::max(largest, std::fabs(s));
    return largest;
}

TEST(Demo, WritesACrushedAndADryFileThatPlay) {
    TempFolder folder;
    const ProgramRun run = runRender({"--demo"}, folder.path());
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.out.rfind("wrote slopecrush-demo.wav (crushed) and slopecrush-demo-dry.wav "
                            "(dry): 176400 frames, 4.000 s at 44100 Hz",
                            0),
              0u)
        << run.out;
    ASSERT_EQ(folder.names(),
              (std::vector<std::string>{"slopecrush-demo-dry.wav", "slopecrush-demo.wav"}));

    const Sound dry = readSound(folder / "slopecrush-demo-dry.wav");
    const Sound crushed = readSound(folder / "slopecrush-demo.wav");
    for (const Sound* sound : {&dry, &crushed}) {
        EXPECT_EQ(sound->format, SF_FORMAT_WAV | SF_FORMAT_PCM_16) << "what every player takes";
        EXPECT_EQ(sound->sampleRate, 44100);
        EXPECT_EQ(sound->channels, 2);
        EXPECT_EQ(sound->frames(), 176400);
        EXPECT_GT(peak(sound->samples), 0.5f) << "the demo should be heard";
        EXPECT_LE(peak(sound->samples), 1.0f);
    }
    EXPECT_NE(dry.channel(0), dry.channel(1)) << "the dry demo is stereo";
    EXPECT_EQ(crushed.channel(0), crushed.channel(1)) << "the effect's output is mono";
    EXPECT_NE(crushed.channel(0), dry.channel(0));
}

TEST(Demo, CrushedIsThePluginOnTheDryAndTheSameOnEveryRun) {
    TempFolder folder;
    for (const char* name : {"a.wav", "b.wav"}) {
        const ProgramRun run =
            runRender({"--demo", folder / name, "--format", "float", "--pitch", "0.15", "--quiet"});
        ASSERT_EQ(run.exitCode, 0) << run.err;
        EXPECT_EQ(run.out, "");
    }
    ASSERT_EQ(folder.names(),
              (std::vector<std::string>{"a-dry.wav", "a.wav", "b-dry.wav", "b.wav"}));

    const Sound dry = readSound(folder / "a-dry.wav");
    EXPECT_EQ(dry.samples, readSound(folder / "b-dry.wav").samples);
    const Sound crushed = readSound(folder / "a.wav");
    EXPECT_EQ(crushed.samples, readSound(folder / "b.wav").samples);
    const std::vector<float> expected =
        pluginOutput(dry.channel(0), dry.channel(1), 44100, {{1, 0.15f}});
    EXPECT_EQ(crushed.channel(0), expected);
    EXPECT_EQ(crushed.channel(1), expected);
}

TEST(Demo, NeverReplacesEitherFileWithoutForce) {
    TempFolder folder;
    std::filesystem::copy_file(SLOPECRUSH_RENDER, folder / "slopecrush-demo-dry.wav");
    const auto before = std::filesystem::file_size(folder / "slopecrush-demo-dry.wav");
    ProgramRun run = runRender({"--demo"}, folder.path());
    EXPECT_EQ(run.exitCode, 4);
    EXPECT_EQ(run.err, "slopecrush-render: the output 'slopecrush-demo-dry.wav' exists; add "
                       "--force to replace it\n");
    EXPECT_EQ(folder.names(), std::vector<std::string>{"slopecrush-demo-dry.wav"});
    EXPECT_EQ(std::filesystem::file_size(folder / "slopecrush-demo-dry.wav"), before);

    run = runRender({"--demo", "--force", "--quiet"}, folder.path());
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(readSound(folder / "slopecrush-demo-dry.wav").frames(), 176400);

    // Either name taken while rendering: both files or neither.
    for (const char* taken : {"slopecrush-demo.wav", "slopecrush-demo-dry.wav"}) {
        TempFolder empty;
        run = runRender({"--demo", "--plugin", MOCK_RECORDING_PATH}, empty.path(),
                        {{"MOCK_PLUGIN_INTERRUPT_AT", "1"}, {"MOCK_PLUGIN_CREATE", taken}});
        EXPECT_EQ(run.exitCode, 4);
        EXPECT_NE(run.err.find("it appeared while rendering"), std::string::npos) << run.err;
        EXPECT_EQ(empty.names(), std::vector<std::string>{taken});
    }

    // With --force, a dry name that cannot be taken (a folder there before or while rendering, as
    // in a shared sticky folder where the dry file is someone else's) keeps the old crushed file.
    for (const bool whileRendering : {false, true}) {
        SCOPED_TRACE(whileRendering ? "while rendering" : "before");
        TempFolder taken;
        std::filesystem::copy_file(SLOPECRUSH_RENDER, taken / "slopecrush-demo.wav");
        if (!whileRendering) std::filesystem::create_directory(taken / "slopecrush-demo-dry.wav");
        run = runRender({"--demo", "--force", "--plugin", MOCK_RECORDING_PATH}, taken.path(),
                        {{"MOCK_PLUGIN_INTERRUPT_AT", whileRendering ? "1" : "0"},
                         {"MOCK_PLUGIN_CREATE", "slopecrush-demo-dry.wav/"}});
        EXPECT_EQ(run.exitCode, 4);
        EXPECT_NE(run.err.find("slopecrush-demo-dry.wav"), std::string::npos) << run.err;
        EXPECT_EQ(taken.names(),
                  (std::vector<std::string>{"slopecrush-demo-dry.wav", "slopecrush-demo.wav"}));
        EXPECT_TRUE(contents(taken / "slopecrush-demo.wav") == contents(SLOPECRUSH_RENDER));
        // Once the name is free, both are replaced.
        std::filesystem::remove(taken / "slopecrush-demo-dry.wav");
        run = runRender({"--demo", "--force", "--quiet"}, taken.path());
        EXPECT_EQ(run.exitCode, 0) << run.err;
        EXPECT_EQ(readSound(taken / "slopecrush-demo.wav").frames(), 176400);
    }
}

} // namespace
