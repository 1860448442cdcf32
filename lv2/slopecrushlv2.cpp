// SlopeCrush as an LV2 plug-in: deltamod::Converter behind the six ports of ports.ttl. The wrapper
// turns the two control values into the converter's gain and rate index and hands it the audio
// buffers; the sound is the converter's, the same as the VST edition's.

#include "deltamodconverter.h"
#include "identity.h"
#include "parametertable.h"

#include <lv2/core/lv2.h>

#include <cstdint>
#include <cstring>
#include <new>

namespace {

// The port indices of ports.ttl.
enum Port : std::uint32_t { kInLeft, kInRight, kOutLeft, kOutRight, kGain, kPitch };

constexpr auto kDefaultGainDb =
    static_cast<float>(deltamod::kParameters[deltamod::kInGain].defaultValue);

// Compared by their bits, a NaN that stays on a port counts as unchanged.
std::uint32_t bitsOf(float value) {
    std::uint32_t bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}

class SlopeCrushLv2 {
public:
    SlopeCrushLv2() { converter.setGain(deltamod::gainForDecibelControl(gainDb)); }

    void connect(std::uint32_t port, void* data) {
        auto* samples = static_cast<float*>(data);
        switch (port) {
        case kInLeft:
            inLeft = samples;
            break;
        case kInRight:
            inRight = samples;
            break;
        case kOutLeft:
            outLeft = samples;
            break;
        case kOutRight:
            outRight = samples;
            break;
        case kGain:
            gainPort = samples;
            break;
        case kPitch:
            pitchPort = samples;
            break;
        default:
            break;
        }
    }

    void activate() { converter.reset(); }

    void run(std::uint32_t frames) {
        readControls();
        if (!inLeft || !inRight || !outLeft || !outRight) return;
        converter.process(inLeft, inRight, outLeft, outRight, frames);
    }

private:
    // The values hold for the whole block. An unconnected control keeps the last value it gave.
    void readControls() {
        if (gainPort) {
            // The power in the decibel rule is worked out only when the value changed.
            const float db = *gainPort;
            if (bitsOf(db) != bitsOf(gainDb)) {
                gainDb = db;
                converter.setGain(deltamod::gainForDecibelControl(db));
            }
        }
        if (pitchPort) converter.setRateIndex(deltamod::rateIndexForPlainPitch(*pitchPort));
    }

    deltamod::Converter converter;
    const float* inLeft = nullptr;
    const float* inRight = nullptr;
    float* outLeft = nullptr;
    float* outRight = nullptr;
    const float* gainPort = nullptr;
    const float* pitchPort = nullptr;
    float gainDb = kDefaultGainDb; // the gain port value the converter's gain was worked out from
};

SlopeCrushLv2* self(LV2_Handle instance) { return static_cast<SlopeCrushLv2*>(instance); }

// Main thread, while no other call runs on the instance; allocates. The sample rate is not used:
// like the VST edition, the converter counts its rates against 44.1 kHz at every sample rate.
LV2_Handle instantiate(const LV2_Descriptor* /*descriptor*/, double /*sampleRate*/,
                       const char* /*bundlePath*/, const LV2_Feature* const* /*features*/) {
    return new (std::nothrow) SlopeCrushLv2;
}

// Any thread, never during run on the instance (so also the audio thread between runs); never
// blocks or allocates.
void connectPort(LV2_Handle instance, std::uint32_t port, void* data) {
    self(instance)->connect(port, data);
}

// Main thread, never during run; never blocks or allocates. Starts the sound afresh.
void activate(LV2_Handle instance) { self(instance)->activate(); }

// Audio thread; never blocks, allocates, locks or calls the host. Unconnected audio ports or 0
// frames write nothing.
void run(LV2_Handle instance, std::uint32_t sampleCount) { self(instance)->run(sampleCount); }

// Main thread, after the last call on the instance; frees it.
void cleanup(LV2_Handle instance) { delete self(instance); }

// Any thread; never blocks or allocates. The plug-in implements no extension.
const void* extensionData(const char* /*uri*/) { return nullptr; }

const LV2_Descriptor kDescriptor = {
    deltamod::kLv2Uri, instantiate, connectPort, activate, run, nullptr, cleanup, extensionData,
};

} // namespace

// Any thread, without an instance; never blocks or allocates. The bundle holds one plug-in.
LV2_SYMBOL_EXPORT const LV2_Descriptor* lv2_descriptor(std::uint32_t index) {
    return index == 0 ? &kDescriptor : nullptr;
}
