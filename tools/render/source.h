// Where the audio to render comes from: a file or the built-in demo, read as a stereo pair.
#pragma once

#include <cstdint>

class Source {
public:
    virtual ~Source() = default;

    virtual int sampleRate() const = 0;
    // The total number of frames, or -1 when the source does not know in advance.
    virtual std::int64_t frames() const = 0;
    // The most frames the source can give, or -1 when there is no telling: frames() when known.
    virtual std::int64_t framesAtMost() const { return frames(); }
    // Reads up to count frames into left and right; returns how many, 0 at the end.
    virtual int read(float* left, float* right, int count) = 0;
};
