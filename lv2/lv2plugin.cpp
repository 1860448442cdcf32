// SlopeCrush as an LV2 plug-in: the core's effect behind the six ports of ports.ttl. The wrapper
// hands it the two control values and the audio buffers; the sound is the core's, the same as the
// VST edition's.

#include "effect.h"
#include "identity.h"

#include <lv2/core/lv2.h>

#include <cstdint>
#include <new>

namespace {

// The port indices of ports.ttl.
enum Port : std::uint32_t { kInLeft, kInRight, kOutLeft, kOutRight, kGain, kPitch, kNumPorts };

class SlopeCrushLv2 {
public:
    void connect(std::uint32_t port, void* data) {
        if (port < kNumPorts) ports[port] = static_cast<float*>(data);
    }

    void activate() { effect.reset(); }

    void run(std::uint32_t frames) {
        // The values hold for the whole block. An unconnected control keeps the last value it gave.
        if (ports[kGain]) effect.setPlain(deltamod::kInGain, *ports[kGain]);
        if (ports[kPitch]) effect.setPlain(deltamod::kPitch, *ports[kPitch]);
        for (Port audio : {kInLeft, kInRight, kOutLeft, kOutRight})
            if (!ports[audio]) return;
        effect.process(ports[kInLeft], ports[kInRight], ports[kOutLeft], ports[kOutRight], frames);
    }

private:
    deltamod::Effect effect;
    float* ports[kNumPorts] = {};
};

SlopeCrushLv2* self(LV2_Handle instance) { return static_cast<SlopeCrushLv2*>(instance); }

// Main thread, while no other call runs on the instance; allocates. The sample rate is not the
// converter's to know.
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
