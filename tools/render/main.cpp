// slopecrush-render: renders audio files, or a built-in demo, through a VST 2.4 plug-in (by
// default the SlopeCrush module beside this program), and describes the plug-in with --info.

#include "audiofile.h"
#include "demo.h"
#include "failure.h"
#include "info.h"
#include "interrupt.h"
#include "parameters.h"
#include "pluginhost.h"
#include "render.h"

#include <CLI/CLI.hpp>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <new>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace {

constexpr const char* kProgram = "slopecrush-render";
constexpr const char* kDemoOutput = "slopecrush-demo.wav";

const char* const kFooter = R"(Usage:
  slopecrush-render INPUT OUTPUT [options]   render INPUT through the plug-in into OUTPUT
  slopecrush-render --demo [OUTPUT]          render the built-in demo into OUTPUT
                                             (default slopecrush-demo.wav) beside a dry copy
                                             (slopecrush-demo-dry.wav)
  slopecrush-render --info [options]         describe the plug-in, with the options applied

The output type follows OUTPUT's extension: .wav, .aiff/.aif, .flac or .ogg. The sample rate is
kept; the sample format is the input's where the type can hold it (the demo's is pcm16), unless
--format says otherwise. Mono input feeds both plug-in inputs. Without --force an existing file
is never replaced, and a failed render leaves nothing behind.

Examples:
  slopecrush-render --demo
  slopecrush-render drums.wav drums-crushed.wav --gain-db 6 --rate-index 7
  slopecrush-render surround.wav front.flac --channels 1,2 --format pcm24

Exit codes:
  0       success
  1       unexpected failure inside the program
  2       bad command line: unknown option, malformed or out-of-range value, conflicting options
  3       input: missing, unreadable, not audio, or more than two channels without --channels
  4       output: exists (add --force), is the input, unknown type, cannot be created or written
  5       plug-in: cannot be loaded, is not a VST 2.4 plug-in, or cannot be driven by this host
  128+N   stopped by signal N (130 for Ctrl-C); no output is written)";

struct Options {
    std::vector<std::string> files;
    bool demo = false;
    bool info = false;
    std::string plugin;
    std::string gain, gainDb, pitch, rateIndex, rate;
    std::string block = "512";
    std::string channels;
    std::string format;
    bool force = false;
    bool quiet = false;
};

// A CLI11 check built from one of the strict parsers: the parser's refusal is the message.
template <typename T> CLI::Validator checkedBy(parameters::Parsed<T> (*parse)(const std::string&)) {
    return CLI::Validator([parse](std::string& text) { return parse(text).error; }, "", "");
}

template <typename T>
T valueOf(parameters::Parsed<T> (*parse)(const std::string&), const std::string& text) {
    return *parse(text).value; // checked while parsing the command line
}

std::string formatNames(std::string& text) {
    return sampleFormatNamed(text) ? std::string()
                                   : "'" + text + "' is not one of pcm16, pcm24, pcm32, float";
}

void describe(CLI::App& app, Options& o) {
    app.add_option("files", o.files, "INPUT and OUTPUT audio files (with --demo: OUTPUT only)")
        ->type_name("FILE");
    auto* demo = app.add_flag("--demo", o.demo,
                              "Render the built-in demo (4 s of chords, bass, drums and a sweep)");
    auto* info = app.add_flag("--info", o.info,
                              "Print the plug-in's name, vendor, version, unique ID, channels, "
                              "flags and parameters, then exit");
    info->excludes(demo);
    app.add_option("--plugin", o.plugin,
                   "VST 2.4 plug-in library to load (default: the SlopeCrush module beside this "
                   "program)")
        ->type_name("PATH");

    auto* gain = app.add_option("--gain", o.gain,
                                "InGain, normalised 0..1: 0.25 is unity gain, 1 is +12.04 dB "
                                "(plug-in default 0.25)")
                     ->type_name("0..1")
                     ->check(checkedBy(parameters::parseUnit));
    app.add_option("--gain-db", o.gainDb,
                   "InGain in dB, as its display shows it: -inf..12.0412 dB (0 is unity; -inf "
                   "or -oo is silence)")
        ->type_name("DB")
        ->check(checkedBy(parameters::parseGainDb))
        ->excludes(gain);
    auto* pitch = app.add_option("--pitch", o.pitch,
                                 "Pitch, normalised 0..1: selects rate index trunc(value x 15) "
                                 "(plug-in default 0.95, index 14)")
                      ->type_name("0..1")
                      ->check(checkedBy(parameters::parseUnit));
    auto* rateIndex = app.add_option("--rate-index", o.rateIndex,
                                     "Conversion rate by index 0..15: 0 is 4181.71 Hz, 7 is "
                                     "8363.42 Hz, 15 is 33143.9 Hz")
                          ->type_name("0..15")
                          ->check(checkedBy(parameters::parseRateIndex))
                          ->excludes(pitch);
    app.add_option("--rate", o.rate,
                   "Conversion rate in Hz, 4181..33144: the nearest of the sixteen rates is used")
        ->type_name("HZ")
        ->check(checkedBy(parameters::parseRateHz))
        ->excludes(pitch)
        ->excludes(rateIndex);

    app.add_option("--block", o.block,
                   "Frames per processing call, 1..65536 (default 512); the output does not "
                   "depend on it")
        ->type_name("FRAMES")
        ->check(checkedBy(parameters::parseBlockSize));
    app.add_option("--channels", o.channels,
                   "Input channels (counted from 1) for the plug-in's left and right inputs, "
                   "e.g. 3,4; one number feeds both. Needed for inputs of more than two channels")
        ->type_name("A[,B]");
    app.add_option("--format", o.format,
                   "Output sample format: pcm16, pcm24, pcm32 (integer) or float (32-bit); not "
                   "for .ogg; FLAC holds pcm16 and pcm24 only")
        ->type_name("FORMAT")
        ->check(CLI::Validator(formatNames, "", ""));
    app.add_flag("-f,--force", o.force, "Replace OUTPUT if it exists");
    app.add_flag("-q,--quiet", o.quiet, "No progress bar and no summary; errors only");
    app.set_version_flag("--version", std::string(kProgram) + " " SLOPECRUSH_VERSION);
    app.footer(kFooter);
}

