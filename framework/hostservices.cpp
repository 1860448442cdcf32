// The questions an effect asks its host and the news it tells it: each wrapper sends one
// audioMaster request with fixed argument positions and turns the host's pointer-sized answer
// into its own result type.
//
// Threads: every wrapper calls the host on the caller's thread, takes no lock, keeps nothing
// between calls and allocates nothing itself; whether the host blocks is the host's affair.
#include "audioeffectx.h"

namespace {

// Sends one request to the host on behalf of `effect`. Without a host it sends nothing and
// answers 0, and that is enough for every wrapper's no-host answer: each wrapper's conversion of
// a host answer of 0 is exactly what it must answer when there is no host (version 1, pins
// connected, sample rate and block size unchanged, everything else 0, false or null).
VstIntPtr callHost(audioMasterCallback host, AEffect& effect, VstInt32 opcode, VstInt32 index = 0,
                   VstIntPtr value = 0, void* ptr = nullptr, float opt = 0.0f) {
    return host != nullptr ? host(&effect, opcode, index, value, ptr, opt) : 0;
}

// A host answer that stands for an address the host owns.
template <typename T> T* asPointer(VstIntPtr answer) {
    return reinterpret_cast<T*>(answer); // NOLINT(performance-no-int-to-ptr)
}

// Answers the interface defines as 32-bit; the upper half of a 64-bit answer carries nothing.
VstInt32 as32(VstIntPtr answer) { return static_cast<VstInt32>(answer); }

} // namespace

// ---- AudioEffect

void AudioEffect::setParameterAutomated(VstInt32 index, float value) {
    // The effect holds the new value before the host hears of it, so a host that reads the
    // parameter back while handling the notification sees the new value.
    setParameter(index, value);
    callHost(audioMaster, cEffect, audioMasterAutomate, index, 0, nullptr, value);
}

VstInt32 AudioEffect::getMasterVersion() {
    // A host that does not say which version it speaks speaks the first one.
    const VstIntPtr version = callHost(audioMaster, cEffect, audioMasterVersion);
    return version != 0 ? as32(version) : 1;
}

VstInt32 AudioEffect::getCurrentUniqueId() {
    return as32(callHost(audioMaster, cEffect, audioMasterCurrentId));
}

void AudioEffect::masterIdle() { callHost(audioMaster, cEffect, audioMasterIdle); }

// The host answers 0 for a connected pin; value tells an input (0) from an output (1).
bool AudioEffect::isInputConnected(VstInt32 input) {
    return callHost(audioMaster, cEffect, audioMasterPinConnected, input, 0) == 0;
}

bool AudioEffect::isOutputConnected(VstInt32 output) {
    return callHost(audioMaster, cEffect, audioMasterPinConnected, output, 1) == 0;
}

// ---- AudioEffectX: parameters and automation

bool AudioEffectX::beginEdit(VstInt32 index) {
    return callHost(audioMaster, cEffect, audioMasterBeginEdit, index) != 0;
}

bool AudioEffectX::endEdit(VstInt32 index) {
    return callHost(audioMaster, cEffect, audioMasterEndEdit, index) != 0;
}

VstInt32 AudioEffectX::getNumAutomatableParameters() {
    return as32(callHost(audioMaster, cEffect, audioMasterGetNumAutomatableParameters));
}

VstInt32 AudioEffectX::getParameterQuantization() {
    return as32(callHost(audioMaster, cEffect, audioMasterGetParameterQuantization));
}

VstInt32 AudioEffectX::getAutomationState() {
    return as32(callHost(audioMaster, cEffect, audioMasterGetAutomationState));
}

// ---- Audio settings and timing

double AudioEffectX::updateSampleRate() {
    // Only a positive answer is a sample rate; setSampleRate is not called, so the effect is
    // not told of a change it asked for itself.
    const VstIntPtr rate = callHost(audioMaster, cEffect, audioMasterGetSampleRate);
    if (rate > 0) sampleRate = static_cast<float>(rate);
    return sampleRate;
}

VstInt32 AudioEffectX::updateBlockSize() {
    // Read as the 32-bit block size first, so that no answer a 64-bit host gives can leave a
    // block size of 0 or below.
    const VstInt32 size = as32(callHost(audioMaster, cEffect, audioMasterGetBlockSize));
    if (size > 0) blockSize = size;
    return blockSize;
}

VstInt32 AudioEffectX::getInputLatency() {
    return as32(callHost(audioMaster, cEffect, audioMasterGetInputLatency));
}

VstInt32 AudioEffectX::getOutputLatency() {
    return as32(callHost(audioMaster, cEffect, audioMasterGetOutputLatency));
}

VstTimeInfo* AudioEffectX::getTimeInfo(VstInt32 filter) {
    return asPointer<VstTimeInfo>(callHost(audioMaster, cEffect, audioMasterGetTime, 0, filter));
}

VstInt32 AudioEffectX::tempoAt(VstInt32 pos) {
    return as32(callHost(audioMaster, cEffect, audioMasterTempoAt, 0, pos));
}

VstInt32 AudioEffectX::getCurrentProcessLevel() {
    return as32(callHost(audioMaster, cEffect, audioMasterGetCurrentProcessLevel));
}

VstInt32 AudioEffectX::willProcessReplacing() {
    return as32(callHost(audioMaster, cEffect, audioMasterWillReplaceOrAccumulate));
}

void AudioEffectX::setOutputSamplerate(float samplerate) {
    callHost(audioMaster, cEffect, audioMasterSetOutputSampleRate, 0, 0, nullptr, samplerate);
}

