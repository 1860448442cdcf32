// The built-in demo: a few seconds of music synthesised on the spot (chords, bass, drums and a
// rising sweep), so the effect can be heard without any file at hand. The signal is the same on
// every run.
#pragma once

#include "source.h"

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

// The demo as a source to render.
class DemoSource : public Source {
public:
    DemoSource() : signal(demo::make()) {}

    int sampleRate() const override { return demo::kSampleRate; }
    std::int64_t frames() const override { return static_cast<std::int64_t>(signal.left.size()); }
    int read(float* left, float* right, int count) override;

private:
    demo::Signal signal;
    std::size_t position = 0;
};
