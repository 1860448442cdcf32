// Every way a render can fail: one line naming the problem, the documented exit code, and no
// output file left behind (nor a temporary one), with anything that was there untouched.

#include "programrun.h"
#include "soundfile.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <functional>
#include <tuple>

namespace {

constexpr int kUsage = 2;
constexpr int kInput = 3;
constexpr int kOutput = 4;
constexpr int kPlugin = 5;

void writeText(const std::string& path, const std::string& text) { std::ofstream(path) << text; }

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
        ErrorCase{"sampleRateZero",
                  [](const TempFolder& f) {
                      std::string header = contents(f / "in.wav");
                      header.replace(24, 4, 4, '\0'); // the fmt chunk's frames per second
                      writeText(f / "zero.wav", header);
                  },
                  {"@/zero.wav", "@/out.wav"},
                  kInput,
                  "'@/zero.wav' as audio: its header gives a sample rate of 0 Hz"},
        ErrorCase{"empty",
                  [](const TempFolder& f) { writeText(f / "empty.wav", ""); },
                  {"@/empty.wav", "@/out.wav"},
                  kInput,
                  "as audio: "},
        // Damage in the middle is no cut: the end of the file is there.
        ErrorCase{"flacDamagedInTheMiddle",
                  [](const TempFolder& f) {
                      writeSound(f / "in.flac", testSound(2, 40000),
                                 SF_FORMAT_FLAC | SF_FORMAT_PCM_16);
                      std::string bytes = contents(f / "in.flac");
                      bytes.replace(bytes.size() / 2, 200, 200, 'U');
                      writeText(f / "in.flac", bytes);
                  },
                  {"@/in.flac", "@/out.wav"},
                  kInput,
                  "reading the input '@/in.flac' failed: "},
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
        ErrorCase{"noType", noSetUp, {"@/in.wav", "@/out"}, kOutput, "the name has no type; name"},
        ErrorCase{"onlyAType",
                  noSetUp,
                  {"@/in.wav", "@/.wav"},
                  kOutput,
                  "'@/.wav': the name is only a type; give it a name, like out.wav"},
        // Only a regular file is ever replaced; a link is followed to the file it names.
        ErrorCase{"fifo",
                  [](const TempFolder& f) { mkfifo((f / "out.wav").c_str(), 0644); },
                  {"@/in.wav", "@/out.wav", "--force"},
                  kOutput,
                  "'@/out.wav' is a FIFO, not a regular file"},
        ErrorCase{"deviceThroughALink",
                  [](const TempFolder& f) {
                      std::filesystem::create_symlink("/dev/null", f / "null.wav");
                  },
                  {"@/in.wav", "@/null.wav", "--force"},
                  kOutput,
                  "'@/null.wav' is a device, not a regular file"},
        ErrorCase{"linkToNothing",
                  [](const TempFolder& f) {
                      std::filesystem::create_symlink(f / "gone/x.wav", f / "out.wav");
                  },
                  {"@/in.wav", "@/out.wav", "--force"},
                  kOutput,
                  "'@/out.wav' is a symbolic link to '@/gone/x.wav', which does not exist"},
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
        ErrorCase{"channelsEmpty",
                  noSetUp,
                  {"@/in.wav", "@/out.wav", "--channels", ""},
                  kUsage,
                  "--channels: an empty text names no input channels"},
        ErrorCase{"pluginEmpty",
                  noSetUp,
                  {"@/in.wav", "@/out.wav", "--plugin", ""},
                  kUsage,
                  "--plugin: an empty text names no plug-in"},
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

TEST(RenderErrors, AnInterruptedOrKilledRenderLeavesNoOutput) {
    TempFolder folder;
    writeSound(folder / "in.wav", testSound(2, 5000), SF_FORMAT_WAV | SF_FORMAT_PCM_16);
    ASSERT_FALSE(HasFatalFailure());
    // The stand-in plug-in raises the signals in its third processing call: Ctrl-C, a closed
    // terminal, a kill no program can catch, a second signal (the first one counts); or once the
    // samples are all through, before the file is named.
    const std::tuple<const char*, const char*, int> signals[] = {{"2", "3", SIGINT},
                                                                 {"1", "3", SIGHUP},
                                                                 {"9", "3", SIGKILL},
                                                                 {"15,2", "3", SIGTERM},
                                                                 {"15", "stop", SIGTERM}};
    for (const auto& [raised, at, signal] : signals) {
        SCOPED_TRACE(raised);
        const ProgramRun run =
            runRender({folder / "in.wav", folder / "out.wav", "--block", "1000", "--plugin",
                       MOCK_RECORDING_PATH},
                      {}, {{"MOCK_PLUGIN_INTERRUPT_AT", at}, {"MOCK_PLUGIN_SIGNAL", raised}});
        EXPECT_EQ(run.exitCode, 128 + signal) << at;
        if (signal != SIGKILL) {
            EXPECT_EQ(run.err, "slopecrush-render: interrupted; no output was written\n");
        }
        EXPECT_EQ(folder.names(), std::vector<std::string>{"in.wav"});
    }
}

// Whether the program ends by itself. It has up to 30 s: a correctness bound, not a speed goal.
bool endsOnItsOwn(int pid) {
    siginfo_t info{};
    for (int waited = 0; waited < 3000 && info.si_pid != pid; ++waited) {
        usleep(10000);
        waitid(P_PID, static_cast<id_t>(pid), &info, WEXITED | WNOHANG | WNOWAIT);
    }
    return info.si_pid == pid;
}

// libsndfile repeats reads a signal interrupts: a FIFO whose writer stalls must not hold it.
TEST(RenderErrors, ASignalStopsARenderWhoseInputStalls) {
    TempFolder folder;
    writeSound(folder / "in.wav", testSound(2, 300000), SF_FORMAT_WAV | SF_FORMAT_PCM_16);
    ASSERT_FALSE(HasFatalFailure());
    ASSERT_EQ(mkfifo((folder / "fifo").c_str(), 0600), 0);
    const auto stall = [&folder](int pid) {
        std::ofstream fifo(folder / "fifo", std::ios::binary); // once the program reads it
        fifo << contents(folder / "in.wav").substr(0, 600000) << std::flush; // half of it
        kill(pid, SIGTERM);
        EXPECT_TRUE(endsOnItsOwn(pid)) << "still running while its input stalled after SIGTERM";
    };
    const ProgramRun run =
        runRender({folder / "fifo", folder / "out.wav"}, RunSetup{{}, {}, {}, 0, stall});
    EXPECT_EQ(run.exitCode, 128 + SIGTERM) << run.err;
    EXPECT_EQ(run.err, "slopecrush-render: interrupted; no output was written\n");
    EXPECT_EQ(folder.names(), (std::vector<std::string>{"fifo", "in.wav"}));

    // A signal that lands before the FIFO is opened (here one the parent left pending: it
    // arrives as the program catches signals) must not leave the open waiting for a writer.
    RunSetup early{{}, {}, {}, 0, [&folder](int pid) {
                       EXPECT_TRUE(endsOnItsOwn(pid)) << "waiting for a writer after SIGTERM";
                       close(open((folder / "fifo").c_str(), O_WRONLY | O_NONBLOCK)); // lets it go
                   }};
    early.pendingSignal = SIGTERM;
    const ProgramRun earlyRun = runRender({folder / "fifo", folder / "out.wav"}, early);
    EXPECT_EQ(earlyRun.exitCode, 128 + SIGTERM) << earlyRun.err;
    EXPECT_EQ(earlyRun.err, "slopecrush-render: interrupted; no output was written\n");
    EXPECT_EQ(folder.names(), (std::vector<std::string>{"fifo", "in.wav"}));
}

// A mono 16-bit WAV file whose header announces dataBytes of samples that are not there: the
// file is sparse, so it takes no room.
void writeHollowWav(const std::string& path, std::uint32_t dataBytes) {
    std::ofstream file(path, std::ios::binary);
    const auto word = [&file](std::uint32_t value, int bytes) {
        for (int i = 0; i < bytes; ++i)
            file.put(static_cast<char>(value >> (8 * i)));
    };
    file << "RIFF";
    word(36 + dataBytes, 4);
    file << "WAVEfmt ";
    word(16, 4);
    word(1, 2);         // PCM
    word(1, 2);         // mono
    word(44100, 4);     // frames per second
    word(44100 * 2, 4); // bytes per second
    word(2, 2);         // bytes per frame
    word(16, 2);        // bits per sample
    file << "data";
    word(dataBytes, 4);
    file.close();
    std::filesystem::resize_file(path, 44 + std::uintmax_t{dataBytes});
}

TEST(RenderErrors, AnOutputTooLargeForItsHeaderIsRefusedBeforeRendering) {
    TempFolder folder;
    // 3 GiB of mono samples become 6 GiB of stereo ones: more than a RIFF or AIFF header counts.
    writeHollowWav(folder / "long.wav", 3u << 30);
    const RunSetup logged{{}, {{"MOCK_PLUGIN_LOG", folder / "calls.log"}}, {}, 0};
    ProgramRun run = runRender(
        {folder / "long.wav", folder / "out.aiff", "--plugin", MOCK_RECORDING_PATH}, logged);
    EXPECT_EQ(run.exitCode, kOutput);
    EXPECT_NE(run.err.find("'" + folder / "out.aiff" +
                           "': 36521.831 s of 2-channel AIFF pcm16 at 44100 Hz is more than the 4 "
                           "GiB its header can count; name it .wav"),
              std::string::npos)
        << run.err;
    EXPECT_EQ(contents(folder / "calls.log").find("process"), std::string::npos);

    // WAV output goes ahead (as RF64); the plug-in's first block stops it.
    run = runRender({folder / "long.wav", folder / "out.wav", "--plugin", MOCK_RECORDING_PATH},
                    RunSetup{{}, {{"MOCK_PLUGIN_INTERRUPT_AT", "1"}}, {}, 0});
    EXPECT_EQ(run.exitCode, 130) << run.err;
    EXPECT_EQ(folder.names(), (std::vector<std::string>{"calls.log", "long.wav"}));
}

// A disk that fills up at the last write, while the file is finished (FLAC and Ogg encoders
// write their last frames and pages then, and rewrite their headers).
TEST(RenderErrors, ADiskFullWhileFinishingTheFileIsAFailure) {
    TempFolder folder;
    writeSound(folder / "in.wav", testSound(2, 100000), SF_FORMAT_WAV | SF_FORMAT_PCM_16);
    ASSERT_FALSE(HasFatalFailure());
    for (const std::string type : {"wav", "aiff", "flac", "ogg"}) {
        SCOPED_TRACE(type);
        ProgramRun run = runRender({folder / "in.wav", folder / ("whole." + type), "--quiet"});
        ASSERT_EQ(run.exitCode, 0) << run.err;
        const auto size =
            static_cast<long long>(std::filesystem::file_size(folder / ("whole." + type)));
        const auto before = folder.names();

        run = runRender({folder / "in.wav", folder / ("out." + type)},
                        RunSetup{{}, {}, {}, size - 1});
        EXPECT_EQ(run.exitCode, kOutput);
        EXPECT_EQ(run.err, "slopecrush-render: writing '" + folder / ("out." + type) +
                               "' failed: File too large\n");
        EXPECT_EQ(run.out, "");
        EXPECT_EQ(folder.names(), before);
    }
}

// A crash just after the output took its name must find the whole file under it.
TEST(RenderErrors, TheOutputIsOnDiskBeforeItTakesItsName) {
    if (stracePath().empty()) GTEST_SKIP() << "needs strace to see the system calls";
    TempFolder folder;
    writeSound(folder / "in.wav", testSound(2, 1000), SF_FORMAT_WAV | SF_FORMAT_PCM_16);
    ASSERT_FALSE(HasFatalFailure());
    for (const char* force : {"--quiet", "--force"}) {
        const ProgramRun run =
            runRenderTraced({"-f", "-o", folder / "calls", "-e",
                             "trace=fsync,fdatasync,link,linkat,rename,renameat2"},
                            {folder / "in.wav", folder / "out.wav", force});
        ASSERT_EQ(run.exitCode, 0) << run.err;
        const std::string calls = contents(folder / "calls");
        EXPECT_LT(calls.find("sync("), std::min(calls.find("link"), calls.find("rename"))) << calls;
    }
}

TEST(RenderErrors, AStandardOutputThatCannotBeWrittenIsAFailure) {
    TempFolder folder;
    writeSound(folder / "in.wav", testSound(2, 1000), SF_FORMAT_WAV | SF_FORMAT_PCM_16);
    ASSERT_FALSE(HasFatalFailure());
    const std::pair<const char*, const char*> outputs[] = {{"/dev/full", "No space left on device"},
                                                           {"-", "Bad file descriptor"},
                                                           {"|", "Broken pipe"}};
    for (const auto& [stdoutTo, why] : outputs) {
        SCOPED_TRACE(stdoutTo);
        ProgramRun run = runRender({"--info"}, RunSetup{{}, {}, stdoutTo, 0});
        EXPECT_EQ(run.exitCode, kOutput);
        EXPECT_EQ(run.err,
                  std::string("slopecrush-render: cannot write to standard output: ") + why + "\n");
        // The file is written, and the summary's failure said.
        run = runRender({folder / "in.wav", folder / "out.wav", "--force"},
                        RunSetup{{}, {}, stdoutTo, 0});
        EXPECT_EQ(run.exitCode, kOutput);
        EXPECT_EQ(run.err, "slopecrush-render: wrote " + folder / "out.wav" +
                               ", but cannot say so on standard output: " + why + "\n");
        EXPECT_EQ(readSound(folder / "out.wav").frames(), 1000);
    }
}

} // namespace