// The module this program was built beside.
std::string defaultPluginPath() {
    std::error_code error;
    const auto self = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error)
        throw Failure(ExitCode::Plugin,
                      "cannot find the folder of this program; name the plug-in with --plugin");
    return (self.parent_path() / SLOPECRUSH_MODULE_FILE_NAME).string();
}

// The parameter settings the options ask for, as (index, normalised value).
std::vector<std::pair<int, float>> parameterSettings(const Options& o) {
    std::vector<std::pair<int, float>> settings;
    if (!o.gain.empty()) settings.emplace_back(0, valueOf(parameters::parseUnit, o.gain));
    if (!o.gainDb.empty()) settings.emplace_back(0, valueOf(parameters::parseGainDb, o.gainDb));
    if (!o.pitch.empty()) settings.emplace_back(1, valueOf(parameters::parseUnit, o.pitch));
    if (!o.rateIndex.empty())
        settings.emplace_back(1, valueOf(parameters::parseRateIndex, o.rateIndex));
    if (!o.rate.empty()) settings.emplace_back(1, valueOf(parameters::parseRateHz, o.rate));
    return settings;
}

void applyParameters(PluginHost& plugin, const std::vector<std::pair<int, float>>& settings) {
    for (const auto& [index, value] : settings) {
        if (index >= plugin.record().numParams)
            throw Failure(ExitCode::Usage, "the plug-in has no parameter " + std::to_string(index) +
                                               " for the option that sets it");
        plugin.setParameter(index, value);
    }
}

// "A" or "A,B", each 1..channels; gives 0-based indices.
std::pair<int, int> pickedChannels(const std::string& text, int channels) {
    const std::string range = "1.." + std::to_string(channels);
    const auto why = "--channels: '" + text + "' ";
    const auto comma = text.find(',');
    const std::string first = text.substr(0, comma);
    const std::string second = comma == std::string::npos ? first : text.substr(comma + 1);
    int picked[2] = {};
    const std::string* parts[2] = {&first, &second};
    for (int i = 0; i < 2; ++i) {
        const auto parsed = parameters::parseBlockSize(*parts[i]); // any whole number >= 1
        if (!parsed.value || *parsed.value > channels)
            throw Failure(ExitCode::Usage, why + "does not name input channels; the input has " +
                                               std::to_string(channels) + ", pick one or two of " +
                                               range);
        picked[i] = *parsed.value - 1;
    }
    return {picked[0], picked[1]};
}

std::string dbfs(float peak) {
    if (peak <= 0.0f) return "-inf dBFS";
    char text[32];
    std::snprintf(text, sizeof(text), "%.1f dBFS", 20.0 * std::log10(static_cast<double>(peak)));
    return text;
}

std::string summary(const RenderResult& r, int sampleRate) {
    const double duration = static_cast<double>(r.frames) / sampleRate;
    char text[160];
    std::snprintf(text, sizeof(text), "%lld frames, %.3f s at %d Hz, %.0fx realtime, peak %s",
                  static_cast<long long>(r.frames), duration, sampleRate,
                  duration / std::max(r.seconds, 1e-6), dbfs(r.peak).c_str());
    std::string line = text;
    if (r.clipped > 0) line += "; " + std::to_string(r.clipped) + " samples clipped at full scale";
    return line;
}

int outputChannels(const PluginHost& plugin) { return std::min(plugin.outputs(), 2); }

std::optional<SampleFormat> requestedFormat(const Options& o) {
    if (o.format.empty()) return std::nullopt;
    return sampleFormatNamed(o.format);
}

int runInfo(const Options& o, const std::string& pluginPath) {
    PluginHost plugin(pluginPath);
    applyParameters(plugin, parameterSettings(o));
    printInfo(plugin, std::cout);
    return 0;
}

