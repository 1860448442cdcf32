// The program as a host, seen from a stand-in plug-in that records every call: the order of the
// calls, the answers to its questions, and which input channel reaches which plug-in input.

#include "programrun.h"
#include "soundfile.h"

#include <gtest/gtest.h>

#include <fstream>

namespace {

std::vector<std::string> lines(const std::string& path) {
    std::vector<std::string> found;
    std::ifstream file(path);
    for (std::string line; std::getline(file, line);)
        found.push_back(line);
    return found;
}

TEST(Host, DrivesTheEffectOnlyThroughTheRecordInHostOrder) {
    TempFolder folder;
    writeSound(folder / "in.wav", testSound(2, 250, 48000), SF_FORMAT_WAV | SF_FORMAT_FLOAT);
    ASSERT_FALSE(HasFatalFailure());
    const ProgramRun run =
        runRender({folder / "in.wav", folder / "out.wav", "--plugin", MOCK_RECORDING_PATH,
                   "--block", "100", "--gain", "0.5", "--pitch", "0.125"},
                  {}, {{"MOCK_PLUGIN_LOG", folder / "calls.log"}});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    const std::vector<std::string> expected = {
        "entry, host version 2400",
        "open",
        "sampleRate 48000",
        "blockSize 100",
        "mains 1",
        "host says sampleRate 48000 blockSize 100",
        "setParameter 0 0.5",
        "setParameter 1 0.125",
        "process 100",
        "process 100",
        "process 50",
        "mains 0",
        "close",
    };
    EXPECT_EQ(lines(folder / "calls.log"), expected);
}

TEST(Host, MonoInputFeedsBothInputs) {
    TempFolder folder;
    const Sound mono = testSound(1, 3000);
    writeSound(folder / "in.wav", mono, SF_FORMAT_WAV | SF_FORMAT_FLOAT);
    ASSERT_FALSE(HasFatalFailure());
    const ProgramRun run =
        runRender({folder / "in.wav", folder / "out.wav", "--plugin", MOCK_RECORDING_PATH});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    const Sound out = readSound(folder / "out.wav");
    ASSERT_EQ(out.channels, 2);
    EXPECT_EQ(out.channel(0), mono.samples);
    EXPECT_EQ(out.channel(1), mono.samples);
}

TEST(Host, PickedChannelsFeedLeftAndRight) {
    TempFolder folder;
    const Sound four = testSound(4, 3000);
    writeSound(folder / "in.wav", four, SF_FORMAT_WAV | SF_FORMAT_FLOAT);
    ASSERT_FALSE(HasFatalFailure());
    const struct {
        const char* pick;
        int left;
        int right;
    } cases[] = {{"3,1", 2, 0}, {"4,4", 3, 3}, {"2", 1, 1}, {"1,2", 0, 1}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.pick);
        const ProgramRun run = runRender({folder / "in.wav", folder / "out.wav", "--force",
                                          "--plugin", MOCK_RECORDING_PATH, "--channels", c.pick});
        ASSERT_EQ(run.exitCode, 0) << run.err;
        const Sound out = readSound(folder / "out.wav");
        EXPECT_EQ(out.channel(0), four.channel(c.left));
        EXPECT_EQ(out.channel(1), four.channel(c.right));
    }
}

TEST(Host, StereoPassesThroughUntouched) {
    TempFolder folder;
    const Sound stereo = testSound(2, 3000, 96000);
    writeSound(folder / "in.wav", stereo, SF_FORMAT_WAV | SF_FORMAT_FLOAT);
    ASSERT_FALSE(HasFatalFailure());
    const ProgramRun run = runRender(
        {folder / "in.wav", folder / "out.wav", "--plugin", MOCK_RECORDING_PATH, "--block", "333"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    const Sound out = readSound(folder / "out.wav");
    EXPECT_EQ(out.sampleRate, 96000);
    EXPECT_EQ(out.samples, stereo.samples);
}

} // namespace
