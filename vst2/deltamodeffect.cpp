#include "deltamodeffect.h"

#include "valuetext.h"

#include <cstddef>
#include <new>

DeltaModEffect::DeltaModEffect(audioMasterCallback audioMaster)
    : AudioEffectX(audioMaster, kNumPrograms, kNumParams) {
    setNumInputs(2);
    setNumOutputs(2);
    setUniqueID(kUniqueID);
    canProcessReplacing(true);
    numbertext::copyText(programName, "Default", kProgramNameLength);
    // The converter counts its rates against 44.1 kHz whatever sample rate the host sets later.
}

void DeltaModEffect::setParameter(VstInt32 index, float value) {
    switch (index) {
    case kParamGain:
        converter.setGain(value); // the normalised value is the converter's gain
        break;
    case kParamPitch:
        pitch.store(value, std::memory_order_relaxed);
        converter.setRateIndex(deltamod::rateIndexFor(value));
        break;
    default:
        break;
    }
}

float DeltaModEffect::getParameter(VstInt32 index) {
    switch (index) {
    case kParamGain:
        return converter.gain();
    case kParamPitch:
        return pitch.load(std::memory_order_relaxed);
    default:
        return fallbackValue;
    }
}

void DeltaModEffect::processReplacing(float** inputs, float** outputs, VstInt32 sampleFrames) {
    if (sampleFrames <= 0) return;
    converter.process(inputs[0], inputs[1], outputs[0], outputs[1],
                      static_cast<std::size_t>(sampleFrames));
}

AudioEffect* createEffectInstance(audioMasterCallback audioMaster) {
    return new (std::nothrow) DeltaModEffect(audioMaster);
}
