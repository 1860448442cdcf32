// slopecrush-render: renders audio files, or a built-in demo, through a VST 2.4 plug-in (by
// default the SlopeCrush module beside this program or installed with it), and describes the
// plug-in with --info.

#include "commandline.h"
#include "demosource.h"
#include "failure.h"
#include "info.h"
#include "inputfile.h"
#include "interrupt.h"
#include "outputfile.h"
#include "parameters.h"
#include "pluginhost.h"
#include "render.h"
#include "settings.h"
#include "standardstreams.h"
#include "summary.h"

#include <algorithm>
#include <csignal>
#include <cstdint>
#include <filesystem>
#include <iostream>
#include <new>
#include <optional>
#include <sstream>
#include <string>
#include <utility>

namespace {

constexpr const char* kDemoOutput = "slopecrush-demo.wav";

// The module built beside this program (the build folder's layout), else the one installed with
// it: SLOPECRUSH_INSTALLED_MODULE is relative to the folder the program is installed in.
std::string defaultPluginPath() {
    std::error_code error;
    const auto self = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error)
        throw Failure(ExitCode::Plugin,
                      "cannot find the folder of this program; name the plug-in with --plugin");
    const auto beside = self.parent_path() / SLOPECRUSH_MODULE_FILE_NAME;
    if (std::filesystem::exists(beside, error)) return beside.string();
    // /proc/self/exe has no symbolic links left in it, so ".." can go lexically.
    const auto installed = (self.parent_path() / SLOPECRUSH_INSTALLED_MODULE).lexically_normal();
    if (std::filesystem::exists(installed, error)) return installed.string();
    throw Failure(ExitCode::Plugin, "found no plug-in beside this program (" + beside.string() +
                                        ") nor installed with it (" + installed.string() +
                                        "); name one with --plugin");
}

std::string pluginPath(const Options& o) { return o.plugin ? *o.plugin : defaultPluginPath(); }

void applyParameters(PluginHost& plugin, const Options& o) {
    const std::pair<int, std::optional<float>> settings[] = {{0, o.gain}, {1, o.pitch}};
    for (const auto& [index, value] : settings) {
        if (!value) continue;
        if (index >= plugin.record().numParams)
            throw Failure(ExitCode::Usage, "the plug-in has no parameter " + std::to_string(index) +
                                               " for the option that sets it");
        plugin.setParameter(index, *value);
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
        if (!parsed.value || *parsed.value > channels) {
            std::string message = why;
            message += "does not name input channels; the input has " + std::to_string(channels);
            message += ", pick one or two of " + range;
            throw Failure(ExitCode::Usage, message);
        }
        picked[i] = *parsed.value - 1;
    }
    return {picked[0], picked[1]};
}

// The summary, with what an integer output had to clip and the plug-in's settings.
std::string describe(const RenderResult& r, int sampleRate, const std::string& settings) {
    std::string line = summary(r.frames, sampleRate, r.seconds, r.peak);
    if (!settings.empty()) line += "; " + settings;
    if (r.clipped > 0) line += "; " + std::to_string(r.clipped) + " samples clipped at full scale";
    return line;
}

int outputChannels(const PluginHost& plugin) { return std::min(plugin.outputs(), 2); }

// What one render writes: the crushed output, and for the demo the dry source beside it.
struct Outputs {
    std::string crushed;
    std::optional<std::string> dry;
    int sourceSubtype; // the sample format to keep where the output type can hold it
};

struct Rendered {
    RenderResult result;
    std::string settings;
};

