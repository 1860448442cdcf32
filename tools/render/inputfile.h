// An input audio file, read through libsndfile as a stereo pair.
#pragma once

#include "source.h"
#include "streamrelay.h"

#include <sndfile.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class InputFile : public Source {
public:
    // Throws Failure (ExitCode::Input) when the file is missing, unreadable or not audio, and
    // Failure(128 + signal) once a signal was caught, before or while it waits for a FIFO's
    // writer or a stream's header.
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
    // The frames the header announces, -1 when it announces none (Ogg; a stream's header that
    // holds a placeholder); more than read() gave in all when the input was cut short, a file or
    // a stream.
    std::int64_t promisedFrames() const { return promised; }

    int sampleRate() const override { return info.samplerate; }
    // A stream's header may not know its length (libsndfile then reports a huge count), nor tell
    // the truth about it: only a file's length is known in advance.
    std::int64_t frames() const override {
        return info.seekable != 0 && info.frames < SF_COUNT_MAX ? info.frames : -1;
    }
    // libsndfile never reads past the frames a header announces, so a stream's header bounds it.
    std::int64_t framesAtMost() const override {
        return info.frames < SF_COUNT_MAX ? info.frames : -1;
    }
    // Throws Failure on a read error, and Failure(128 + signal) once a signal was caught. A
    // decoder error at the very end of a file is its end: a FLAC file cut short.
    int read(float* left, float* right, int count) override;

private:
    bool readToTheEnd() const; // the file's whole length was read

    std::string path;
    int descriptor = -1;
    std::unique_ptr<StreamRelay> relay; // between a stream and libsndfile
    SNDFILE* file = nullptr;
    bool cutShort = false; // a decoder stopped at the end of the file
    SF_INFO info{};
    std::int64_t promised = -1;
    int leftChannel = 0;
    int rightChannel = 0;
    std::vector<float> interleaved;
};
