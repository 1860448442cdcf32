// The built-in demo: a few seconds of music synthesised on the spot (chords, bass, drums and a
// rising sweep), so the effect can be heard without any file at hand. The signal is the same on
// every run.
#pragma once

#include <vector>

namespace demo {

constexpr int kSampleRate = 44100;

struct Signal {
    std::vector<float> left;
    std::vector<float> right;
};

// Two bars at 120 beats per minute: four seconds of stereo at kSampleRate, peaking at 0.8.
Signal make();

} // namespace demo
