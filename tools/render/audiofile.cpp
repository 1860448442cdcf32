#include "audiofile.h"

#include "failure.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>

namespace {

std::string inQuotes(const std::string& path) { return "'" + path + "'"; }

std::string systemError() { return std::strerror(errno); }

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

struct Subtype {
    SampleFormat format;
    int subtype;
    const char* name;
};

// In order of preference when the input's own format cannot be kept.
constexpr Subtype kSubtypes[] = {
    {SampleFormat::Float, SF_FORMAT_FLOAT, "float"},
    {SampleFormat::Pcm24, SF_FORMAT_PCM_24, "pcm24"},
    {SampleFormat::Pcm32, SF_FORMAT_PCM_32, "pcm32"},
    {SampleFormat::Pcm16, SF_FORMAT_PCM_16, "pcm16"},
};

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

bool isIntegerSubtype(int subtype) {
    return subtype != SF_FORMAT_FLOAT && subtype != SF_FORMAT_DOUBLE && subtype != SF_FORMAT_VORBIS;
}

} // namespace

// ---- input

InputFile::InputFile(const std::string& name) : path(name) {
    struct stat status {};
    if (stat(path.c_str(), &status) != 0) {
        if (errno == ENOENT)
            throw Failure(ExitCode::Input, "the input " + inQuotes(path) + " does not exist");
        throw Failure(ExitCode::Input,
                      "cannot read the input " + inQuotes(path) + ": " + systemError());
    }
    if (S_ISDIR(status.st_mode))
        throw Failure(ExitCode::Input,
                      "the input " + inQuotes(path) + " is a folder, not an audio file");
    descriptor = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (descriptor < 0)
        throw Failure(ExitCode::Input,
                      "cannot read the input " + inQuotes(path) + ": " + systemError());
    file = sf_open_fd(descriptor, SFM_READ, &info, SF_FALSE);
    if (file == nullptr) {
        const std::string why = sf_strerror(nullptr);
        close(descriptor);
        throw Failure(ExitCode::Input,
                      "cannot read the input " + inQuotes(path) + " as audio: " + why);
    }
    rightChannel = info.channels > 1 ? 1 : 0;
}

InputFile::~InputFile() {
    sf_close(file);
    close(descriptor);
}

void InputFile::pick(int left, int right) {
    leftChannel = left;
    rightChannel = right;
}

int InputFile::read(float* left, float* right, int count) {
    interleaved.resize(static_cast<size_t>(count) * static_cast<size_t>(info.channels));
    const sf_count_t got = sf_readf_float(file, interleaved.data(), count);
    if (sf_error(file) != SF_ERR_NO_ERROR)
        throw Failure(ExitCode::Input,
                      "reading the input " + inQuotes(path) + " failed: " + sf_strerror(file));
    const int frames = static_cast<int>(got);
    for (int i = 0; i < frames; ++i) {
        const float* frame = interleaved.data() + static_cast<size_t>(i) * info.channels;
        left[i] = frame[leftChannel];
        right[i] = frame[rightChannel];
    }
    return frames;
}

// ---- output format

std::optional<SampleFormat> sampleFormatNamed(const std::string& name) {
    for (const Subtype& s : kSubtypes)
        if (name == s.name) return s.format;
    return std::nullopt;
}