void AudioEffectX::wantEvents(VstInt32 filter) {
    callHost(audioMaster, cEffect, audioMasterWantMidi, 0, filter);
}

// ---- Connections and I/O

bool AudioEffectX::ioChanged() { return callHost(audioMaster, cEffect, audioMasterIOChanged) != 0; }

// The pin numbers are accepted for the interface's sake but never sent: hosts expect all zeros.
AEffect* AudioEffectX::getPreviousPlug(VstInt32 /*input*/) {
    return asPointer<AEffect>(callHost(audioMaster, cEffect, audioMasterGetPreviousPlug));
}

AEffect* AudioEffectX::getNextPlug(VstInt32 /*output*/) {
    return asPointer<AEffect>(callHost(audioMaster, cEffect, audioMasterGetNextPlug));
}

VstSpeakerArrangement* AudioEffectX::getInputSpeakerArrangement() {
    return asPointer<VstSpeakerArrangement>(
        callHost(audioMaster, cEffect, audioMasterGetInputSpeakerArrangement));
}

VstSpeakerArrangement* AudioEffectX::getOutputSpeakerArrangement() {
    return asPointer<VstSpeakerArrangement>(
        callHost(audioMaster, cEffect, audioMasterGetOutputSpeakerArrangement));
}

// ---- The host's identity and abilities

bool AudioEffectX::getHostVendorString(char* text) {
    return callHost(audioMaster, cEffect, audioMasterGetVendorString, 0, 0, text) != 0;
}

bool AudioEffectX::getHostProductString(char* text) {
    return callHost(audioMaster, cEffect, audioMasterGetProductString, 0, 0, text) != 0;
}

VstInt32 AudioEffectX::getHostVendorVersion() {
    return as32(callHost(audioMaster, cEffect, audioMasterGetVendorVersion));
}

VstIntPtr AudioEffectX::hostVendorSpecific(VstInt32 lArg1, VstIntPtr lArg2, void* ptrArg,
                                           float floatArg) {
    return callHost(audioMaster, cEffect, audioMasterVendorSpecific, lArg1, lArg2, ptrArg,
                    floatArg);
}

VstInt32 AudioEffectX::canHostDo(char* text) {
    // Hosts answer 1 for yes and -1 for no; the effect reads any non-zero answer as yes.
    return callHost(audioMaster, cEffect, audioMasterCanDo, 0, 0, text) != 0 ? 1 : 0;
}

VstInt32 AudioEffectX::getHostLanguage() {
    return as32(callHost(audioMaster, cEffect, audioMasterGetLanguage));
}

void* AudioEffectX::getDirectory() {
    return asPointer<void>(callHost(audioMaster, cEffect, audioMasterGetDirectory));
}

// ---- Windows and files

bool AudioEffectX::needIdle() { return callHost(audioMaster, cEffect, audioMasterNeedIdle) != 0; }

bool AudioEffectX::updateDisplay() {
    return callHost(audioMaster, cEffect, audioMasterUpdateDisplay) != 0;
}

bool AudioEffectX::sizeWindow(VstInt32 width, VstInt32 height) {
    return callHost(audioMaster, cEffect, audioMasterSizeWindow, width, height) != 0;
}

void* AudioEffectX::openWindow(VstWindow* window) {
    return asPointer<void>(callHost(audioMaster, cEffect, audioMasterOpenWindow, 0, 0, window));
}

bool AudioEffectX::closeWindow(VstWindow* window) {
    return callHost(audioMaster, cEffect, audioMasterCloseWindow, 0, 0, window) != 0;
}

// The three file requests need a record for the host to fill or read; without one the host is
// not asked at all.
bool AudioEffectX::openFileSelector(VstFileSelect* ptr) {
    return ptr != nullptr &&
           callHost(audioMaster, cEffect, audioMasterOpenFileSelector, 0, 0, ptr) != 0;
}

bool AudioEffectX::closeFileSelector(VstFileSelect* ptr) {
    return ptr != nullptr &&
           callHost(audioMaster, cEffect, audioMasterCloseFileSelector, 0, 0, ptr) != 0;
}

bool AudioEffectX::getChunkFile(void* nativePath) {
    return nativePath != nullptr &&
           callHost(audioMaster, cEffect, audioMasterGetChunkFile, 0, 0, nativePath) != 0;
}

// ---- Offline processing

bool AudioEffectX::offlineStart(VstAudioFile* ptr, VstInt32 numAudioFiles,
                                VstInt32 numNewAudioFiles) {
    // The interface puts the new files' count first, in index.
    return callHost(audioMaster, cEffect, audioMasterOfflineStart, numNewAudioFiles, numAudioFiles,
                    ptr) != 0;
}

bool AudioEffectX::offlineRead(VstOfflineTask* offline, VstOfflineOption option, bool readSource) {
    return callHost(audioMaster, cEffect, audioMasterOfflineRead, readSource ? 1 : 0, option,
                    offline) != 0;
}

bool AudioEffectX::offlineWrite(VstOfflineTask* offline, VstOfflineOption option) {
    return callHost(audioMaster, cEffect, audioMasterOfflineWrite, 0, option, offline) != 0;
}

VstInt32 AudioEffectX::offlineGetCurrentPass() {
    return callHost(audioMaster, cEffect, audioMasterOfflineGetCurrentPass) != 0 ? 1 : 0;
}

VstInt32 AudioEffectX::offlineGetCurrentMetaPass() {
    return callHost(audioMaster, cEffect, audioMasterOfflineGetCurrentMetaPass) != 0 ? 1 : 0;
}
