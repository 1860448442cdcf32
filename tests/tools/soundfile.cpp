#include "soundfile.h"

#include "recordinghost.h"
#include "slopecrushmodule.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>

std::vector<float> Sound::channel(int c) const {
    std::vector<float> one(static_cast<size_t>(frames()));
    for (size_t i = 0; i < one.size(); ++i)
        one[i] = samples[i * channels + c];
    return one;
}

Sound testSound(int channels, long frames, int sampleRate) {
    Sound sound;
    sound.sampleRate = sampleRate;
    sound.channels = channels;
    sound.samples.resize(static_cast<size_t>(frames * channels));
    std::uint32_t noise = 12345u;
    for (long i = 0; i < frames; ++i) {
        const double t = static_cast<double>(i) / sampleRate;
        // A quiet middle fifth lets the gate shut; the last fifth drives past full scale.
        const double part = static_cast<double>(i) / frames;
        const double level = part > 0.4 && part < 0.6 ? 0.01 : part >= 0.8 ? 1.3 : 0.7;
        for (int c = 0; c < channels; ++c) {
            noise = noise * 1664525u + 1013904223u;
            const double white = static_cast<double>(noise >> 8) / (1 << 24) - 0.5;
            const double tone = std::sin(2.0 * 3.14159265358979 * (220.0 + 110.0 * c) * t);
            sound.samples[static_cast<size_t>(i * channels + c)] =
                static_cast<float>(level * (0.8 * tone + 0.2 * white));
        }
    }
    return sound;
}

void writeSound(const std::string& path, const Sound& sound, int format) {
    SF_INFO info{};
    info.samplerate = sound.sampleRate;
    info.channels = sound.channels;
    info.format = format;
    SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
    ASSERT_NE(file, nullptr) << path << ": " << sf_strerror(nullptr);
    // Test sounds go past full scale on purpose; integer files take them clipped.
    sf_command(file, SFC_SET_CLIPPING, nullptr, SF_TRUE);
    EXPECT_EQ(sf_writef_float(file, sound.samples.data(), sound.frames()), sound.frames());
    EXPECT_EQ(sf_close(file), 0);
}

Sound readSound(const std::string& path) {
    SF_INFO info{};
    SNDFILE* file = sf_open(path.c_str(), SFM_READ, &info);
    Sound sound;
    EXPECT_NE(file, nullptr) << path << ": " << sf_strerror(nullptr);
    if (file == nullptr) return sound;
    sound.sampleRate = info.samplerate;
    sound.channels = info.channels;
    sound.format = info.format;
    sound.samples.resize(static_cast<size_t>(info.frames * info.channels));
    EXPECT_EQ(sf_readf_float(file, sound.samples.data(), info.frames), info.frames);
    sf_close(file);
    return sound;
}

std::vector<float> pluginOutput(const std::vector<float>& left, const std::vector<float>& right,
                                int sampleRate,
                                const std::vector<std::pair<int, float>>& parameters) {
    RecordingHost host;
    Instance effect(slopeCrushModule());
    effect.start(static_cast<float>(sampleRate), 512);
    for (const auto& [index, value] : parameters)
        effect.setParameter(index, value);
    return effect.process(left, right, 512);
}