int outputFormatFor(const std::string& path, std::optional<SampleFormat> requested,
                    int inputSubtype, int channels, int sampleRate) {
    const std::string extension = lowercase(std::filesystem::path(path).extension().string());
    const Container* container = nullptr;
    for (const Container& c : kContainers)
        if (extension == c.extension) container = &c;
    if (container == nullptr)
        throw Failure(ExitCode::Output, "cannot write " + inQuotes(path) +
                                            ": unknown output type '" + extension +
                                            "'; name it .wav, .aiff, .aif, .flac or .ogg");

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

bool isSameFile(const std::string& a, const std::string& b) {
    struct stat first {};
    struct stat second {};
    return stat(a.c_str(), &first) == 0 && stat(b.c_str(), &second) == 0 &&
           first.st_dev == second.st_dev && first.st_ino == second.st_ino;
}

// ---- output

OutputFile::OutputFile(const std::string& name, int format, int channels, int sampleRate,
                       bool replaceExisting)
    : path(name), replace(replaceExisting), channelCount(channels) {
    struct stat status {};
    if (stat(path.c_str(), &status) == 0) {
        if (S_ISDIR(status.st_mode))
            throw Failure(ExitCode::Output, "the output " + inQuotes(path) + " is a folder");
        if (!replace)
            throw Failure(ExitCode::Output,
                          "the output " + inQuotes(path) + " exists; add --force to replace it");
    } else if (errno != ENOENT) {
        throw Failure(ExitCode::Output, "cannot write " + inQuotes(path) + ": " + systemError());
    }

    // The temporary file lives in the destination folder, so the final rename stays on one file
    // system and is atomic. It is hidden, and named after the output so a person knows whose.
    const std::filesystem::path target(path);
    const std::string folder = target.has_parent_path() ? target.parent_path().string() : ".";
    std::string pattern = folder + "/." + target.filename().string() + ".XXXXXX";
    descriptor = mkostemp(pattern.data(), O_CLOEXEC);
    if (descriptor < 0)
        throw Failure(ExitCode::Output,
                      "cannot create the output in " + inQuotes(folder) + ": " + systemError());
    temporaryPath = pattern;
    // mkostemp makes the file private; the finished file gets the permissions of any new file.
    const mode_t mask = umask(0);
    umask(mask);
    fchmod(descriptor, 0666 & ~mask);

    SF_INFO info{};
    info.format = format;
    info.channels = channels;
    info.samplerate = sampleRate;
    file = sf_open_fd(descriptor, SFM_WRITE, &info, SF_FALSE);
    if (file == nullptr) {
        const std::string why = sf_strerror(nullptr);
        discard();
        throw Failure(ExitCode::Output, "cannot write " + inQuotes(path) + ": " + why);
    }
    // Without clipping, libsndfile wraps samples beyond full scale around to the opposite sign.
    clipping = isIntegerSubtype(format & SF_FORMAT_SUBMASK);
    if (clipping) sf_command(file, SFC_SET_CLIPPING, nullptr, SF_TRUE);
}

OutputFile::~OutputFile() {
    if (!committed) discard();
}

void OutputFile::discard() {
    if (file != nullptr) sf_close(file);
    file = nullptr;
    if (descriptor >= 0) close(descriptor);
    descriptor = -1;
    if (!temporaryPath.empty()) unlink(temporaryPath.c_str());
}

void OutputFile::write(const float* const* planes, int frames) {
    interleaved.resize(static_cast<size_t>(frames) * static_cast<size_t>(channelCount));
    for (int i = 0; i < frames; ++i)
        for (int c = 0; c < channelCount; ++c)
            interleaved[static_cast<size_t>(i) * channelCount + c] = planes[c][i];
    if (sf_writef_float(file, interleaved.data(), frames) != frames)
        throw Failure(ExitCode::Output,
                      "writing " + inQuotes(path) + " failed: " + sf_strerror(file));
}

void OutputFile::commit() {
    const int closed = sf_close(file);
    file = nullptr;
    if (closed != 0)
        throw Failure(ExitCode::Output,
                      "writing " + inQuotes(path) + " failed: " + sf_error_number(closed));
    // On disk before it takes the real name: a crash then leaves the old file or the new one.
    if (fsync(descriptor) != 0 || close(descriptor) != 0) {
        descriptor = -1;
        throw Failure(ExitCode::Output, "writing " + inQuotes(path) + " failed: " + systemError());
    }
    descriptor = -1;

    if (!moveIntoPlace()) {
        const std::string why = errno == EEXIST
                                    ? "it appeared while rendering; add --force to replace it"
                                    : systemError();
        throw Failure(ExitCode::Output, "cannot write " + inQuotes(path) + ": " + why);
    }
    committed = true;
}

bool OutputFile::moveIntoPlace() const {
    if (replace) return rename(temporaryPath.c_str(), path.c_str()) == 0;
    if (renameat2(AT_FDCWD, temporaryPath.c_str(), AT_FDCWD, path.c_str(), RENAME_NOREPLACE) == 0)
        return true;
    // File systems without the no-replace rename: a hard link refuses an existing name too.
    if ((errno != EINVAL && errno != ENOSYS) || link(temporaryPath.c_str(), path.c_str()) != 0)
        return false;
    unlink(temporaryPath.c_str());
    return true;
}
