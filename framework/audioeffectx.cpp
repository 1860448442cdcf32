#include "audioeffectx.h"

#include "aeffeditor.h"

namespace {

VstIntPtr oneOrZero(bool answer) { return answer ? 1 : 0; }

// The key record an editor receives; built afresh for each call.
VstKeyCode keyCode(VstInt32 index, VstIntPtr value, float opt) {
    VstKeyCode key{};
    key.character = index;
    key.virt = static_cast<unsigned char>(value & 0xFF);
    // Truncation of a float outside the int range is undefined; such an opt carries no key
    // modifier anyway, so it becomes 0.
    const bool representable = opt > -2147483648.0f && opt < 2147483648.0f;
    key.modifier =
        static_cast<unsigned char>(representable ? static_cast<VstInt32>(opt) & 0xFF : 0);
    return key;
}

} // namespace

VstIntPtr AudioEffectX::dispatcher(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr,
                                   float opt) {
    // Every handler passes the host's arguments on untested: the operation that receives a
    // pointer or an index decides what it accepts.
    switch (opcode) {
    case effProcessEvents:
        return processEvents(static_cast<VstEvents*>(ptr));
    case effCanBeAutomated:
        return oneOrZero(canParameterBeAutomated(index));
    case effString2Parameter:
        return oneOrZero(string2parameter(index, static_cast<char*>(ptr)));
    case effGetProgramNameIndexed:
        return oneOrZero(
            getProgramNameIndexed(static_cast<VstInt32>(value), index, static_cast<char*>(ptr)));
    case effGetInputProperties:
        return oneOrZero(getInputProperties(index, static_cast<VstPinProperties*>(ptr)));
    case effGetOutputProperties:
        return oneOrZero(getOutputProperties(index, static_cast<VstPinProperties*>(ptr)));
    case effGetPlugCategory:
        return getPlugCategory();
    case effOfflineNotify:
        return oneOrZero(offlineNotify(static_cast<VstAudioFile*>(ptr),
                                       static_cast<VstInt32>(value), index != 0));
    case effOfflinePrepare:
        return oneOrZero(
            offlinePrepare(static_cast<VstOfflineTask*>(ptr), static_cast<VstInt32>(value)));
    case effOfflineRun:
        return oneOrZero(
            offlineRun(static_cast<VstOfflineTask*>(ptr), static_cast<VstInt32>(value)));
    case effProcessVarIo:
        return oneOrZero(processVariableIo(static_cast<VstVariableIo*>(ptr)));
    case effSetSpeakerArrangement:
        return oneOrZero(setSpeakerArrangement(
            reinterpret_cast<VstSpeakerArrangement*>(value), // NOLINT(performance-no-int-to-ptr)
            static_cast<VstSpeakerArrangement*>(ptr)));
    case effSetBypass:
        return oneOrZero(setBypass(value != 0));
    case effGetEffectName:
        return oneOrZero(getEffectName(static_cast<char*>(ptr)));
    case effGetVendorString:
        return oneOrZero(getVendorString(static_cast<char*>(ptr)));
    case effGetProductString:
        return oneOrZero(getProductString(static_cast<char*>(ptr)));
    case effGetVendorVersion:
        return getVendorVersion();
    case effVendorSpecific:
        return vendorSpecific(index, value, ptr, opt);
    case effCanDo:
        return canDo(static_cast<char*>(ptr));
    case effGetTailSize:
        return getGetTailSize();
    case effGetParameterProperties:
        return oneOrZero(getParameterProperties(index, static_cast<VstParameterProperties*>(ptr)));
    case effGetVstVersion:
        return getVstVersion();
    case effEditKeyDown:
    case effEditKeyUp: {
        if (editor == nullptr) return 0;
        VstKeyCode key = keyCode(index, value, opt);
        return oneOrZero(opcode == effEditKeyDown ? editor->onKeyDown(key) : editor->onKeyUp(key));
    }
    case effSetEditKnobMode:
        return editor != nullptr ? oneOrZero(editor->setKnobMode(static_cast<VstInt32>(value))) : 0;
    case effGetMidiProgramName:
        return getMidiProgramName(index, static_cast<MidiProgramName*>(ptr));
    case effGetCurrentMidiProgram:
        return getCurrentMidiProgram(index, static_cast<MidiProgramName*>(ptr));
    case effGetMidiProgramCategory:
        return getMidiProgramCategory(index, static_cast<MidiProgramCategory*>(ptr));
    case effHasMidiProgramsChanged:
        return oneOrZero(hasMidiProgramsChanged(index));
    case effGetMidiKeyName:
        return oneOrZero(getMidiKeyName(index, static_cast<MidiKeyName*>(ptr)));
    case effBeginSetProgram:
        return oneOrZero(beginSetProgram());
    case effEndSetProgram:
        return oneOrZero(endSetProgram());
    case effGetSpeakerArrangement:
        return oneOrZero(getSpeakerArrangement(
            reinterpret_cast<VstSpeakerArrangement**>(value), // NOLINT(performance-no-int-to-ptr)
            static_cast<VstSpeakerArrangement**>(ptr)));
    case effShellGetNextPlugin:
        return getNextShellPlugin(static_cast<char*>(ptr));
    case effStartProcess:
        return startProcess();
    case effStopProcess:
        return stopProcess();
    case effSetTotalSampleToProcess:
        return setTotalSampleToProcess(static_cast<VstInt32>(value));
    case effSetPanLaw:
        return oneOrZero(setPanLaw(static_cast<VstInt32>(value), opt));
    case effBeginLoadBank:
        return beginLoadBank(static_cast<VstPatchChunkInfo*>(ptr));
    case effBeginLoadProgram:
        return beginLoadProgram(static_cast<VstPatchChunkInfo*>(ptr));
    case effSetProcessPrecision:
        return oneOrZero(setProcessPrecision(static_cast<VstInt32>(value)));
    case effGetNumMidiInputChannels:
        return getNumMidiInputChannels();
    case effGetNumMidiOutputChannels:
        return getNumMidiOutputChannels();
    default: // 0 to 24, the 2.x opcodes left to the base, and everything unknown
        return AudioEffect::dispatcher(opcode, index, value, ptr, opt);
    }
}

void AudioEffectX::resume() {
    if ((cEffect.flags & effFlagsIsSynth) == 0) {
        char receiveMidi[] = "receiveVstMidiEvent";
        if (canDo(receiveMidi) != 1) return;
    }
    wantEvents(1);
}

bool AudioEffectX::getSpeakerArrangement(VstSpeakerArrangement** pluginInput,
                                         VstSpeakerArrangement** pluginOutput) {
    // Hosts pass the addresses of two slots; a null address is skipped rather than written through.
    if (pluginInput != nullptr) *pluginInput = nullptr;
    if (pluginOutput != nullptr) *pluginOutput = nullptr;
    return false;
}
