#include "commandline.h"

#include "failure.h"
#include "identity.h"
#include "numbertext.h"
#include "parameters.h"
#include "settings.h"
#include "standardstreams.h"

#include <CLI/CLI.hpp>

#include <cmath>
#include <cstdio>
#include <memory>
#include <string>
#include <utility>

namespace {

// The three ways to call the program, as help2man reads them into the man page's synopsis.
const char* const kUsage = R"(
Usage: slopecrush-render INPUT OUTPUT [OPTIONS]
   or: slopecrush-render --demo [OUTPUT] [OPTIONS]
   or: slopecrush-render --info [OPTIONS]
)";

const char* const kForms = R"(
INPUT is rendered through the plug-in into OUTPUT; --demo renders the built-in demo into OUTPUT
(default slopecrush-demo.wav) beside a dry copy (slopecrush-demo-dry.wav); --info describes
the plug-in, with the options applied. --plugin names the plug-in; by default it is
)";

const char* const kOutputs = R"(
The output type follows OUTPUT's extension: .wav, .aiff/.aif, .flac or .ogg; a WAV file becomes
RF64 when it outgrows 4 GiB. The sample rate is kept; the sample format is the input's where the
type can hold it (the demo's is pcm16), unless --format says otherwise. Mono input feeds both
plug-in inputs; the output is stereo, both channels the same with SlopeCrush. Without --force an
existing file is never replaced, and a failed render leaves nothing behind.
)";

const char* const kConflicts = R"(
Options that set the same thing exclude each other: --gain and --gain-db; --pitch, --rate-index
and --rate; and --demo and --info.
)";

const char* const kExitStatus = R"(Exit status:
  0       success
  1       unexpected failure inside the program
  2       bad command line: unknown option, malformed or out-of-range value, conflicting options
  3       input: missing, unreadable, not audio, or more than two channels without --channels
  4       output: exists (add --force), is the input or not a regular file, unknown type, too
          large for its type, cannot be created or written; or standard output cannot be written
  5       plug-in: cannot be loaded, is not a VST 2.4 plug-in, or cannot be driven by this host
  128+N   stopped by signal N (130 for Ctrl-C); no output is written
)";

const char* const kExamples = R"(
Examples:
  $ slopecrush-render --demo
  $ slopecrush-render drums.wav drums-crushed.wav --gain-db 6 --rate-index 7
  $ slopecrush-render surround.wav front.flac --channels 1,2 --format pcm24)";

// Where the plug-in comes from when --plugin names none: the module built beside this program,
// else the one installed with it.
std::string defaultPlugin() {
    return std::string(SLOPECRUSH_MODULE_FILE_NAME) + " beside this program, else " +
           SLOPECRUSH_INSTALLED_MODULE + " from this program's folder";
}

// The help lists each option with the kind of value it takes, and no more: the usage and the text
// after it (the introduction) name the files and tell the conflicts once. help2man makes the man
// page from this text, the introduction becoming its synopsis and description.
class HelpFormatter : public CLI::Formatter {
public:
    explicit HelpFormatter(std::string introduction) : introduction(std::move(introduction)) {}

    std::string make_usage(const CLI::App*, std::string) const override { return introduction; }
    std::string make_positionals(const CLI::App*) const override { return {}; }
    std::string make_option_opts(const CLI::Option* option) const override {
        return option->get_type_size() != 0 ? " " + option->get_type_name() : std::string();
    }

private:
    std::string introduction;
};

// An option whose text one of the strict parsers turns into its value, once; the parser's
// refusal is the message.
template <typename T>
CLI::Option* addParsed(CLI::App& app, const std::string& name, std::optional<T>& into,
                       parameters::Parsed<T> (*parse)(const std::string&),
                       const std::string& description) {
    return app.add_option_function<std::string>(
        name,
        [&into, parse, name](const std::string& text) {
            auto parsed = parse(text);
            if (!parsed.value) throw CLI::ValidationError(name, parsed.error);
            into = parsed.value;
        },
        description);
}

// A text option that may not be empty: an empty one is most likely an unset shell variable.
CLI::Option* addText(CLI::App& app, const std::string& name, std::optional<std::string>& into,
                     const std::string& whatItNames, const std::string& description) {
    return app.add_option_function<std::string>(
        name,
        [&into, name, whatItNames](const std::string& text) {
            if (text.empty())
                throw CLI::ValidationError(name, "an empty text names no " + whatItNames);
            into = text;
        },
        description);
}

