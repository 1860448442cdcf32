// Files rendered by the program against the plug-in driven directly: every input layout and
// sample format, and every block size, give what a host gets from the library itself.

#include "programrun.h"
#include "soundfile.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <regex>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace {

constexpr int kRate = 48000; // not the plug-in's 44100: the sample rate must be kept
const std::vector<std::string> kSettings = {"--gain", "0.6", "--pitch", "0.3"};
const std::vector<std::pair<int, float>> kParameters = {{0, 0.6f}, {1, 0.3f}};

// The samples of actual that differ from expected by more than tol, after expected is clipped
// to full scale when the format clips. Reports the first few.
int mismatches(const std::vector<float>& actual, const std::vector<float>& expected, float tol,
               bool clip) {
    EXPECT_EQ(actual.size(), expected.size());
    int count = 0;
    for (size_t i = 0; i < std::min(actual.size(), expected.size()); ++i) {
        const float want = clip ? std::clamp(expected[i], -1.0f, 1.0f) : expected[i];
        const bool same = tol == 0.0f ? actual[i] == want : std::fabs(actual[i] - want) <= tol;
        if (!same && ++count <= 3)
            ADD_FAILURE() << "sample " << i << ": " << actual[i] << " instead of " << want;
    }
    return count;
}

// The largest difference an integer format may add: a step of rounding on the way in and one
// on the way out (libsndfile writes full scale as 2^(bits-1) - 1 but reads it by 2^(bits-1)).
float tolerance(int format) {
    switch (format & SF_FORMAT_SUBMASK) {
    case SF_FORMAT_PCM_16:
        return 2.0f / 32768.0f;
    case SF_FORMAT_PCM_24:
        return 2.0f / 8388608.0f;
    case SF_FORMAT_PCM_32:
        return 1e-7f; // finer than a float's own precision near full scale
    default:
        return 0.0f; // float output: bit for bit
    }
}

struct FormatCase {
    const char* name;
    int channels;
    const char* inputName;
    int inputFormat;
    const char* outputName;
    std::vector<std::string> options;
    int outputFormat; // the one the program should choose
};

void PrintTo(const FormatCase& c, std::ostream* os) { *os << c.name; }

class RenderFormats : public ::testing::TestWithParam<FormatCase> {};

TEST_P(RenderFormats, OutputIsWhatTheLibraryGives) {
    const FormatCase& c = GetParam();
    TempFolder folder;
    writeSound(folder / c.inputName, testSound(c.channels, 20000, kRate), c.inputFormat);
    ASSERT_FALSE(HasFatalFailure());
    const Sound input = readSound(folder / c.inputName); // as the program reads it

    std::vector<std::string> args{folder / c.inputName, folder / c.outputName};
    args.insert(args.end(), kSettings.begin(), kSettings.end());
    args.insert(args.end(), c.options.begin(), c.options.end());
    const ProgramRun run = runRender(args);
    ASSERT_EQ(run.exitCode, 0) << run.err;

    const Sound output = readSound(folder / c.outputName);
    EXPECT_EQ(output.format, c.outputFormat) << std::hex << output.format;
    EXPECT_EQ(output.sampleRate, kRate);
    ASSERT_EQ(output.channels, 2) << "the plug-in's two outputs, also for mono input";
    ASSERT_EQ(output.frames(), input.frames());

    const std::vector<float> left = input.channel(0);
    const std::vector<float> right = c.channels == 1 ? left : input.channel(1);
    const std::vector<float> expected = pluginOutput(left, right, kRate, kParameters);
    const bool integer = tolerance(output.format) > 0.0f;
    for (int channel = 0; channel < 2; ++channel)
        EXPECT_EQ(mismatches(output.channel(channel), expected, tolerance(output.format), integer),
                  0)
            << "channel " << channel;
}

