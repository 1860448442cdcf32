// Small, repeatable test signals and helpers shared by the test programs.
#pragma once

#include <cstddef>
#include <random>
#include <string>
#include <vector>

// Full-scale white noise in -1..1, the same for the same seed on every platform.
inline std::vector<float> noise(std::size_t frames, unsigned seed) {
    std::mt19937 random(seed);
    std::vector<float> samples(frames);
    for (float& v : samples)
        v = static_cast<float>(random() >> 8) / 8388608.0f - 1.0f; // 24 random bits
    return samples;
}

// Lines joined by ';', for comparing a log of calls with one expected text.
inline std::string joined(const std::vector<std::string>& lines) {
    std::string all;
    for (const std::string& line : lines)
        all += (all.empty() ? "" : ";") + line;
    return all;
}
