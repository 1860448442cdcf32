// Audio files through libsndfile: the input read as a stereo pair, and an output that appears
// under its name only once it is complete.
#pragma once

#include "source.h"

#include <sndfile.h>

#include <optional>
#include <string>
#include <vector>

// An input file. Mono feeds both sides; any other layout is read through a chosen channel pair.
class InputFile : public Source {
public:
    // Throws Failure (ExitCode::Input) when the file is missing, unreadable or not audio.
    explicit InputFile(const std::string& name);
    ~InputFile() override;
    InputFile(const InputFile&) = delete;
    InputFile& operator=(const InputFile&) = delete;

    int channels() const { return info.channels; }
    int subtype() const { return info.format & SF_FORMAT_SUBMASK; }
    // The channels (0-based) that become left and right; by default mono feeds both and stereo
    // stays as it is.
    void pick(int left, int right);

    int sampleRate() const override { return info.samplerate; }
    // A stream's header may not know its length; libsndfile then reports the largest count.
    std::int64_t frames() const override { return info.frames < SF_COUNT_MAX ? info.frames : -1; }
    int read(float* left, float* right, int count) override; // throws Failure on a read error

private:
    std::string path;
    int descriptor = -1;
    SNDFILE* file = nullptr;
    SF_INFO info{};
    int leftChannel = 0;
    int rightChannel = 0;
    std::vector<float> interleaved;
};

// Sample formats a person can ask for with --format.
enum class SampleFormat { Pcm16, Pcm24, Pcm32, Float };
// "pcm16", "pcm24", "pcm32", "float"; nullopt for anything else.
std::optional<SampleFormat> sampleFormatNamed(const std::string& name);

// The libsndfile format for an output file: the container from path's extension (wav, aiff or
// aif, flac, ogg), and the sample format requested, or else the input's where the container can
// hold it (inputSubtype is a libsndfile subtype). Throws Failure: ExitCode::Output for an unknown
// extension, ExitCode::Usage for a requested format the container cannot hold.
int outputFormatFor(const std::string& path, std::optional<SampleFormat> requested,
                    int inputSubtype, int channels, int sampleRate);

// True when both names lead to the same existing file (same device and inode), whatever links
// or spellings lead there.
bool isSameFile(const std::string& a, const std::string& b);

// An output file written under a temporary name in its destination folder and renamed to its
// real name by commit(). Until then the real name is untouched; on destruction without commit()
// the temporary file is removed, so a failure never leaves a partial file behind.
class OutputFile {
public:
    // Throws Failure (ExitCode::Output) when the file exists and replace is false, names a folder,
    // or the temporary file cannot be created.
    OutputFile(const std::string& name, int format, int channels, int sampleRate, bool replace);
    ~OutputFile();
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    const std::string& name() const { return path; }
    int channels() const { return channelCount; }
    // Integer formats clip at full scale instead of wrapping around.
    bool clips() const { return clipping; }

    // Appends frames from one buffer per channel. Throws Failure (ExitCode::Output).
    void write(const float* const* planes, int frames);
    // Completes the file, flushes it to disk and gives it its real name. Without replace, a file
    // that appeared under that name meanwhile is not replaced either. Throws Failure.
    void commit();

private:
    void discard();
    bool moveIntoPlace() const; // false with errno set

    std::string path;
    std::string temporaryPath;
    bool replace;
    int channelCount;
    bool clipping = false;
    int descriptor = -1;
    SNDFILE* file = nullptr;
    bool committed = false;
    std::vector<float> interleaved;
};
