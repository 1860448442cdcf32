#include "smootherfloor.h"

// Not inlined into the benchmark loop: the converter is reached through a call too, and its memory
// lives in the object between blocks just as `memory` does here.
__attribute__((noinline)) void smootherFloor(const float* levels, float* out, int frames,
                                             float smoothing, float& memory) {
    const double coefficient = smoothing;
    float y = memory;
    for (int i = 0; i < frames; ++i) {
        const double previous = y;
        y = static_cast<float>((static_cast<double>(levels[i]) - previous) * coefficient +
                               previous);
        out[i] = y;
    }
    memory = y;
}
