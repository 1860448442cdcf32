#include "demo.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace demo {
namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kBeat = 0.5; // seconds, at 120 beats per minute
constexpr int kBeats = 8;     // two bars of four
constexpr double kLength = kBeat * kBeats;
constexpr float kPeak = 0.8f;

double noteHz(int midiNote) { return 440.0 * std::pow(2.0, (midiNote - 69) / 12.0); }

// A fixed-seed generator, so the noise of the drums is the same on every run and every machine.
class Noise {
public:
    double next() {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        return static_cast<double>(state) / 2147483648.0 - 1.0;
    }

private:
    std::uint32_t state = 0x2545F491u;
};

class Mixer {
public:
    explicit Mixer(Signal& out) : out(out) {}

    // Adds value at a frame, panned from -1 (left) to 1 (right).
    void add(std::size_t frame, double value, double pan) {
        if (frame >= out.left.size()) return;
        out.left[frame] += static_cast<float>(value * (1.0 - pan) * 0.5);
        out.right[frame] += static_cast<float>(value * (1.0 + pan) * 0.5);
    }

private:
    Signal& out;
};

std::size_t frameAt(double seconds) { return static_cast<std::size_t>(seconds * kSampleRate); }

// A soft sawtooth: its first few harmonics only, so it does not alias.
double saw(double phase, int harmonics) {
    double sum = 0.0;
    for (int k = 1; k <= harmonics; ++k)
        sum += std::sin(2.0 * kPi * k * phase) / k;
    return sum * 0.6;
}

// Am, F, C, G: one chord per two beats, each voice a soft sawtooth spread across the stereo field.
void addChords(Mixer& mix) {
    const int chords[4][3] = {{57, 60, 64}, {53, 57, 60}, {60, 64, 67}, {55, 59, 62}};
    for (int c = 0; c < 4; ++c) {
        const double start = c * 2 * kBeat;
        const double length = 2 * kBeat;
        for (int v = 0; v < 3; ++v) {
            const double hz = noteHz(chords[c][v]);
            const double pan = (v - 1) * 0.6;
            for (std::size_t f = frameAt(start); f < frameAt(start + length); ++f) {
                const double t = static_cast<double>(f) / kSampleRate - start;
                const double envelope = std::min(t / 0.01, 1.0) * (0.6 + 0.4 * std::exp(-t * 3.0)) *
                                        std::min((length - t) / 0.05, 1.0);
                mix.add(f, 0.1 * envelope * saw(hz * t, 6), pan);
            }
        }
    }
}

// Eighth notes on the chord's root, jumping an octave on the offbeats.
void addBass(Mixer& mix) {
    const int roots[4] = {33, 29, 36, 31};
    for (int eighth = 0; eighth < kBeats * 2; ++eighth) {
        const double start = eighth * kBeat / 2;
        const double hz = noteHz(roots[eighth / 4] + (eighth % 2 == 1 ? 12 : 0));
        for (std::size_t f = frameAt(start); f < frameAt(start + kBeat / 2); ++f) {
            const double t = static_cast<double>(f) / kSampleRate - start;
            const double envelope = std::min(t / 0.005, 1.0) * std::exp(-t * 6.0);
            const double phase = hz * t;
            // Odd harmonics: a rounded square.
            const double wave = std::sin(2 * kPi * phase) + std::sin(6 * kPi * phase) / 3 +
                                std::sin(10 * kPi * phase) / 5;
            mix.add(f, 0.3 * envelope * wave, 0.0);
        }
    }
}

// Kick on beats 1 and 3, snare on 2 and 4, closed hi-hats on every eighth.
void addDrums(Mixer& mix, Noise& noise) {
    for (int beat = 0; beat < kBeats; ++beat) {
        const double start = beat * kBeat;
        if (beat % 2 == 0) {
            double phase = 0.0;
            for (std::size_t f = frameAt(start); f < frameAt(start + 0.3); ++f) {
                const double t = static_cast<double>(f) / kSampleRate - start;
                phase += (50.0 + 110.0 * std::exp(-t * 30.0)) / kSampleRate; // pitch drops
                mix.add(f, 0.55 * std::exp(-t * 12.0) * std::sin(2 * kPi * phase), 0.0);
            }
        } else {
            for (std::size_t f = frameAt(start); f < frameAt(start + 0.2); ++f) {
                const double t = static_cast<double>(f) / kSampleRate - start;
                const double body = std::sin(2 * kPi * 185.0 * t) * std::exp(-t * 25.0);
                mix.add(f, 0.3 * (noise.next() * std::exp(-t * 18.0) + 0.5 * body), 0.1);
            }
        }
    }
    for (int eighth = 0; eighth < kBeats * 2; ++eighth) {
        const double start = eighth * kBeat / 2;
        double previous = 0.0;
        for (std::size_t f = frameAt(start); f < frameAt(start + 0.06); ++f) {
            const double t = static_cast<double>(f) / kSampleRate - start;
            const double white = noise.next();
            // The difference of neighbouring samples keeps only the hiss's top end.
            mix.add(f, 0.06 * std::exp(-t * 70.0) * (white - previous), 0.5);
            previous = white;
        }
    }
}

// A sine rising exponentially from 150 Hz to 6 kHz over the second bar, moving left to right.
void addSweep(Mixer& mix) {
    const double start = kLength / 2;
    const double length = kLength / 2;
    double phase = 0.0;
    for (std::size_t f = frameAt(start); f < frameAt(start + length); ++f) {
        const double t = (static_cast<double>(f) / kSampleRate - start) / length;
        phase += 150.0 * std::pow(40.0, t) / kSampleRate;
        const double envelope = std::min(t / 0.1, 1.0) * std::min((1.0 - t) / 0.05, 1.0);
        mix.add(f, 0.12 * envelope * std::sin(2 * kPi * phase), -0.8 + 1.6 * t);
    }
}

} // namespace

Signal make() {
    Signal signal;
    const std::size_t frames = frameAt(kLength);
    signal.left.assign(frames, 0.0f);
    signal.right.assign(frames, 0.0f);
    Mixer mix(signal);
    Noise noise;
    addChords(mix);
    addBass(mix);
    addDrums(mix, noise);
    addSweep(mix);

    float peak = 0.0f;
    for (std::size_t f = 0; f < frames; ++f)
        peak = std::max({peak, std::fabs(signal.left[f]), std::fabs(signal.right[f])});
    const float scale = peak > 0.0f ? kPeak / peak : 1.0f;
    for (std::size_t f = 0; f < frames; ++f) {
        signal.left[f] *= scale;
        signal.right[f] *= scale;
    }
    return signal;
}

} // namespace demo