// The path every render takes, from loading the plug-in to naming the finished files.
Rendered renderInto(const Options& o, Source& source, const Outputs& names) {
    PluginHost plugin(pluginPath(o));
    const int rate = source.sampleRate();
    const int channels = outputChannels(plugin);
    const int crushedFormat =
        outputFormatFor(names.crushed, o.format, names.sourceSubtype, channels, rate);
    const int dryFormat =
        names.dry ? outputFormatFor(*names.dry, o.format, names.sourceSubtype, 2, rate) : 0;
    const std::int64_t frames = source.frames();
    const std::int64_t atMost = source.framesAtMost();
    OutputFile crushed(names.crushed, crushedFormat, channels, rate, frames, atMost, o.force);
    std::optional<OutputFile> dry;
    if (names.dry) dry.emplace(*names.dry, dryFormat, 2, rate, frames, atMost, o.force);

    plugin.start(rate, o.block);
    applyParameters(plugin, o);
    Rendered rendered;
    rendered.result = render(source, plugin, crushed, dry ? &*dry : nullptr, o.block, !o.quiet);
    rendered.settings = describeSettings(plugin, rate);
    plugin.stop();
    // Both on disk before either is named: a full disk then leaves neither.
    crushed.finish();
    if (dry) dry->finish();
    // The last moment a signal can still stop the render (one during the fsync included).
    interrupt::stopIfCaught();
    crushed.commit();
    if (dry) {
        try {
            dry->commit();
        } catch (...) {
            crushed.withdraw(); // both files or neither
            throw;
        }
    }
    return rendered;
}

int runInfo(const Options& o) {
    PluginHost plugin(pluginPath(o));
    applyParameters(plugin, o);
    std::ostringstream text;
    printInfo(plugin, text);
    standardstreams::print(text.str(), "cannot write to standard output");
    return 0;
}

int runRender(const Options& o) {
    const std::string& inputPath = o.files[0];
    const std::string& outputPath = o.files[1];
    InputFile input(inputPath);
    if (o.channels) {
        const auto [left, right] = pickedChannels(*o.channels, input.channels());
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

    const Rendered rendered = renderInto(o, input, {outputPath, std::nullopt, input.subtype()});
    if (input.promisedFrames() > rendered.result.frames)
        standardstreams::warn("the input '" + inputPath + "' is cut short: its header promises " +
                              frameCount(input.promisedFrames()) + ", it holds " +
                              std::to_string(rendered.result.frames) + "; rendered those");
    if (!o.quiet)
        standardstreams::print(
            "wrote " + outputPath + ": " +
                describe(rendered.result, input.sampleRate(), rendered.settings) + '\n',
            "wrote " + outputPath + ", but cannot say so on standard output");
    return 0;
}

int runDemo(const Options& o) {
    const std::filesystem::path crushedPath = o.files.empty() ? kDemoOutput : o.files[0];
    const std::filesystem::path dryPath =
        crushedPath.parent_path() /
        (crushedPath.stem().string() + "-dry" + crushedPath.extension().string());

    DemoSource source;
    // The demo is made at 16 bits unless asked otherwise: every player takes that.
    const Rendered rendered =
        renderInto(o, source, {crushedPath.string(), dryPath.string(), SF_FORMAT_PCM_16});
    if (!o.quiet)
        standardstreams::print(
            "wrote " + crushedPath.string() + " (crushed) and " + dryPath.string() + " (dry): " +
                describe(rendered.result, source.sampleRate(), rendered.settings) + '\n',
            "wrote " + crushedPath.string() + " and " + dryPath.string() +
                ", but cannot say so on standard output");
    return 0;
}

int run(int argc, char** argv) {
    Options o;
    if (const auto answered = parseCommandLine(argc, argv, o)) return *answered;
    if (o.info) return runInfo(o);
    interrupt::catchSignals();
    return o.demo ? runDemo(o) : runRender(o);
}

} // namespace

int main(int argc, char** argv) {
    standardstreams::reserve();
    // A standard output whose reader is gone is a failed write, reported like any other.
    std::signal(SIGPIPE, SIG_IGN);
    try {
        const int code = run(argc, argv);
        // Whatever went to standard output (--help too) must have arrived.
        standardstreams::print("", "cannot write to standard output");
        return code;
    } catch (const Failure& failure) {
        // One line, whatever a library's message holds.
        std::string message = failure.what();
        std::replace(message.begin(), message.end(), '\n', ' ');
        std::cerr << standardstreams::kProgram << ": " << message << '\n';
        return failure.code();
    } catch (const std::bad_alloc&) {
        std::cerr << standardstreams::kProgram << ": out of memory\n";
    } catch (const std::exception& error) {
        std::cerr << standardstreams::kProgram << ": " << error.what() << '\n';
    }
    return static_cast<int>(ExitCode::Internal);
}
