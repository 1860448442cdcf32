// Debian's LV2 host programs find the bundle in the build's output folder, and lv2apply renders a
// file through it exactly as slopecrush-render renders it through the VST module.

#include "programrun.h"
#include "soundfile.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <map>
#include <string>

namespace {

// lilv searches LV2_PATH only, so no copy installed elsewhere is found instead.
std::map<std::string, std::string> buildFolderOnly() {
    std::map<std::string, std::string> env{
        {"LV2_PATH", std::filesystem::path(SLOPECRUSH_LV2_BUNDLE).parent_path().parent_path()}};
#ifdef SLOPECRUSH_HOST_PRELOAD
    env["LD_PRELOAD"] = SLOPECRUSH_HOST_PRELOAD;
#endif
    return env;
}

TEST(Lv2HostPrograms, Lv2applyRendersWhatSlopecrushRenderDoes) {
    const ProgramRun info = runProgram(LV2INFO, {"urn:tervik:slopecrush"}, {}, buildFolderOnly());
    ASSERT_EQ(info.exitCode, 0) << info.err;
    EXPECT_NE(info.out.find("Name:              SlopeCrush"), std::string::npos) << info.out;
    EXPECT_NE(info.out.find("14 = \"24857.90 Hz\""), std::string::npos) << info.out;

    // 48 kHz: both editions count their rates against 44.1 kHz whatever the file's rate.
    TempFolder folder;
    writeSound(folder / "in.wav", testSound(2, 30000, 48000), SF_FORMAT_WAV | SF_FORMAT_FLOAT);
    ASSERT_FALSE(HasFatalFailure());
    const ProgramRun lv2 = runProgram(LV2APPLY,
                                      {"-i", folder / "in.wav", "-o", folder / "lv2.wav", "-c",
                                       "gain", "7.5", "-c", "pitch", "4", "urn:tervik:slopecrush"},
                                      {}, buildFolderOnly());
    ASSERT_EQ(lv2.exitCode, 0) << lv2.err;
    const ProgramRun vst = runRender({folder / "in.wav", folder / "vst.wav", "--gain-db", "7.5",
                                      "--rate-index", "4", "--format", "float"});
    ASSERT_EQ(vst.exitCode, 0) << vst.err;

    const Sound fromLv2 = readSound(folder / "lv2.wav");
    const Sound fromVst = readSound(folder / "vst.wav");
    EXPECT_EQ(fromLv2.sampleRate, 48000);
    ASSERT_EQ(fromLv2.channels, 2);
    ASSERT_EQ(fromLv2.samples.size(), fromVst.samples.size());
    EXPECT_EQ(0, std::memcmp(fromLv2.samples.data(), fromVst.samples.data(),
                             fromVst.samples.size() * sizeof(float)));
}

} // namespace
