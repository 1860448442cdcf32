// Every way a render can fail: one line naming the problem, the documented exit code, and no
// output file left behind (nor a temporary one), with anything that was there untouched.

#include "programrun.h"
#include "soundfile.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <functional>

namespace {

constexpr int kUsage = 2;
constexpr int kInput = 3;
constexpr int kOutput = 4;
constexpr int kPlugin = 5;

void writeText(const std::string& path, const std::string& text) { std::ofstream(path) << text; }

std::string contents(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

struct ErrorCase {
    const char* name;
    // Makes the files the case needs in the folder; in.wav (stereo, 16 bits) is always there.
    std::function<void(const TempFolder&)> setUp;
    // Arguments, with "@" standing for the folder.
    std::vector<std::string> args;
    int exitCode;
    std::string message; // a part of the one line the program prints
};

void PrintTo(const ErrorCase& c, std::ostream* os) { *os << c.name; }

std::string expand(std::string text, const TempFolder& folder) {
    for (size_t at = text.find('@'); at != std::string::npos; at = text.find('@', at + 1))
        text.replace(at, 1, folder.path());
    return text;
}

std::vector<std::string> expand(const std::vector<std::string>& args, const TempFolder& folder) {
    std::vector<std::string> expanded;
    for (const std::string& arg : args)
        expanded.push_back(expand(arg, folder));
    return expanded;
}

void noSetUp(const TempFolder&) {}

class RenderErrors : public ::testing::TestWithParam<ErrorCase> {};

TEST_P(RenderErrors, FailOnOneLineAndLeaveNothingBehind) {
    const ErrorCase& c = GetParam();
    TempFolder folder;
    writeSound(folder / "in.wav", testSound(2, 2000), SF_FORMAT_WAV | SF_FORMAT_PCM_16);
    ASSERT_FALSE(HasFatalFailure());
    c.setUp(folder);
    const auto before = folder.names();
    std::map<std::string, std::string> snapshot;
    for (const auto& name : before)
        if (std::filesystem::is_regular_file(folder / name))
            snapshot[name] = contents(folder / name);

    const ProgramRun run = runRender(expand(c.args, folder));
    EXPECT_EQ(run.exitCode, c.exitCode) << run.err;
    EXPECT_EQ(run.err.rfind("slopecrush-render: ", 0), 0u) << run.err;
    EXPECT_NE(run.err.find(expand(c.message, folder)), std::string::npos) << run.err;
    EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(folder.names(), before) << "an output or temporary file was left behind";
    for (const auto& [name, bytes] : snapshot)
        EXPECT_EQ(contents(folder / name), bytes) << name;
}

const auto kMultichannel = [](const TempFolder& folder) {
    writeSound(folder / "four.wav", testSound(4, 1000), SF_FORMAT_WAV | SF_FORMAT_PCM_16);
};

INSTANTIATE_TEST_SUITE_P(
    Input, RenderErrors,
    ::testing::Values(
        ErrorCase{"missing", noSetUp, {"@/nothing.wav", "@/out.wav"}, kInput, "does not exist"},
        ErrorCase{"folder",
                  [](const TempFolder& f) { std::filesystem::create_directory(f / "sub"); },
                  {"@/sub", "@/out.wav"},
                  kInput,
                  "'@/sub' is a folder"},
        ErrorCase{"notAudio",
                  [](const TempFolder& f) { writeText(f / "notes.wav", "la la la"); },
                  {"@/notes.wav", "@/out.wav"},
                  kInput,
                  "as audio: "},
        ErrorCase{"empty",
                  [](const TempFolder& f) { writeText(f / "empty.wav", ""); },
                  {"@/empty.wav", "@/out.wav"},
                  kInput,
                  "as audio: "},
        ErrorCase{"multichannel",
                  kMultichannel,
                  {"@/four.wav", "@/out.wav"},
                  kInput,
                  "has 4 channels; pick two with --channels A,B (1..4)"},
        ErrorCase{"channelBeyondTheInput",
                  kMultichannel,
                  {"@/four.wav", "@/out.wav", "--channels", "1,5"},
                  kUsage,
                  "the input has 4, pick one or two of 1..4"},
        ErrorCase{"channelZero",
                  kMultichannel,
                  {"@/four.wav", "@/out.wav", "--channels", "0"},
                  kUsage,
                  "pick one or two of 1..4"},
        ErrorCase{"threeChannels",
                  kMultichannel,
                  {"@/four.wav", "@/out.wav", "--channels", "1,2,3"},
                  kUsage,
                  "pick one or two of 1..4"}),
    [](const auto& info) { return std::string(info.param.name); });

INSTANTIATE_TEST_SUITE_P(
    Output, RenderErrors,
    ::testing::Values(
        ErrorCase{"exists",
                  [](const TempFolder& f) { writeText(f / "out.wav", "precious"); },
                  {"@/in.wav", "@/out.wav"},
                  kOutput,
                  "'@/out.wav' exists; add --force"},
        ErrorCase{"isAFolder",
                  [](const TempFolder& f) { std::filesystem::create_directory(f / "out.wav"); },
                  {"@/in.wav", "@/out.wav", "--force"},
                  kOutput,
                  "'@/out.wav' is a folder"},
        ErrorCase{"folderMissing",
                  noSetUp,
                  {"@/in.wav", "@/no/out.wav"},
                  kOutput,
                  "cannot create the output in '@/no'"},
        // Not even root can create files there.
        ErrorCase{"folderUnwritable",
                  noSetUp,
                  {"@/in.wav", "/proc/out.wav"},
                  kOutput,
                  "cannot create the output in '/proc'"},
        ErrorCase{"unknownType",
                  noSetUp,
                  {"@/in.wav", "@/out.mp3"},
                  kOutput,
                  "unknown output type '.mp3'; name it .wav, .aiff, .aif, .flac or .ogg"},
        ErrorCase{"noType", noSetUp, {"@/in.wav", "@/out"}, kOutput, "unknown output type ''"},
        ErrorCase{
            "sameName", noSetUp, {"@/in.wav", "@/in.wav", "--force"}, kOutput, "is the input file"},
        ErrorCase{"sameFileOtherSpelling",
                  noSetUp,
                  {"@/in.wav", "@/./in.wav", "--force"},
                  kOutput,
                  "is the input file"},
        ErrorCase{"sameFileThroughALink",
                  [](const TempFolder& f) {
                      std::filesystem::create_symlink(f / "in.wav", f / "link.wav");
                  },
                  {"@/in.wav", "@/link.wav", "--force"},
                  kOutput,
                  "is the input file"},
        ErrorCase{"sameFileThroughAHardLink",
                  [](const TempFolder& f) {
                      std::filesystem::create_hard_link(f / "in.wav", f / "hard.wav");
                  },
                  {"@/hard.wav", "@/in.wav", "--force"},
                  kOutput,
                  "is the input file"},
        ErrorCase{"floatIntoFlac",
                  noSetUp,
                  {"@/in.wav", "@/out.flac", "--format", "float"},
                  kUsage,
                  "--format: a FLAC file cannot hold float samples; it holds pcm24, pcm16"},
        ErrorCase{"formatForOgg",
                  noSetUp,
                  {"@/in.wav", "@/out.ogg", "--format", "pcm16"},
                  kUsage,
                  "--format does not apply to .ogg"}),
    [](const auto& info) { return std::string(info.param.name); });

INSTANTIATE_TEST_SUITE_P(
    Plugin, RenderErrors,
    ::testing::Values(ErrorCase{"missing",
                                noSetUp,
                                {"@/in.wav", "@/out.wav", "--plugin", "@/none.so"},
                                kPlugin,
                                "cannot load the plug-in: "},
                      ErrorCase{"notALibrary",
                                [](const TempFolder& f) { writeText(f / "text.so", "hello"); },
                                {"@/in.wav", "@/out.wav", "--plugin", "@/text.so"},
                                kPlugin,
                                "cannot load the plug-in: "},
                      ErrorCase{
                          "noEntry",
                          noSetUp,
                          {"@/in.wav", "@/out.wav", "--plugin", MOCK_NO_ENTRY_PATH},
                          kPlugin,
                          "is not a VST 2.4 plug-in: it exports neither VSTPluginMain nor main"},
                      ErrorCase{"entryGivesNull",
                                noSetUp,
                                {"@/in.wav", "@/out.wav", "--plugin", MOCK_NULL_EFFECT_PATH},
                                kPlugin,
                                "created no effect (its entry returned null)"},
                      ErrorCase{"badMagic",
                                noSetUp,
                                {"@/in.wav", "@/out.wav", "--plugin", MOCK_BAD_MAGIC_PATH},
                                kPlugin,
                                "its entry returned a record without the 'VstP' magic"},
                      ErrorCase{"infoFromNotAPlugin",
                                noSetUp,
                                {"--info", "--plugin", MOCK_NO_ENTRY_PATH},
                                kPlugin,
                                "exports neither VSTPluginMain nor main"}),
    [](const auto& info) { return std::string(info.param.name); });

// Each refusal names the range (or the choices) it accepts.
INSTANTIATE_TEST_SUITE_P(
    Options, RenderErrors,
    ::testing::Values(
        ErrorCase{"gainAbove",
                  noSetUp,
                  {"@/in.wav", "@/out.wav", "--gain", "1.5"},
                  kUsage,
                  "--gain: '1.5' is outside 0..1"},
        ErrorCase{"gainBelow",
                  noSetUp,
                  {"@/in.wav", "@/out.wav", "--gain=-0.1"},
                  kUsage,
                  "'-0.1' is outside 0..1"},
        ErrorCase{"gainBeyondADouble",
                  noSetUp,
                  {"@/in.wav", "@/out.wav", "--gain", "1e999"},
                  kUsage,
                  "--gain: '1e999' is outside 0..1"},
        ErrorCase{"gainWords",
                  noSetUp,
                  {"@/in.wav", "@/out.wav", "--gain", "loud"},
                  kUsage,
                  "'loud' is not a number; expected 0..1"},
        ErrorCase{"gainNaN",
                  noSetUp,
                  {"@/in.wav", "@/out.wav", "--gain", "nan"},
                  kUsage,
                  "expected 0..1"},
        ErrorCase{"gainTrailing",
                  noSetUp,
                  {"@/in.wav", "@/out.wav", "--gain", "0.5x"},
                  kUsage,
                  "expected 0..1"},
        ErrorCase{"pitchAbove",
                  noSetUp,
                  {"@/in.wav", "@/out.wav", "--pitch", "2"},
                  kUsage,
                  "--pitch: '2' is outside 0..1"},
        ErrorCase{"gainDbAbove",
                  noSetUp,
                  {"@/in.wav", "@/out.wav", "--gain-db", "12.1"},
                  kUsage,
                  "'12.1' is above 12.0412 dB; expected -inf..12.0412 dB"},
        ErrorCase{"gainDbPlusInf",
                  noSetUp,
                  {"@/in.wav", "@/out.wav", "--gain-db", "inf"},
                  kUsage,
                  "expected -inf..12.0412 dB"},
        ErrorCase{"gainDbWords",
                  noSetUp,
                  {"@/in.wav", "@/out.wav", "--gain-db", "6dB"},
                  kUsage,
                  "'6dB' is not a number; expected -inf..12.0412 dB"},
        ErrorCase{"rateIndexAbove",
                  noSetUp,
                  {"@/in.wav", "@/out.wav", "--rate-index", "16"},
                  kUsage,
                  "--rate-index: '16' is outside 0..15"},
        ErrorCase{"rateIndexNegative",
                  noSetUp,
                  {"@/in.wav", "@/out.wav", "--rate-index=-1"},
                  kUsage,
                  "'-1' is outside 0..15"},
        ErrorCase{"rateIndexFraction",
                  noSetUp,
                  {"@/in.wav", "@/out.wav", "--rate-index", "7.5"},
                  kUsage,
                  "'7.5' is not a whole number; expected 0..15"},
        ErrorCase{"rateBelow",
                  noSetUp,
                  {"@/in.wav", "@/out.wav", "--rate", "4000"},
                  kUsage,
                  "--rate: '4000' is outside 4181..33144 Hz"},
        ErrorCase{"rateAbove",
                  noSetUp,
                  {"@/in.wav", "@/out.wav", "--rate", "44100"},
                  kUsage,
                  "is outside 4181..33144 Hz"},
        ErrorCase{"rateWords",
                  noSetUp,
                  {"@/in.wav", "@/out.wav", "--rate", "fast"},
                  kUsage,
                  "expected 4181..33144 Hz"},
        ErrorCase{"blockZero",
                  noSetUp,
                  {"@/in.wav", "@/out.wav", "--block", "0"},
                  kUsage,
                  "--block: '0' is outside 1..65536 frames"},
        ErrorCase{"blockHuge",
                  noSetUp,
                  {"@/in.wav", "@/out.wav", "--block", "65537"},
                  kUsage,
                  "is outside 1..65536 frames"},
        ErrorCase{"blockBeyondAnInt",
                  noSetUp,
                  {"@/in.wav", "@/out.wav", "--block", "2147483648"},
                  kUsage,
                  "'2147483648' is outside 1..65536 frames"},
        ErrorCase{"blockWords",
                  noSetUp,
                  {"@/in.wav", "@/out.wav", "--block", "big"},
                  kUsage,
                  "expected 1..65536 frames"},
        ErrorCase{"formatUnknown",
                  noSetUp,
                  {"@/in.wav", "@/out.wav", "--format", "pcm8"},
                  kUsage,
                  "'pcm8' is not one of pcm16, pcm24, pcm32, float"},
        ErrorCase{"gainTwice",
                  noSetUp,
                  {"@/in.wav", "@/out.wav", "--gain", "0.5", "--gain-db", "0"},
                  kUsage,
                  "excludes"},
        ErrorCase{"rateTwice",
                  noSetUp,
                  {"@/in.wav", "@/out.wav", "--rate-index", "3", "--rate", "8000"},
                  kUsage,
                  "excludes"},
        ErrorCase{"unknownOption",
                  noSetUp,
                  {"@/in.wav", "@/out.wav", "--loudness", "3"},
                  kUsage,
                  "--loudness"},
        ErrorCase{"noOutput",
                  noSetUp,
                  {"@/in.wav"},
                  kUsage,
                  "expected INPUT and OUTPUT, or --demo, or --info"},
        ErrorCase{"threeFiles",
                  noSetUp,
                  {"@/in.wav", "@/a.wav", "@/b.wav"},
                  kUsage,
                  "expected INPUT and OUTPUT"},
        ErrorCase{
            "infoWithFiles", noSetUp, {"--info", "@/in.wav"}, kUsage, "--info takes no files"},
        ErrorCase{"demoWithTwoFiles",
                  noSetUp,
                  {"--demo", "@/a.wav", "@/b.wav"},
                  kUsage,
                  "--demo takes at most one file"},
        ErrorCase{"demoWithChannels",
                  noSetUp,
                  {"--demo", "@/a.wav", "--channels", "1"},
                  kUsage,
                  "--channels applies to an input file only"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(RenderErrors, UnreadableInputOrFolderForAnyoneButRoot) {
    if (geteuid() == 0) GTEST_SKIP() << "root reads and writes whatever the permissions say";
    TempFolder folder;
    writeSound(folder / "in.wav", testSound(2, 100), SF_FORMAT_WAV | SF_FORMAT_PCM_16);
    ASSERT_FALSE(HasFatalFailure());
    chmod((folder / "in.wav").c_str(), 0);
    ProgramRun run = runRender({folder / "in.wav", folder / "out.wav"});
    EXPECT_EQ(run.exitCode, kInput);
    EXPECT_NE(run.err.find("cannot read the input"), std::string::npos) << run.err;

    chmod((folder / "in.wav").c_str(), 0644);
    std::filesystem::create_directory(folder / "locked");
    chmod((folder / "locked").c_str(), 0555);
    run = runRender({folder / "in.wav", folder / "locked/out.wav"});
    EXPECT_EQ(run.exitCode, kOutput);
    EXPECT_NE(run.err.find("cannot create the output in"), std::string::npos) << run.err;
    EXPECT_TRUE(std::filesystem::is_empty(folder / "locked"));
}

TEST(RenderErrors, AnInterruptedRenderLeavesNoOutput) {
    TempFolder folder;
    writeSound(folder / "in.wav", testSound(2, 5000), SF_FORMAT_WAV | SF_FORMAT_PCM_16);
    ASSERT_FALSE(HasFatalFailure());
    // The stand-in plug-in raises SIGINT in its third processing call, as Ctrl-C would.
    const ProgramRun run = runRender(
        {folder / "in.wav", folder / "out.wav", "--block", "1000", "--plugin", MOCK_RECORDING_PATH},
        {}, {{"MOCK_PLUGIN_INTERRUPT_AT", "3"}});
    EXPECT_EQ(run.exitCode, 130);
    EXPECT_EQ(run.err, "slopecrush-render: interrupted; no output was written\n");
    EXPECT_EQ(folder.names(), std::vector<std::string>{"in.wav"});
}

} // namespace
