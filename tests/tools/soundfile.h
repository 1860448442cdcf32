// Sound files for the tests, made and read back through libsndfile (as the program under test
// reads and writes them), and what the plug-in makes of a sound when a test drives it directly.
#pragma once

#include <sndfile.h>

#include <string>
#include <utility>
#include <vector>

struct Sound {
    int sampleRate = 44100;
    int channels = 2;
    int format = 0;             // the libsndfile format the file had, when read
    std::vector<float> samples; // interleaved

    long frames() const { return static_cast<long>(samples.size()) / channels; }
    std::vector<float> channel(int c) const;
};

// A sound that exercises the converter: per channel a different sine plus noise, a silent
// stretch for the gate and a loud one beyond full scale for the clamp. Always the same.
Sound testSound(int channels, long frames, int sampleRate = 44100);

// Write and read; failures end the test with a fatal assertion.
void writeSound(const std::string& path, const Sound& sound, int format);
Sound readSound(const std::string& path);

// The plug-in's left output for the two inputs, driven directly through its entry as a host
// does: open, sample rate, block size, mains on, then the parameter settings (index, value).
std::vector<float> pluginOutput(const std::vector<float>& left, const std::vector<float>& right,
                                int sampleRate,
                                const std::vector<std::pair<int, float>>& parameters = {});
