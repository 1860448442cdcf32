// DeltaModEffect: the converter as a 2-in, 2-out effect of this framework, with two parameters
// (InGain, Pitch) and one program. It keeps the host's normalised values and the texts; the
// sound is deltamod::Converter's.
#pragma once

#include "audioeffectx.h"
#include "deltamodconverter.h"
#include "identity.h"
#include "parametertable.h"

#include <atomic>

class DeltaModEffect : public AudioEffectX {
public:
    static constexpr VstInt32 kNumPrograms = 1;
    static constexpr VstInt32 kNumParams = deltamod::kNumParameters;
    static constexpr VstInt32 kParamGain = deltamod::kInGain;
    static constexpr VstInt32 kParamPitch = deltamod::kPitch;
    static constexpr VstInt32 kUniqueID = fourCharCode(deltamod::kUniqueId);
    static constexpr int kProgramNameLength = 24;
    static constexpr VstInt32 kVendorVersion = deltamod::kVendorVersion;

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
    VstInt32 getVendorVersion() override { return kVendorVersion; } // the project's version

protected:
    float fallbackValue = 1.0f; // getParameter's answer for unknown indices
    char programName[kProgramNameLength + 1] = {};

    // Pitch as the host set it; the converter holds the rate index it selects, and InGain
    // itself. Written from any host thread.
    std::atomic<float> pitch{deltamod::kParameters[deltamod::kPitch].normalisedDefault};
    deltamod::Converter converter;
};
