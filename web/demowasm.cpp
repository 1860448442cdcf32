// The renderer's built-in demo (chords, bass, drums and a sweep) as a standalone WebAssembly
// module for the page, so the page plays the same music as `slopecrush-render --demo`.
//
// Threads: the page's main thread; slopecrush_demo_make allocates the signal once.

#include "demo.h"

#include <emscripten/emscripten.h>

namespace {

demo::Signal signal;

} // namespace

extern "C" {

// Makes the demo (once) and answers its length in frames.
EMSCRIPTEN_KEEPALIVE int slopecrush_demo_make() {
    if (signal.left.empty()) signal = demo::make();
    return static_cast<int>(signal.left.size());
}

EMSCRIPTEN_KEEPALIVE int slopecrush_demo_sample_rate() { return demo::kSampleRate; }

// The left (0) or right (1) channel, slopecrush_demo_make frames long.
EMSCRIPTEN_KEEPALIVE const float* slopecrush_demo_channel(int which) {
    return which == 0 ? signal.left.data() : signal.right.data();
}

} // extern "C"
