// A deliberately plain converter, written step by step from the algorithm with nothing made faster,
// kept beside the tests so the effect's own converter can be compared with it bit for bit.
#pragma once

#include <array>
#include <cstdint>

class ReferenceConverter {
public:
    // The parameters as the effect's setParameter takes them: 0 is "InGain", 1 is "Pitch".
    void setParameter(int index, float value);
    // One block, exactly as processReplacing: reads both inputs of a frame before writing it.
    void process(const float* in0, const float* in1, float* out0, float* out1, int frames);

    // The rate in Hz the converter is counting at now.
    float rate() const;

private:
    float referenceRate = 44100.0f;
    std::int16_t counter = 0;
    float stepPhase = 0.0f;
    float level = 0.0f;
    std::array<float, 16> history{};
    int historyIndex = 0;
    float gain = 0.25f;
    int rateIndex = 14;
    float smoothedOutput = 0.0f;
    float smoothing = 0.65f;
};
