// SlopeCrush for Web Audio: one core effect behind a few C functions, built as a standalone
// WebAssembly module with no JavaScript glue. Each instance of the module is one effect: the
// processor copies a block into the input buffers, calls slopecrush_process and copies the output
// buffers out. The parameters' names, ranges, defaults and texts come from here too, so no
// JavaScript file states them.
//
// Threads: the module has one thread, its instance's (the audio rendering thread for a
// processor, the page's main thread for texts). Nothing here allocates or blocks.

#include "converterarithmetic.h"
#include "effect.h"

#include <emscripten/emscripten.h>

#include <cstddef>

#if defined(SLOPECRUSH_CONVERTER_SSE2) || defined(__wasm_simd128__)
#error "the WebAssembly converter is the plain C++ form, without SIMD"
#endif

namespace {

// Frames per call at most: a render quantum is 128 frames; tests use larger blocks.
constexpr int kCapacity = 8192;
// The buffers by number: the two inputs, then the two outputs.
enum Buffer { kInLeft, kInRight, kOutLeft, kOutRight, kNumBuffers };
float buffers[kNumBuffers][kCapacity];

deltamod::Effect effect;

char text[64]; // the last value text, or a text to read a value from

const deltamod::Parameter* parameter(int index) {
    return deltamod::isParameter(index) ? &deltamod::kParameters[index] : nullptr;
}

} // namespace

extern "C" {

// The start of buffer `which` (0, 1: inputs; 2, 3: outputs) in the module's memory, or null.
EMSCRIPTEN_KEEPALIVE float* slopecrush_buffer(int which) {
    return which >= 0 && which < kNumBuffers ? buffers[which] : nullptr;
}

// How many frames slopecrush_process takes at most.
EMSCRIPTEN_KEEPALIVE int slopecrush_capacity() { return kCapacity; }

// Converts frames frames from the input buffers into the output buffers; nothing for 0 or less,
// and no more than the capacity.
EMSCRIPTEN_KEEPALIVE void slopecrush_process(int frames) {
    if (frames <= 0) return;
    effect.process(buffers[kInLeft], buffers[kInRight], buffers[kOutLeft], buffers[kOutRight],
                   static_cast<std::size_t>(frames < kCapacity ? frames : kCapacity));
}

// Back to the state of a new effect; the parameters stay.
EMSCRIPTEN_KEEPALIVE void slopecrush_reset() { effect.reset(); }

// The parameters of the core's table by index (0 InGain, 1 Pitch), in plain units: the name hosts
// list, the symbol (the AudioParam's name), the range, the default and whether only whole values
// count. An unknown index gets empty texts and zeros.
EMSCRIPTEN_KEEPALIVE int slopecrush_parameter_count() { return deltamod::kNumParameters; }
EMSCRIPTEN_KEEPALIVE const char* slopecrush_parameter_name(int index) {
    return parameter(index) ? parameter(index)->name : "";
}
EMSCRIPTEN_KEEPALIVE const char* slopecrush_parameter_symbol(int index) {
    return parameter(index) ? parameter(index)->symbol : "";
}
EMSCRIPTEN_KEEPALIVE double slopecrush_parameter_min(int index) {
    return parameter(index) ? parameter(index)->minimum : 0.0;
}
EMSCRIPTEN_KEEPALIVE double slopecrush_parameter_max(int index) {
    return parameter(index) ? parameter(index)->maximum : 0.0;
}
EMSCRIPTEN_KEEPALIVE double slopecrush_parameter_default(int index) {
    return parameter(index) ? parameter(index)->defaultValue : 0.0;
}
EMSCRIPTEN_KEEPALIVE int slopecrush_parameter_stepped(int index) {
    return parameter(index) && parameter(index)->stepped ? 1 : 0;
}

// Sets a parameter from its plain value; out of range and NaN are the nearest end (NaN the
// lowest), as in the other editions.
EMSCRIPTEN_KEEPALIVE void slopecrush_set_parameter(int index, double value) {
    effect.setPlain(index, value);
}

// Sets a parameter from the VST edition's normalised value (0..1), the form the golden vectors
// are written in.
EMSCRIPTEN_KEEPALIVE void slopecrush_set_normalised(int index, float value) {
    effect.setNormalised(index, value);
}

// The text the plug-in shows for a plain value, with its unit ("0.000000 dB", "-oo dB",
// "8363.419 Hz"): a zero-terminated string that stays until the next call; empty for an unknown
// parameter.
EMSCRIPTEN_KEEPALIVE const char* slopecrush_value_text(int index, double value) {
    if (!deltamod::plainValueText(index, value, text, sizeof text)) text[0] = 0;
    return text;
}

// Where a text to read goes (zero-terminated, at most slopecrush_text_capacity bytes with the
// zero), and the plain value it names as the other editions read it ("-6", "-6.5 dB", "-inf",
// "8363.419 Hz"), clamped into the range; NaN for a text that names none.
EMSCRIPTEN_KEEPALIVE char* slopecrush_text_input() { return text; }
EMSCRIPTEN_KEEPALIVE int slopecrush_text_capacity() { return sizeof text; }
EMSCRIPTEN_KEEPALIVE double slopecrush_value_from_text(int index) {
    text[sizeof text - 1] = 0;
    double value = 0.0;
    return deltamod::plainValueFromText(index, text, &value) ? value : __builtin_nan("");
}

} // extern "C"