INSTANTIATE_TEST_SUITE_P(Tools, RenderFormats,
                         ::testing::Values(FormatCase{"monoPcm16Wav",
                                                      1,
                                                      "in.wav",
                                                      SF_FORMAT_WAV | SF_FORMAT_PCM_16,
                                                      "out.wav",
                                                      {},
                                                      SF_FORMAT_WAV | SF_FORMAT_PCM_16},
                                           FormatCase{"stereoPcm24Aiff",
                                                      2,
                                                      "in.aiff",
                                                      SF_FORMAT_AIFF | SF_FORMAT_PCM_24,
                                                      "out.aif",
                                                      {},
                                                      SF_FORMAT_AIFF | SF_FORMAT_PCM_24},
                                           FormatCase{"stereoPcm32Wav",
                                                      2,
                                                      "in.wav",
                                                      SF_FORMAT_WAV | SF_FORMAT_PCM_32,
                                                      "out.WAV",
                                                      {},
                                                      SF_FORMAT_WAV | SF_FORMAT_PCM_32},
                                           FormatCase{"stereoFloatWav",
                                                      2,
                                                      "in.wav",
                                                      SF_FORMAT_WAV | SF_FORMAT_FLOAT,
                                                      "out.wav",
                                                      {},
                                                      SF_FORMAT_WAV | SF_FORMAT_FLOAT},
                                           FormatCase{"monoFloatWav",
                                                      1,
                                                      "in.wav",
                                                      SF_FORMAT_WAV | SF_FORMAT_FLOAT,
                                                      "out.wav",
                                                      {},
                                                      SF_FORMAT_WAV | SF_FORMAT_FLOAT},
                                           FormatCase{"stereoPcm16Flac",
                                                      2,
                                                      "in.flac",
                                                      SF_FORMAT_FLAC | SF_FORMAT_PCM_16,
                                                      "out.flac",
                                                      {},
                                                      SF_FORMAT_FLAC | SF_FORMAT_PCM_16},
                                           FormatCase{"floatIntoFlacBecomes24Bit",
                                                      2,
                                                      "in.wav",
                                                      SF_FORMAT_WAV | SF_FORMAT_FLOAT,
                                                      "out.flac",
                                                      {},
                                                      SF_FORMAT_FLAC | SF_FORMAT_PCM_24},
                                           FormatCase{"doubleBecomesFloat",
                                                      2,
                                                      "in.wav",
                                                      SF_FORMAT_WAV | SF_FORMAT_DOUBLE,
                                                      "out.wav",
                                                      {},
                                                      SF_FORMAT_WAV | SF_FORMAT_FLOAT},
                                           FormatCase{"pcm16AskedForFloat",
                                                      1,
                                                      "in.wav",
                                                      SF_FORMAT_WAV | SF_FORMAT_PCM_16,
                                                      "out.wav",
                                                      {"--format", "float"},
                                                      SF_FORMAT_WAV | SF_FORMAT_FLOAT},
                                           FormatCase{"floatAskedForPcm16Aiff",
                                                      2,
                                                      "in.wav",
                                                      SF_FORMAT_WAV | SF_FORMAT_FLOAT,
                                                      "out.aiff",
                                                      {"--format", "pcm16"},
                                                      SF_FORMAT_AIFF | SF_FORMAT_PCM_16},
                                           FormatCase{"pcm24AskedForPcm32",
                                                      2,
                                                      "in.flac",
                                                      SF_FORMAT_FLAC | SF_FORMAT_PCM_24,
                                                      "out.wav",
                                                      {"--format", "pcm32"},
                                                      SF_FORMAT_WAV | SF_FORMAT_PCM_32}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(Render, OggVorbisBothWays) {
    TempFolder folder;
    writeSound(folder / "in.ogg", testSound(2, 20000, kRate), SF_FORMAT_OGG | SF_FORMAT_VORBIS);
    ASSERT_FALSE(HasFatalFailure());

    // Lossy in: the output falls back to 16 bits.
    ProgramRun run = runRender({folder / "in.ogg", folder / "out.wav"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(readSound(folder / "out.wav").format, SF_FORMAT_WAV | SF_FORMAT_PCM_16);

    // Lossy out: close to the library's result, not equal.
    run = runRender({folder / "out.wav", folder / "again.ogg"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    const Sound wav = readSound(folder / "out.wav");
    const Sound ogg = readSound(folder / "again.ogg");
    EXPECT_EQ(ogg.format, SF_FORMAT_OGG | SF_FORMAT_VORBIS);
    EXPECT_EQ(ogg.sampleRate, kRate);
    ASSERT_EQ(ogg.frames(), wav.frames());
    const std::vector<float> expected = pluginOutput(wav.channel(0), wav.channel(1), kRate);
    const std::vector<float> actual = ogg.channel(0);
    double error = 0.0;
    double energy = 0.0;
    for (size_t i = 0; i < expected.size(); ++i) {
        error += (actual[i] - expected[i]) * (actual[i] - expected[i]);
        energy += expected[i] * expected[i];
    }
    EXPECT_LT(error, 0.01 * energy) << "more than -20 dB of coding error";
}

// The files are read and written in chunks of many blocks; blocks that do not divide a chunk,
// and a length that is no multiple of either, cross their edges.
TEST(Render, EveryBlockSizeGivesTheSameBits) {
    TempFolder folder;
    const Sound sound = testSound(2, 140011, kRate);
    writeSound(folder / "in.wav", sound, SF_FORMAT_WAV | SF_FORMAT_FLOAT);
    ASSERT_FALSE(HasFatalFailure());
    const std::vector<float> expected =
        pluginOutput(sound.channel(0), sound.channel(1), kRate, kParameters);

    for (const char* block : {"1", "7", "512", "4096", "65536"}) {
        SCOPED_TRACE(block);
        std::vector<std::string> args{folder / "in.wav", folder / "out.wav", "--force", "--block",
                                      block};
        args.insert(args.end(), kSettings.begin(), kSettings.end());
        const ProgramRun run = runRender(args);
        ASSERT_EQ(run.exitCode, 0) << run.err;
        const Sound output = readSound(folder / "out.wav");
        EXPECT_EQ(mismatches(output.channel(0), expected, 0.0f, false), 0);
        EXPECT_EQ(mismatches(output.channel(1), expected, 0.0f, false), 0);
    }
}

TEST(Render, IntegerOutputClipsAtFullScaleInsteadOfWrappingAround) {
    TempFolder folder;
    // A slow full-scale sine at full gain holds the counter at its floor of -33 steps, -1.03125.
    Sound sine;
    sine.sampleRate = kRate;
    sine.channels = 1;
    for (int i = 0; i < 20000; ++i)
        sine.samples.push_back(static_cast<float>(std::sin(2.0 * 3.14159265 * 50.0 * i / kRate)));
    writeSound(folder / "in.wav", sine, SF_FORMAT_WAV | SF_FORMAT_FLOAT);
    ASSERT_FALSE(HasFatalFailure());
    const ProgramRun run =
        runRender({folder / "in.wav", folder / "out.wav", "--format", "pcm16", "--gain", "1"});
    ASSERT_EQ(run.exitCode, 0) << run.err;

    const Sound input = readSound(folder / "in.wav");
    const std::vector<float> expected =
        pluginOutput(input.samples, input.samples, kRate, {{0, 1.0f}});
    const std::vector<float> output = readSound(folder / "out.wav").channel(0);
    ASSERT_EQ(output.size(), expected.size());
    int beyond = 0;
    for (size_t i = 0; i < expected.size(); ++i) {
        if (expected[i] >= -1.0f) continue;
        ++beyond;
        EXPECT_EQ(output[i], -1.0f) << "sample " << i << " of " << expected[i];
    }
    EXPECT_GT(beyond, 0) << "the test sound should go past full scale";
    EXPECT_NE(run.out.find("; " + std::to_string(2 * beyond) + " samples clipped at full scale"),
              std::string::npos)
        << "counted over both channels: " << run.out;

    // Full scale itself is no clip (the stand-in plug-in passes the samples on, to both sides).
    Sound edges{kRate, 1, 0, {1.0f, -1.0f, 1.5f, -2.0f, 0.5f, 1.0f}};
    writeSound(folder / "edges.wav", edges, SF_FORMAT_WAV | SF_FORMAT_FLOAT);
    const ProgramRun edgesRun = runRender({folder / "edges.wav", folder / "edges-out.wav",
                                           "--format", "pcm16", "--plugin", MOCK_RECORDING_PATH});
    EXPECT_NE(edgesRun.out.find("; 4 samples clipped at full scale"), std::string::npos)
        << edgesRun.out << edgesRun.err;
}

TEST(Render, SaysWhatItDidInOneLineUnlessQuiet) {
    TempFolder folder;
    writeSound(folder / "in.wav", testSound(2, 24000, kRate), SF_FORMAT_WAV | SF_FORMAT_FLOAT);
    ASSERT_FALSE(HasFatalFailure());

    ProgramRun run = runRender({folder / "in.wav", folder / "out.wav"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(
        run.out.rfind("wrote " + folder / "out.wav" + ": 24000 frames, 0.500 s at 48000 Hz, ", 0),
        0u)
        << run.out;
    EXPECT_NE(run.out.find("x realtime, peak "), std::string::npos) << run.out;
    // The plug-in's defaults, and the rate in effect at the file's sample rate.
    EXPECT_NE(run.out.find(" dBFS; rate 27056.2 Hz at 48000 Hz (index 14: 24857.9 Hz at 44100 Hz), "
                           "gain +0.00 dB\n"),
              std::string::npos)
        << run.out;
    EXPECT_NE(run.out.find(" dBFS"), std::string::npos) << run.out;
    EXPECT_EQ(std::count(run.out.begin(), run.out.end(), '\n'), 1) << run.out;
    EXPECT_EQ(run.err, "") << "no progress bar when stderr is not a terminal";

    // One frame takes far less than the start-up: below realtime, and said so.
    writeSound(folder / "one.wav", testSound(2, 1, kRate), SF_FORMAT_WAV | SF_FORMAT_FLOAT);
    run = runRender({folder / "one.wav", folder / "one-out.wav"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_TRUE(std::regex_search(run.out, std::regex(": 1 frame, 0.000 s at 48000 Hz, "
                                                      "0\\.0*[1-9][0-9]x realtime, ")))
        << run.out;

    // Nothing rendered: no speed to tell.
    writeSound(folder / "none.wav", testSound(2, 0, kRate), SF_FORMAT_WAV | SF_FORMAT_FLOAT);
    run = runRender({folder / "none.wav", folder / "none-out.wav"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_NE(run.out.find(": 0 frames, 0.000 s at 48000 Hz, peak -inf dBFS; "), std::string::npos)
        << run.out;

    run = runRender({folder / "in.wav", folder / "quiet.wav", "--quiet"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(readSound(folder / "quiet.wav").frames(), 24000);

    // "--" ends the options wherever it stands: the names after it may start with a dash.
    for (const auto& args : {std::vector<std::string>{"in.wav", "--", "-a.wav"},
                             std::vector<std::string>{"-q", "--", "in.wav", "-b.wav"}}) {
        run = runRender(args, folder.path());
        EXPECT_EQ(run.exitCode, 0) << run.err;
        EXPECT_EQ(readSound(folder / args.back()).frames(), 24000);
    }
}

TEST(Render, ForceReplacesAnExistingFileKeepingItsModeAndFollowingLinks) {
    TempFolder folder;
    writeSound(folder / "in.wav", testSound(2, 1000, kRate), SF_FORMAT_WAV | SF_FORMAT_PCM_16);
    // The longest name a file may have: nothing longer may be needed on the way.
    const std::string longest = std::string(251, 'n') + ".wav";
    for (const std::string& name : {std::string("out.wav"), longest}) {
        writeSound(folder / name, testSound(1, 50, kRate), SF_FORMAT_WAV | SF_FORMAT_PCM_16);
        chmod((folder / name).c_str(), 0604);
    }
    std::filesystem::create_symlink("out.wav", folder / "link.wav");
    ASSERT_FALSE(HasFatalFailure());
    for (const std::string& name : {std::string("out.wav"), longest, std::string("link.wav")}) {
        const ProgramRun run = runRender({folder / "in.wav", folder / name, "--force"});
        ASSERT_EQ(run.exitCode, 0) << run.err;
        EXPECT_EQ(readSound(folder / name).frames(), 1000);
    }
    EXPECT_EQ(folder.names(), (std::vector<std::string>{"in.wav", "link.wav", longest, "out.wav"}));
    EXPECT_TRUE(std::filesystem::is_symlink(folder / "link.wav"));
    for (const std::string& name : {std::string("out.wav"), longest}) {
        struct stat status {};
        ASSERT_EQ(stat((folder / name).c_str(), &status), 0);
        EXPECT_EQ(status.st_mode & 0777, 0604u) << name;
    }
}

TEST(Render, AnInputCutShortIsRenderedAsFarAsItGoesWithAWarning) {
    TempFolder folder;
    writeSound(folder / "in.wav", testSound(2, 1000, kRate), SF_FORMAT_WAV | SF_FORMAT_PCM_16);
    ASSERT_FALSE(HasFatalFailure());
    std::filesystem::resize_file(folder / "in.wav", 44 + 600 * 4); // 600 of the 1000 frames
    const std::string out = folder / "out.wav";
    // A FIFO whose writer may stall before it closes early.
    ASSERT_EQ(mkfifo((folder / "fifo").c_str(), 0600), 0);
    const auto viaFifo = [&folder, &out](int stallMs) {
        return runRender({folder / "fifo", out, "--quiet", "--force"},
                         RunSetup{{}, {}, {}, 0, [&folder, stallMs](int) {
                                      std::ofstream fifo(folder / "fifo", std::ios::binary);
                                      const std::string bytes = contents(folder / "in.wav");
                                      fifo << bytes.substr(0, 1000) << std::flush;
                                      usleep(static_cast<useconds_t>(stallMs) * 1000);
                                      fifo << bytes.substr(1000);
                                  }});
    };
    const auto viaPipe = [&out](const std::string& from) { // cat FROM | slopecrush-render ...
        return runProgram("/bin/sh", {"-c", "cat \"$0\" | \"$1\" /dev/stdin \"$2\" -q -f", from,
                                      SLOPECRUSH_RENDER, out});
    };
    const std::pair<std::string, std::function<ProgramRun()>> ways[] = {
        {folder / "in.wav",
         [&] {
             return runRender({folder / "in.wav", out, "-q"});
         }},
        {"/dev/stdin", [&] { return viaPipe(folder / "in.wav"); }},
        {folder / "fifo", [&] { return viaFifo(0); }},
        {folder / "fifo", [&] { return viaFifo(200); }}};
    ProgramRun run;
    for (const auto& [shown, render] : ways) {
        SCOPED_TRACE(shown);
        run = render();
        ASSERT_EQ(run.exitCode, 0) << run.err;
        EXPECT_EQ(run.err, "slopecrush-render: warning: the input '" + shown +
                               "' is cut short: its header promises 1000 frames, it holds 600; "
                               "rendered those\n");
        EXPECT_EQ(readSound(out).frames(), 600);
    }
    // A stream's header written before its length was known (0xFFFFFFFF bytes) promises nothing.
    std::string unknown = contents(folder / "in.wav");
    std::ofstream(folder / "unknown.wav", std::ios::binary) << unknown.replace(40, 4, 4, '\xff');
    run = viaPipe(folder / "unknown.wav");
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.err, "");

    // FLAC's decoder loses its way in the frame that was cut: the ones before it count.
    writeSound(folder / "in.flac", testSound(2, 40000, kRate), SF_FORMAT_FLAC | SF_FORMAT_PCM_16);
    std::filesystem::resize_file(folder / "in.flac",
                                 std::filesystem::file_size(folder / "in.flac") / 2);
    run = runRender({folder / "in.flac", folder / "flac.wav", "--quiet"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    const long frames = readSound(folder / "flac.wav").frames();
    EXPECT_GT(frames, 4000);
    EXPECT_EQ(run.err, "slopecrush-render: warning: the input '" + folder / "in.flac" +
                           "' is cut short: its header promises 40000 frames, it holds " +
                           std::to_string(frames) + "; rendered those\n");
}

// Every write of the file slowed down while the render runs ahead: each chunk must reach the file
// as it was handed over, not refilled while it waits its turn.
TEST(Render, AWriterThatLagsBehindGetsEveryChunkIntact) {
    if (stracePath().empty()) GTEST_SKIP() << "needs strace to slow the writer";
    TempFolder folder;
    writeSound(folder / "in.wav", testSound(2, 6L * 65536, kRate), SF_FORMAT_WAV | SF_FORMAT_FLOAT);
    ASSERT_FALSE(HasFatalFailure());
    const ProgramRun run = runRenderTraced(
        {"-f", "--seccomp-bpf", "-o", "/dev/null", "-e", "trace=pwrite64", "-e",
         "inject=pwrite64:delay_enter=100000"},
        {folder / "in.wav", folder / "out.wav", "--plugin", MOCK_RECORDING_PATH, "--quiet"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    const Sound input = readSound(folder / "in.wav");
    const Sound output = readSound(folder / "out.wav"); // the stand-in plug-in passes it through
    for (int channel = 0; channel < 2; ++channel)
        EXPECT_EQ(mismatches(output.channel(channel), input.channel(channel), 0.0f, false), 0);
}

TEST(Render, TheSameRenderGivesTheSameBytes) {
    TempFolder folder;
    writeSound(folder / "in.wav", testSound(2, 20000, kRate), SF_FORMAT_WAV | SF_FORMAT_FLOAT);
    ASSERT_FALSE(HasFatalFailure());
    const char* const types[] = {".wav", ".aiff", ".flac"};
    ASSERT_EQ(mkfifo((folder / "fifo").c_str(), 0600), 0);
    for (const char* name : {"a", "b"}) {
        // In another second of the clock: a time stamp would show.
        const std::time_t started = std::time(nullptr);
        while (name[0] == 'b' && std::time(nullptr) == started)
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        for (const char* type : types) {
            // b comes through a FIFO: a stream, whose length is not known before its end.
            std::function<void(int)> feed;
            if (name[0] == 'b')
                feed = [&folder](int) {
                    std::ofstream(folder / "fifo", std::ios::binary)
                        << std::ifstream(folder / "in.wav", std::ios::binary).rdbuf();
                };
            const ProgramRun run = runRender(
                {folder / (feed ? "fifo" : "in.wav"), folder / (name + std::string(type))},
                RunSetup{{}, {}, {}, 0, feed});
            ASSERT_EQ(run.exitCode, 0) << run.err;
        }
    }
    for (const char* type : types) {
        std::ifstream a(folder / ("a" + std::string(type)), std::ios::binary);
        std::ifstream b(folder / ("b" + std::string(type)), std::ios::binary);
        EXPECT_TRUE(std::equal(std::istreambuf_iterator<char>(a), {},
                               std::istreambuf_iterator<char>(b), {}))
            << type;
    }
}

} // namespace
