// The stereo inputs the benchmarks feed the converter, all made from fixed seeds so every run
// measures the same work.
#pragma once

#include <string>
#include <vector>

enum class BenchSignal {
    Noise,            // full-scale white noise, different on each channel
    Sine,             // 440 Hz left, 660 Hz right
    Silence,          // zeros; the instance has heard noise first
    BurstThenSilence, // short noise bursts, each followed by silence the smoother decays into
    Subnormal,        // random subnormal floats of both signs
};

struct StereoSignal {
    std::vector<float> left;
    std::vector<float> right;
};

// The signal's name as it appears in benchmark names.
std::string nameOf(BenchSignal signal);

// `frames` frames of the signal.
StereoSignal makeSignal(BenchSignal signal, int frames);

// `frames` levels of the kind the converter feeds its smoother: multiples of 1/32 within -1..1.
std::vector<float> makeLevels(int frames);
