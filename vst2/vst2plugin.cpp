#include "vst2plugin.h"

#include "numbertext.h"

#include <cstddef>
#include <new>

DeltaModEffect::DeltaModEffect(audioMasterCallback audioMaster)
    : AudioEffectX(audioMaster, kNumPrograms, kNumParams) {
    setNumInputs(2);
    setNumOutputs(2);
    setUniqueID(kUniqueID);
    canProcessReplacing(true);
    numbertext::copyText(programName, "Default", kProgramNameLength);
}

void DeltaModEffect::setParameter(VstInt32 index, float value) {
    effect.setNormalised(index, value);
}

float DeltaModEffect::getParameter(VstInt32 index) {
    return deltamod::isParameter(index) ? effect.normalised(index) : fallbackValue;
}

void DeltaModEffect::processReplacing(float** inputs, float** outputs, VstInt32 sampleFrames) {
    if (sampleFrames <= 0) return;
    effect.process(inputs[0], inputs[1], outputs[0], outputs[1],
                   static_cast<std::size_t>(sampleFrames));
}

AudioEffect* createEffectInstance(audioMasterCallback audioMaster) {
    return new (std::nothrow) DeltaModEffect(audioMaster);
}
