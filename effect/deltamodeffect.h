// DeltaModEffect: a stereo-to-mono 1-bit delta-modulation converter with a gate and a one-pole
// smoother, as a 2-in, 2-out effect with two parameters ("InGain", "Pitch") and one program.
#pragma once

#include "audioeffectx.h"
#include "stepphase.h"

#include <array>
#include <atomic>
#include <cstdint>

class DeltaModEffect : public AudioEffectX {
public:
    static constexpr VstInt32 kNumPrograms = 1;
    static constexpr VstInt32 kNumParams = 2;
    static constexpr VstInt32 kParamGain = 0;
    static constexpr VstInt32 kParamPitch = 1;
    static constexpr VstInt32 kUniqueID = fourCharCode("Zbrk");

    static constexpr int kNumRates = 16;
    // The sixteen conversion rates in Hz, lowest first.
    static const std::array<float, kNumRates> kRates;

    static constexpr float kDefaultGain = 0.25f;  // unity: the mix is scaled by gain x 4
    static constexpr float kDefaultPitch = 0.95f; // rate index 14, 24857.9 Hz
    static constexpr int kProgramNameLength = 24;
    static constexpr VstInt32 kVendorVersion = 1001;

    explicit DeltaModEffect(audioMasterCallback audioMaster);

    // Any thread; lock-free, never blocks or allocates.
    void setParameter(VstInt32 index, float value) override;
    // Any thread; lock-free, never blocks or allocates.
    float getParameter(VstInt32 index) override;
    // Audio thread; never blocks, allocates or locks. Inputs and outputs may be the same buffers.
    void processReplacing(float** inputs, float** outputs, VstInt32 sampleFrames) override;
    // Audio thread; this effect never announces double precision, so it does nothing.
    void processDoubleReplacing(double** /*inputs*/, double** /*outputs*/,
                                VstInt32 /*sampleFrames*/) override {}

    // Texts the host shows; each writes its text with the bounded copy into a buffer of the
    // stated length plus one. Main thread; they never block or allocate.
    void getParameterName(VstInt32 index, char* text) override;     // 8; other indices: untouched
    void getParameterLabel(VstInt32 index, char* label) override;   // 8; other indices: untouched
    void getParameterDisplay(VstInt32 index, char* text) override;  // 8; other indices: untouched
    void setProgramName(char* name) override;                       // reads at most 24
    void getProgramName(char* name) override;                       // 24
    bool getEffectName(char* name) override;                        // 32
    bool getVendorString(char* text) override;                      // 64
    bool getProductString(char* text) override;                     // 64
    VstInt32 getVendorVersion() override { return kVendorVersion; } // 1001

    // The rate index a "Pitch" value selects: value x 15 truncated, kept inside the table.
    static VstInt32 rateIndexFor(float pitch);

protected:
    float fallbackValue = 1.0f; // getParameter's answer for unknown indices
    char programName[kProgramNameLength + 1] = {};
    float referenceRate; // the step phase counts against this rate, fixed at construction

    // Converter state, touched only by processReplacing.
    std::int16_t counter = 0; // one step is 1/32 of full scale
    float stepPhase = 0.0f;   // Hz x frames; a step happens each time it reaches referenceRate
    // The gate's memory of the last sixteen steps, newest in bit 0: a bit is set when that step's
    // level lay beyond +-0.04, that is when the counter stood outside -1..1. The gate is open
    // while any bit is set; this is all the gate needs from the sixteen levels themselves. The
    // level the smoother follows is then the counter x 1/32 while the gate is open, else 0.
    std::uint16_t wideSteps = 0;
    float smoothedOutput = 0.0f; // the last value written; the smoother's memory
    float smoothing = 0.65f;
    // What the step phase adds and compares at each rate, from the rates and referenceRate.
    std::array<PhaseIncrement, kNumRates> phaseIncrements{};

    // Parameters, written from any host thread and read by the converter once per frame or step.
    std::atomic<float> gain{kDefaultGain};
    std::atomic<float> pitch{kDefaultPitch};
    std::atomic<VstInt32> rateIndex{14};
    static_assert(std::atomic<float>::is_always_lock_free &&
                      std::atomic<VstInt32>::is_always_lock_free,
                  "parameters must be shared without locks");
};
