#include "benchsignals.h"

#include <cmath>
#include <cstdint>
#include <cstring>
#include <random>

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kSampleRate = 44100.0;
constexpr int kBurstPeriod = 512; // frames from one burst to the next
constexpr int kBurstLength = 64;  // frames of noise at the start of each period

} // namespace

std::string nameOf(BenchSignal signal) {
    switch (signal) {
    case BenchSignal::Noise:
        return "noise";
    case BenchSignal::Sine:
        return "sine";
    case BenchSignal::Silence:
        return "silence";
    case BenchSignal::BurstThenSilence:
        return "burst_then_silence";
    case BenchSignal::Subnormal:
        return "subnormal";
    }
    return "?";
}

StereoSignal makeSignal(BenchSignal signal, int frames) {
    StereoSignal s{std::vector<float>(frames), std::vector<float>(frames)};
    std::mt19937 random(0x5EED);
    std::uniform_real_distribution<float> fullScale(-1.0f, 1.0f);
    for (int i = 0; i < frames; ++i) {
        switch (signal) {
        case BenchSignal::Noise:
            s.left[i] = fullScale(random);
            s.right[i] = fullScale(random);
            break;
        case BenchSignal::Sine:
            s.left[i] = static_cast<float>(0.8 * std::sin(2.0 * kPi * 440.0 * i / kSampleRate));
            s.right[i] = static_cast<float>(0.8 * std::sin(2.0 * kPi * 660.0 * i / kSampleRate));
            break;
        case BenchSignal::Silence:
            break;
        case BenchSignal::BurstThenSilence:
            if (i % kBurstPeriod < kBurstLength) {
                s.left[i] = 0.5f * fullScale(random);
                s.right[i] = 0.5f * fullScale(random);
            }
            break;
        case BenchSignal::Subnormal: {
            // Mantissa bits only, and a random sign: every value is subnormal (or zero).
            const std::uint32_t bits = random() & 0x807FFFFFu;
            std::uint32_t other = random() & 0x807FFFFFu;
            std::memcpy(&s.left[i], &bits, sizeof(float));
            std::memcpy(&s.right[i], &other, sizeof(float));
            break;
        }
        }
    }
    return s;
}

std::vector<float> makeLevels(int frames) {
    std::vector<float> levels(frames);
    std::mt19937 random(0x1E7E1);
    std::uniform_int_distribution<int> step(-33, 32);
    for (float& level : levels)
        level = static_cast<float>(step(random)) * 0.03125f;
    return levels;
}
