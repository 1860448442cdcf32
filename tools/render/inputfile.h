// An input audio file, read through libsndfile as a stereo pair.
#pragma once

#include "source.h"

#include <sndfile.h>

#include <cstdint>
#include <string>
#include <vector>

class InputFile : public Source {
public:
    // Throws Failure (ExitCode::Input) when the file is missing, unreadable or not audio, and
    // Failure(128 + signal) when a caught signal interrupts the wait for a FIFO's writer.
    explicit InputFile(const std::string& name);
    ~InputFile() override;
    InputFile(const InputFile&) = delete;
    InputFile& operator=(const InputFile&) = delete;

    const std::string& name() const { return path; }
    int channels() const { return info.channels; }
    int subtype() const { return info.format & SF_FORMAT_SUBMASK; }
    // The channels (0-based) that become left and right; by default mono feeds both and stereo
    // stays as it is.
    void pick(int left, int right);
    // The frames the file's header announces; more than frames() when the file was cut short.
    std::int64_t promisedFrames() const { return promised; }

    int sampleRate() const override { return info.samplerate; }
    // A stream's header may not know its length (libsndfile then reports a huge count), nor tell
    // the truth about it: only a file's length is known in advance.
    std::int64_t frames() const override {
        return info.seekable != 0 && info.frames < SF_COUNT_MAX ? info.frames : -1;
    }
    int read(float* left, float* right, int count) override; // throws Failure on a read error

private:
    std::string path;
    int descriptor = -1;
    SNDFILE* file = nullptr;
    SF_INFO info{};
    std::int64_t promised = -1;
    int leftChannel = 0;
    int rightChannel = 0;
    std::vector<float> interleaved;
};
