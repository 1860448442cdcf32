// DeltaModEffect: SlopeCrush as a VST 2.4 effect of this framework, 2 in, 2 out, with two
// parameters (InGain, Pitch) and one program. It translates the host's calls into the core
// effect's: normalised values, the audio buffers, the texts. The sound and the values are the
// core's.
//
// Threads: setParameter and getParameter any thread, processReplacing the audio thread; none of
// them blocks, locks or allocates. The texts: the host's main thread, without allocating.
//
// Nothing resets the sound: counter, phase, gate and smoother carry over from block to block and
// across suspend, resume and sample-rate changes, as they always have in this edition, and the
// sessions and renders made with it rely on that. Do not add a reset to resume or setSampleRate
// (the LV2 and CLAP editions start afresh at activation, as their formats ask).
#pragma once

#include "audioeffectx.h"
#include "effect.h"
#include "identity.h"

class DeltaModEffect : public AudioEffectX {
public:
    static constexpr VstInt32 kNumPrograms = 1;
    static constexpr VstInt32 kNumParams = deltamod::kNumParameters;
    static constexpr VstInt32 kUniqueID = fourCharCode(deltamod::kUniqueId);

    explicit DeltaModEffect(audioMasterCallback audioMaster);

    void setParameter(VstInt32 index, float value) override;
    float getParameter(VstInt32 index) override;
    // Inputs and outputs may be the same buffers.
    void processReplacing(float** inputs, float** outputs, VstInt32 sampleFrames) override;
    // This effect never announces double precision, so it does nothing.
    void processDoubleReplacing(double** /*inputs*/, double** /*outputs*/,
                                VstInt32 /*sampleFrames*/) override {}

    // Each writes its text with the bounded copy of the interface's length for it.
    void getParameterName(VstInt32 index, char* text) override;    // other indices: untouched
    void getParameterLabel(VstInt32 index, char* label) override;  // other indices: untouched
    void getParameterDisplay(VstInt32 index, char* text) override; // other indices: untouched
    void setProgramName(char* name) override;
    void getProgramName(char* name) override;
    bool getEffectName(char* name) override;
    bool getVendorString(char* text) override;
    bool getProductString(char* text) override;
    VstInt32 getVendorVersion() override { return deltamod::kVendorVersion; }

protected:
    float fallbackValue = 1.0f; // getParameter's answer for unknown indices
    char programName[kProgramNameLength + 1] = {};
    deltamod::Effect effect;
};
