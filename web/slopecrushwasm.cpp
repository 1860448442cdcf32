// SlopeCrush for Web Audio: one DeltaModConverter behind a few C functions, built as a standalone
// WebAssembly module with no JavaScript glue. Each instance of the module is one effect: the
// processor copies a block into the input buffers, calls slopecrush_process and copies the output
// buffers out. The parameters' names, ranges, defaults and texts come from here too, so no
// JavaScript file states them.
//
// Threads: the module has one thread, its instance's (the audio rendering thread for a
// processor, the page's main thread for texts). Nothing here allocates or blocks.

#include "converterarithmetic.h"
#include "deltamodconverter.h"
#include "deltamodfacts.h"
#include "valuetext.h"

#include <emscripten/emscripten.h>

#include <cstdint>
#include <cstring>

#if defined(SLOPECRUSH_CONVERTER_SSE2) || defined(__wasm_simd128__)
#error "the WebAssembly converter is the plain C++ form, without SIMD"
#endif

namespace {

// Frames per call at most: a render quantum is 128 frames; tests use larger blocks.
constexpr int kCapacity = 8192;
// The buffers by number: the two inputs, then the two outputs.
enum Buffer { kInLeft, kInRight, kOutLeft, kOutRight, kNumBuffers };
float buffers[kNumBuffers][kCapacity];

DeltaModConverter converter;

// The parameters in plain units, as the CLAP and LV2 editions show them, by id: 0 is the gain in
// dB (its lowest value is silence), 1 the rate index (truncated).
struct Parameter {
    const char* symbol; // the AudioParam's name
    double min;
    double max;
    double defaultValue;
    const char* unit;
};
constexpr Parameter kParameters[] = {
    {"gain", deltamod::kMinGainDb, deltamod::kMaxGainDb, 0.0, "dB"},
    {"pitch", 0.0, deltamod::kMaxRateIndex, deltamod::kDefaultRateIndex, "Hz"},
};
constexpr int kNumParameters = sizeof(kParameters) / sizeof(kParameters[0]);

// The display writes eight characters; the unit follows after a space.
constexpr VstInt32 kNumberLength = 8;
char text[32];

bool known(int id) { return id >= 0 && id < kNumParameters; }

} // namespace

extern "C" {

// The start of buffer `which` (0, 1: inputs; 2, 3: outputs) in the module's memory, or null.
EMSCRIPTEN_KEEPALIVE float* slopecrush_buffer(int which) {
    return which >= 0 && which < kNumBuffers ? buffers[which] : nullptr;
}

// How many frames slopecrush_process takes at most.
EMSCRIPTEN_KEEPALIVE int slopecrush_capacity() { return kCapacity; }

// Converts frames frames from the input buffers into the output buffers; frames beyond the
// capacity are not processed.
EMSCRIPTEN_KEEPALIVE void slopecrush_process(int frames) {
    converter.process(buffers[kInLeft], buffers[kInRight], buffers[kOutLeft], buffers[kOutRight],
                      frames < kCapacity ? frames : kCapacity);
}

// Back to the state of a new effect; the parameters stay.
EMSCRIPTEN_KEEPALIVE void slopecrush_reset() { converter.reset(); }

EMSCRIPTEN_KEEPALIVE int slopecrush_parameter_count() { return kNumParameters; }
EMSCRIPTEN_KEEPALIVE const char* slopecrush_parameter_name(int id) {
    return known(id) ? kParameters[id].symbol : "";
}
EMSCRIPTEN_KEEPALIVE double slopecrush_parameter_min(int id) {
    return known(id) ? kParameters[id].min : 0.0;
}
EMSCRIPTEN_KEEPALIVE double slopecrush_parameter_max(int id) {
    return known(id) ? kParameters[id].max : 0.0;
}
EMSCRIPTEN_KEEPALIVE double slopecrush_parameter_default(int id) {
    return known(id) ? kParameters[id].defaultValue : 0.0;
}

// Sets a parameter from its plain value; out of range and NaN are the nearest end (NaN the
// lowest), as in the other editions.
EMSCRIPTEN_KEEPALIVE void slopecrush_set_parameter(int id, double value) {
    if (id == 0) converter.setGain(deltamod::gainForDecibelControl(value));
    if (id == 1) converter.setRateIndex(deltamod::rateIndexForPlainPitch(value));
}

// Sets a parameter from the VST edition's normalised value (0..1), the form the golden vectors
// are written in.
EMSCRIPTEN_KEEPALIVE void slopecrush_set_normalised(int id, float value) {
    if (id == 0) converter.setGain(value);
    if (id == 1) converter.setRateIndex(deltamod::rateIndexFor(value));
}

// The text a plug-in shows for a plain value, with its unit ("0.000000 dB", "-oo dB",
// "8363.419 Hz"): a zero-terminated string that stays until the next call.
EMSCRIPTEN_KEEPALIVE const char* slopecrush_value_text(int id, double value) {
    if (!known(id)) return "";
    if (id == 0)
        decibelText(deltamod::gainForDecibelControl(value) * deltamod::kGainScale, text,
                    kNumberLength);
    else
        floatText(
            deltamod::kRatesHz[static_cast<std::size_t>(deltamod::rateIndexForPlainPitch(value))],
            text, kNumberLength);
    appendText(text, " ", sizeof text - 1);
    appendText(text, kParameters[id].unit, sizeof text - 1);
    return text;
}

} // extern "C"