void describe(CLI::App& app, Options& o, std::optional<int>& block) {
    app.add_option("files", o.files, "INPUT and OUTPUT audio files (with --demo: OUTPUT only)")
        ->type_name("FILE");
    auto* demo = app.add_flag("--demo", o.demo,
                              "Render the built-in demo (4 s of chords, bass, drums and a sweep)");
    auto* info = app.add_flag("--info", o.info,
                              "Print the plug-in's name, vendor, version, unique ID, channels, "
                              "flags and parameters, then exit");
    info->excludes(demo);
    addText(app, "--plugin", o.plugin, "plug-in",
            "VST 2.4 plug-in library to load (default: " + defaultPlugin() + ")")
        ->type_name("PATH");

    const deltamod::Parameter& inGain = deltamod::kParameters[deltamod::kInGain];
    const deltamod::Parameter& pitch = deltamod::kParameters[deltamod::kPitch];
    char top[16];
    std::snprintf(top, sizeof(top), "+%.2f", 20.0 * std::log10(deltamod::kGainScale));
    auto* gain =
        addParsed(app, "--gain", o.gain, parameters::parseUnit,
                  std::string(inGain.name) +
                      ", normalised 0..1: " + parameters::number(deltamod::gainForDecibels(0.0)) +
                      " is unity gain, 1 is " + top + " " + inGain.unit + " (plug-in default " +
                      parameters::number(inGain.normalisedDefault) + ")")
            ->type_name("0..1");
    addParsed(app, "--gain-db", o.gain, parameters::parseGainDb,
              std::string(inGain.name) + " in " + inGain.unit +
                  ", as its display shows it: " + parameters::gainDbRange() +
                  " (0 is unity; -inf or " + numbertext::kNoLevel + " is silence)")
        ->type_name("DB")
        ->excludes(gain);
    const std::string rates = rateScaling();
    auto* pitchOption =
        addParsed(app, "--pitch", o.pitch, parameters::parseUnit,
                  std::string(pitch.name) + ", normalised 0..1: selects rate index trunc(value x " +
                      parameters::number(deltamod::kMaxRateIndex) + ") (plug-in default " +
                      parameters::number(pitch.normalisedDefault) + ", index " +
                      parameters::number(pitch.defaultValue) + ")")
            ->type_name("0..1");
    auto* rateIndex =
        addParsed(app, "--rate-index", o.pitch, parameters::parseRateIndex,
                  "Conversion rate by index " + parameters::rateIndexRange() + ": 0 is " +
                      rateText(0) + " " + pitch.unit + ", 7 is " + rateText(7) + " " + pitch.unit +
                      ", 15 is " + rateText(deltamod::kMaxRateIndex) + " " + pitch.unit +
                      "; the rates are " + rates)
            ->type_name(parameters::rateIndexRange())
            ->excludes(pitchOption);
    addParsed(app, "--rate", o.pitch, parameters::parseRateHz,
              std::string("Conversion rate in ") + pitch.unit + ", " + parameters::rateHzRange() +
                  ": the nearest of the sixteen rates is used")
        ->type_name("HZ")
        ->excludes(pitchOption)
        ->excludes(rateIndex);

    addParsed(app, "--block", block, parameters::parseBlockSize,
              "Frames per processing call, 1..65536 (default 512); the output does not depend on "
              "it")
        ->type_name("FRAMES");
    addText(app, "--channels", o.channels, "input channels",
            "Input channels (counted from 1) for the plug-in's left and right inputs, e.g. 3,4; "
            "one number feeds both. Needed for inputs of more than two channels")
        ->type_name("A[,B]");
    addParsed(app, "--format", o.format, parseSampleFormat,
              "Output sample format: pcm16, pcm24, pcm32 (integer) or float (32-bit); not for "
              ".ogg; FLAC holds pcm16 and pcm24 only")
        ->type_name("FORMAT");
    app.add_flag("-f,--force", o.force, "Replace OUTPUT if it exists");
    app.add_flag("-q,--quiet", o.quiet, "No progress bar and no summary; errors and warnings only");
    app.set_version_flag("--version",
                         std::string(standardstreams::kProgram) + " " + deltamod::kVersion);
    const std::string reference = std::to_string(static_cast<int>(deltamod::kReferenceRate));
    std::string introduction = kUsage;
    introduction += kForms + defaultPlugin() + ".\n";
    introduction += kOutputs;
    introduction += "\nSlopeCrush counts its sixteen rates (" + rateText(0) + " to " +
                    rateText(deltamod::kMaxRateIndex) + " Hz) against " + reference +
                    " Hz whatever the\nsample rate: they are exact at " + reference +
                    " Hz, and at a sample rate fs each runs at rate x fs/" + reference +
                    ".\nThe summary names the rate in effect.\n";
    introduction += kConflicts;
    app.formatter(std::make_shared<HelpFormatter>(introduction));
    app.footer(std::string(kExitStatus) + kExamples);
}

} // namespace

std::optional<int> parseCommandLine(int argc, char** argv, Options& options) {
    CLI::App app("Renders audio through the SlopeCrush plug-in (or any VST 2.4 plug-in), like a "
                 "host does, without a DAW.",
                 standardstreams::kProgram);
    std::optional<int> block;
    describe(app, options, block);
    try {
        app.parse(argc, argv);
    } catch (const CLI::Success& e) {
        return app.exit(e); // --help, --version
    } catch (const CLI::ParseError& e) {
        throw Failure(ExitCode::Usage, std::string(e.what()) + " (see --help)");
    }
    options.block = block.value_or(options.block);

    const Options& o = options;
    if (o.info && !o.files.empty())
        throw Failure(ExitCode::Usage, "--info takes no files (see --help)");
    if (o.demo && o.files.size() > 1)
        throw Failure(ExitCode::Usage, "--demo takes at most one file, the output (see --help)");
    if (!o.info && !o.demo && o.files.size() != 2)
        throw Failure(ExitCode::Usage,
                      "expected INPUT and OUTPUT, or --demo, or --info (see --help)");
    if (o.channels && (o.info || o.demo))
        throw Failure(ExitCode::Usage, "--channels applies to an input file only");
    return std::nullopt;
}