int runRender(const Options& o, const std::string& pluginPath) {
    const std::string& inputPath = o.files[0];
    const std::string& outputPath = o.files[1];
    InputFile input(inputPath);
    if (!o.channels.empty()) {
        const auto [left, right] = pickedChannels(o.channels, input.channels());
        input.pick(left, right);
    } else if (input.channels() > 2) {
        throw Failure(ExitCode::Input, "the input '" + inputPath + "' has " +
                                           std::to_string(input.channels()) +
                                           " channels; pick two with --channels A,B (1.." +
                                           std::to_string(input.channels()) + ")");
    }
    if (isSameFile(inputPath, outputPath))
        throw Failure(ExitCode::Output,
                      "the output '" + outputPath + "' is the input file; choose another name");

    PluginHost plugin(pluginPath);
    const int format = outputFormatFor(outputPath, requestedFormat(o), input.subtype(),
                                       outputChannels(plugin), input.sampleRate());
    OutputFile output(outputPath, format, outputChannels(plugin), input.sampleRate(), o.force);

    const int block = valueOf(parameters::parseBlockSize, o.block);
    plugin.start(input.sampleRate(), block);
    applyParameters(plugin, parameterSettings(o));
    const RenderResult result = render(input, plugin, output, nullptr, block, !o.quiet);
    plugin.stop();
    output.commit();
    if (!o.quiet)
        std::cout << "wrote " << outputPath << ": " << summary(result, input.sampleRate()) << '\n';
    return 0;
}

int runDemo(const Options& o, const std::string& pluginPath) {
    const std::filesystem::path crushedPath = o.files.empty() ? kDemoOutput : o.files[0];
    const std::filesystem::path dryPath =
        crushedPath.parent_path() /
        (crushedPath.stem().string() + "-dry" + crushedPath.extension().string());

    DemoSource source;
    PluginHost plugin(pluginPath);
    const auto requested = requestedFormat(o);
    // The demo is made at 16 bits unless asked otherwise: every player takes that.
    const int crushedFormat = outputFormatFor(crushedPath.string(), requested, SF_FORMAT_PCM_16,
                                              outputChannels(plugin), source.sampleRate());
    const int dryFormat =
        outputFormatFor(dryPath.string(), requested, SF_FORMAT_PCM_16, 2, source.sampleRate());
    OutputFile crushed(crushedPath.string(), crushedFormat, outputChannels(plugin),
                       source.sampleRate(), o.force);
    OutputFile dry(dryPath.string(), dryFormat, 2, source.sampleRate(), o.force);

    const int block = valueOf(parameters::parseBlockSize, o.block);
    plugin.start(source.sampleRate(), block);
    applyParameters(plugin, parameterSettings(o));
    const RenderResult result = render(source, plugin, crushed, &dry, block, !o.quiet);
    plugin.stop();
    dry.commit();
    crushed.commit();
    if (!o.quiet)
        std::cout << "wrote " << crushedPath.string() << " (crushed) and " << dryPath.string()
                  << " (dry): " << summary(result, source.sampleRate()) << '\n';
    return 0;
}

int run(int argc, char** argv) {
    CLI::App app("Renders audio through the SlopeCrush plug-in (or any VST 2.4 plug-in), like a "
                 "host does, without a DAW.",
                 kProgram);
    Options o;
    describe(app, o);
    try {
        app.parse(argc, argv);
    } catch (const CLI::Success& e) {
        return app.exit(e); // --help, --version
    } catch (const CLI::ParseError& e) {
        throw Failure(ExitCode::Usage, std::string(e.what()) + " (see --help)");
    }

    if (o.info && !o.files.empty())
        throw Failure(ExitCode::Usage, "--info takes no files (see --help)");
    if (o.demo && o.files.size() > 1)
        throw Failure(ExitCode::Usage, "--demo takes at most one file, the output (see --help)");
    if (!o.info && !o.demo && o.files.size() != 2)
        throw Failure(ExitCode::Usage,
                      "expected INPUT and OUTPUT, or --demo, or --info (see --help)");
    if (!o.channels.empty() && (o.info || o.demo))
        throw Failure(ExitCode::Usage, "--channels applies to an input file only");

    const std::string pluginPath = o.plugin.empty() ? defaultPluginPath() : o.plugin;
    if (o.info) return runInfo(o, pluginPath);
    interrupt::catchSignals();
    return o.demo ? runDemo(o, pluginPath) : runRender(o, pluginPath);
}

} // namespace

int main(int argc, char** argv) {
    try {
        return run(argc, argv);
    } catch (const Failure& failure) {
        // One line, whatever a library's message holds.
        std::string message = failure.what();
        std::replace(message.begin(), message.end(), '\n', ' ');
        std::cerr << kProgram << ": " << message << '\n';
        return failure.code();
    } catch (const std::bad_alloc&) {
        std::cerr << kProgram << ": out of memory\n";
    } catch (const std::exception& error) {
        std::cerr << kProgram << ": " << error.what() << '\n';
    }
    return static_cast<int>(ExitCode::Internal);
}
