// Tremolo: a second effect on the framework, about as small as a complete effect gets. It moves
// the level of a stereo signal down and up again along a triangle:
//
//   gain = 1 - depth x dip,   dip = 1 - |1 - 2 x position / sampleRate|
//
// position counts Hz x frames: it starts at 0 on resume, grows by the rate at every frame and
// wraps at the sample rate. The dip is 0 where a cycle starts (the sound passes unchanged) and 1
// halfway through (the gain is 1 - depth). With whole numbers of Hz every step is exact: depth 0
// gives the input bit for bit, and full depth at rate r silences exactly the frames n for which
// n x r is an odd multiple of half the sample rate (10 Hz at 44100 Hz: frames 2205, 6615, ...).
#include "audioeffectx.h"
#include "valuetext.h"

#include <atomic>
#include <cmath>
#include <new>

namespace {

constexpr VstInt32 kRate = 0;  // 0..1: 0 to 20 Hz
constexpr VstInt32 kDepth = 1; // 0..1: 0 to 100 %
constexpr float kMaxRateHz = 20.0f;

// Hosts send 0..1; anything else (NaN included) must not push the gain above 1.
float unit(float value) { return value > 0.0f ? std::fmin(value, 1.0f) : 0.0f; }

class Tremolo : public AudioEffectX {
public:
    explicit Tremolo(audioMasterCallback audioMaster) : AudioEffectX(audioMaster, 1, 2) {
        setNumInputs(2);
        setNumOutputs(2);
        setUniqueID(fourCharCode("Trmx")); // each effect needs its own
        canProcessReplacing(true);
    }

    // Any thread, also while audio runs: each value is one lock-free atomic.
    void setParameter(VstInt32 index, float value) override {
        if (index == kRate) rate = unit(value);
        if (index == kDepth) depth = unit(value);
    }
    float getParameter(VstInt32 index) override {
        return index == kRate ? rate.load() : index == kDepth ? depth.load() : 0.0f;
    }

    // Main thread, audio stopped: every run starts with a fresh cycle.
    void resume() override {
        position = 0.0;
        AudioEffectX::resume(); // keeps the framework's own part
    }

    // Audio thread: reads each parameter once per block, never locks, allocates or waits.
    void processReplacing(float** inputs, float** outputs, VstInt32 sampleFrames) override {
        const double hz = rateHz();
        const double amount = depth.load();
        const double cycle = getSampleRate() > 0.0f ? getSampleRate() : 44100.0;
        if (position >= cycle) position = 0.0; // the sample rate fell without a resume
        for (VstInt32 i = 0; i < sampleFrames; ++i) {
            const double dip = 1.0 - std::fabs(1.0 - 2.0 * (position / cycle));
            const auto gain = static_cast<float>(1.0 - amount * dip);
            outputs[0][i] = inputs[0][i] * gain;
            outputs[1][i] = inputs[1][i] * gain;
            position += hz;
            if (position >= cycle) position -= cycle;
        }
    }

    // Main thread: texts through the framework's value-to-text tools.
    void getParameterName(VstInt32 index, char* text) override {
        if (index == kRate) numbertext::copyText(text, "Rate", kParameterTextLength);
        if (index == kDepth) numbertext::copyText(text, "Depth", kParameterTextLength);
    }
    void getParameterLabel(VstInt32 index, char* label) override {
        if (index == kRate) numbertext::copyText(label, "Hz", kParameterTextLength);
        if (index == kDepth) numbertext::copyText(label, "%", kParameterTextLength);
    }
    void getParameterDisplay(VstInt32 index, char* text) override {
        if (index == kRate) float2string(rateHz(), text, kParameterTextLength); // "10.00000"
        if (index == kDepth) {
            const long percent = std::lround(depth.load() * 100.0f);
            int2string(static_cast<VstInt32>(percent), text, kParameterTextLength); // "50"
        }
    }
    bool getEffectName(char* name) override {
        numbertext::copyText(name, "Tremolo", kEffectNameLength);
        return true;
    }
    bool getVendorString(char* text) override {
        numbertext::copyText(text, "SlopeCrush examples", kVendorTextLength);
        return true;
    }

private:
    float rateHz() const { return rate.load() * kMaxRateHz; }

    std::atomic<float> rate{0.25f}; // 5 Hz
    std::atomic<float> depth{0.5f}; // 50 %
    double position = 0.0;          // audio thread only, and resume while audio is stopped
};

} // namespace

// Called by the framework's entry, once for every instance the host asks for.
AudioEffect* createEffectInstance(audioMasterCallback audioMaster) {
    return new (std::nothrow) Tremolo(audioMaster);
}
