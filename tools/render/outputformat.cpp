#include "outputformat.h"

#include "failure.h"

#include <sndfile.h>

#include <algorithm>
#include <cctype>
#include <filesystem>

namespace {

std::string inQuotes(const std::string& path) { return "'" + path + "'"; }

std::string lowercase(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

struct Container {
    const char* extension;
    int format;
    const char* name;
};

constexpr Container kContainers[] = {
    {".wav", SF_FORMAT_WAV, "WAV"},        {".aiff", SF_FORMAT_AIFF, "AIFF"},
    {".aif", SF_FORMAT_AIFF, "AIFF"},      {".flac", SF_FORMAT_FLAC, "FLAC"},
    {".ogg", SF_FORMAT_OGG, "Ogg Vorbis"},
};
constexpr const char* kExtensions = ".wav, .aiff, .aif, .flac or .ogg";

struct Subtype {
    SampleFormat format;
    int subtype;
    const char* name;
    int bytes;
};

// In order of preference when the input's own format cannot be kept.
constexpr Subtype kSubtypes[] = {
    {SampleFormat::Float, SF_FORMAT_FLOAT, "float", 4},
    {SampleFormat::Pcm24, SF_FORMAT_PCM_24, "pcm24", 3},
    {SampleFormat::Pcm32, SF_FORMAT_PCM_32, "pcm32", 4},
    {SampleFormat::Pcm16, SF_FORMAT_PCM_16, "pcm16", 2},
};

// A RIFF or AIFF header counts the whole file in 32 bits; what is not audio stays well within
// this much.
constexpr std::int64_t kMaxHeaderBytes = 4096;
constexpr std::int64_t kMax32BitFile = 0xFFFFFFFFLL;

bool holds(int format, int channels, int sampleRate) {
    SF_INFO info{};
    info.format = format;
    info.channels = channels;
    info.samplerate = sampleRate;
    return sf_format_check(&info) != 0;
}

// The subtype to keep from an input: its own where this program writes it, floats for doubles
// (the plug-in computes in floats), and 16 bits for everything else (8-bit, lossy, ADPCM...).
int preferredSubtype(int inputSubtype) {
    switch (inputSubtype) {
    case SF_FORMAT_PCM_16:
    case SF_FORMAT_PCM_24:
    case SF_FORMAT_PCM_32:
    case SF_FORMAT_FLOAT:
        return inputSubtype;
    case SF_FORMAT_DOUBLE:
        return SF_FORMAT_FLOAT;
    default:
        return SF_FORMAT_PCM_16;
    }
}

const Container* containerOf(int format) {
    for (const Container& c : kContainers)
        if (c.format == (format & SF_FORMAT_TYPEMASK)) return &c;
    return nullptr;
}

const Subtype* subtypeOf(int format) {
    for (const Subtype& s : kSubtypes)
        if (s.subtype == (format & SF_FORMAT_SUBMASK)) return &s;
    return nullptr;
}

} // namespace

parameters::Parsed<SampleFormat> parseSampleFormat(const std::string& text) {
    for (const Subtype& s : kSubtypes)
        if (text == s.name) return {s.format, {}};
    return {std::nullopt, "'" + text + "' is not one of pcm16, pcm24, pcm32, float"};
}

int outputFormatFor(const std::string& path, std::optional<SampleFormat> requested,
                    int inputSubtype, int channels, int sampleRate) {
    const std::filesystem::path name = std::filesystem::path(path).filename();
    // A name that is only an extension (".wav") is a hidden file without a name to
    // std::filesystem; most likely a name was left out.
    const std::string hiddenExtension = lowercase(name.string());
    const std::string extension = lowercase(name.extension().string());
    const Container* container = nullptr;
    for (const Container& c : kContainers) {
        if (hiddenExtension == c.extension)
            throw Failure(ExitCode::Output, "cannot write " + inQuotes(path) +
                                                ": the name is only a type; give it a name, "
                                                "like out" +
                                                c.extension);
        if (extension == c.extension) container = &c;
    }
    if (container == nullptr) {
        const std::string why = extension.empty() ? "the name has no type"
                                                  : "unknown output type " + inQuotes(extension);
        throw Failure(ExitCode::Output,
                      "cannot write " + inQuotes(path) + ": " + why + "; name it " + kExtensions);
    }

    if (container->format == SF_FORMAT_OGG) {
        if (requested)
            throw Failure(
                ExitCode::Usage,
                "--format does not apply to .ogg: Ogg files hold Vorbis, not raw samples");
        return SF_FORMAT_OGG | SF_FORMAT_VORBIS;
    }
    if (requested) {
        std::string allowed;
        const char* name = "";
        for (const Subtype& s : kSubtypes) {
            const bool fits = holds(container->format | s.subtype, channels, sampleRate);
            if (s.format == *requested && fits) return container->format | s.subtype;
            if (s.format == *requested) name = s.name;
            if (fits) allowed += std::string(allowed.empty() ? "" : ", ") + s.name;
        }
        throw Failure(ExitCode::Usage, std::string("--format: a ") + container->name +
                                           " file cannot hold " + name + " samples; it holds " +
                                           allowed);
    }
    const int keep = preferredSubtype(inputSubtype);
    if (holds(container->format | keep, channels, sampleRate)) return container->format | keep;
    for (const Subtype& s : kSubtypes)
        if (s.subtype != SF_FORMAT_FLOAT &&
            holds(container->format | s.subtype, channels, sampleRate))
            return container->format | s.subtype;
    throw Failure(ExitCode::Output, std::string("cannot write ") + inQuotes(path) + ": a " +
                                        container->name + " file cannot hold " +
                                        std::to_string(channels) + " channels at " +
                                        std::to_string(sampleRate) + " Hz");
}

std::string formatName(int format) {
    const Container* container = containerOf(format);
    const Subtype* subtype = subtypeOf(format);
    const bool rf64 = (format & SF_FORMAT_TYPEMASK) == SF_FORMAT_RF64;
    std::string name = container != nullptr ? container->name : rf64 ? "RF64" : "unknown";
    if (subtype != nullptr) name += std::string(" ") + subtype->name;
    return name;
}

std::int64_t maxFrames(int format, int channels) {
    const Subtype* subtype = subtypeOf(format);
    if ((format & SF_FORMAT_TYPEMASK) != SF_FORMAT_AIFF || subtype == nullptr) return -1;
    return (kMax32BitFile - kMaxHeaderBytes) / (std::int64_t{subtype->bytes} * channels);
}

int fileFormatFor(int format, int channels, std::int64_t frames) {
    const Subtype* subtype = subtypeOf(format);
    if ((format & SF_FORMAT_TYPEMASK) != SF_FORMAT_WAV || subtype == nullptr) return format;
    const bool fits = frames >= 0 && frames <= (kMax32BitFile - kMaxHeaderBytes) /
                                                   (std::int64_t{subtype->bytes} * channels);
    return fits ? format : SF_FORMAT_RF64 | (format & SF_FORMAT_SUBMASK);
}
