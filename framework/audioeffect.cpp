#include "audioeffect.h"

#include "aeffeditor.h"

#include <cstring>

AudioEffect::AudioEffect(audioMasterCallback audioMaster, VstInt32 numPrograms, VstInt32 numParams)
    : audioMaster(audioMaster), numPrograms(numPrograms), numParams(numParams) {
    std::memset(&cEffect, 0, sizeof(cEffect));
    cEffect.magic = kEffectMagic;
    cEffect.dispatcher = dispatchEffectClass;
    cEffect.process = processClass;
    cEffect.setParameter = setParameterClass;
    cEffect.getParameter = getParameterClass;
    cEffect.numPrograms = numPrograms;
    cEffect.numParams = numParams;
    cEffect.numInputs = 1;
    cEffect.numOutputs = 2;
    cEffect.ioRatio = 1.0f;
    cEffect.object = this;
    cEffect.uniqueID = kDefaultUniqueID;
    cEffect.version = 1;
    cEffect.processReplacing = processClassReplacing;
    // A virtual call in a constructor reaches this class's own operation, as intended here.
    AudioEffect::canProcessReplacing(true);
    cEffect.processDoubleReplacing = processClassDoubleReplacing;
}

AudioEffect::~AudioEffect() { delete editor; }

VstIntPtr AudioEffect::dispatcher(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr,
                                  float opt) {
    switch (opcode) {
    case effOpen:
        open();
        return 0;
    case effClose:
        close();
        return 0;
    case effSetProgram: {
        // Only an upper bound, compared as the interface's 32-bit program number; setProgram
        // decides the rest.
        const auto program = static_cast<VstInt32>(value);
        if (program < numPrograms) setProgram(program);
        return 0;
    }
    case effGetProgram:
        return getProgram();
    case effSetProgramName:
        setProgramName(static_cast<char*>(ptr));
        return 0;
    case effGetProgramName:
        getProgramName(static_cast<char*>(ptr));
        return 0;
    case effGetParamLabel:
        getParameterLabel(index, static_cast<char*>(ptr));
        return 0;
    case effGetParamDisplay:
        getParameterDisplay(index, static_cast<char*>(ptr));
        return 0;
    case effGetParamName:
        getParameterName(index, static_cast<char*>(ptr));
        return 0;
    case effSetSampleRate:
        setSampleRate(opt);
        return 0;
    case effSetBlockSize:
        setBlockSize(static_cast<VstInt32>(value));
        return 0;
    case effMainsChanged:
        if (value == 0) {
            suspend();
        } else {
            resume();
        }
        return 0;
    case effEditGetRect:
        return editor != nullptr && editor->getRect(static_cast<ERect**>(ptr)) ? 1 : 0;
    case effEditOpen:
        return editor != nullptr && editor->open(ptr) ? 1 : 0;
    case effEditClose:
        if (editor != nullptr) editor->close();
        return 0;
    case effEditIdle:
        if (editor != nullptr) editor->idle();
        return 0;
    case effIdentify:
        return kEffectIdentify;
    case effGetChunk:
        return getChunk(static_cast<void**>(ptr), index != 0);
    case effSetChunk:
        return setChunk(ptr, static_cast<VstInt32>(value), index != 0);
    default: // effGetVu, the editor opcodes without an action, and everything unknown
        return 0;
    }
}

VstIntPtr VSTCALLBACK AudioEffect::dispatchEffectClass(AEffect* effect, VstInt32 opcode,
                                                       VstInt32 index, VstIntPtr value, void* ptr,
                                                       float opt) {
    auto* object = static_cast<AudioEffect*>(effect->object);
    if (opcode == effClose) {
        object->dispatcher(opcode, index, value, ptr, opt);
        delete object; // the record dies with it; the host must not touch it again
        return 1;
    }
    return object->dispatcher(opcode, index, value, ptr, opt);
}

void VSTCALLBACK AudioEffect::processClass(AEffect* effect, float** inputs, float** outputs,
                                           VstInt32 sampleFrames) {
    static_cast<AudioEffect*>(effect->object)->process(inputs, outputs, sampleFrames);
}

void VSTCALLBACK AudioEffect::setParameterClass(AEffect* effect, VstInt32 index, float value) {
    static_cast<AudioEffect*>(effect->object)->setParameter(index, value);
}

float VSTCALLBACK AudioEffect::getParameterClass(AEffect* effect, VstInt32 index) {
    return static_cast<AudioEffect*>(effect->object)->getParameter(index);
}

void VSTCALLBACK AudioEffect::processClassReplacing(AEffect* effect, float** inputs,
                                                    float** outputs, VstInt32 sampleFrames) {
    static_cast<AudioEffect*>(effect->object)->processReplacing(inputs, outputs, sampleFrames);
}

void VSTCALLBACK AudioEffect::processClassDoubleReplacing(AEffect* effect, double** inputs,
                                                          double** outputs, VstInt32 sampleFrames) {
    static_cast<AudioEffect*>(effect->object)
        ->processDoubleReplacing(inputs, outputs, sampleFrames);
}
