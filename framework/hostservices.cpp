// PLACEHOLDER until the host-services work lands: every question answers as if there were no host.
#include "audioeffectx.h"

void AudioEffect::setParameterAutomated(VstInt32 index, float value) { setParameter(index, value); }
VstInt32 AudioEffect::getMasterVersion() { return 1; }
VstInt32 AudioEffect::getCurrentUniqueId() { return 0; }
void AudioEffect::masterIdle() {}
bool AudioEffect::isInputConnected(VstInt32) { return true; }
bool AudioEffect::isOutputConnected(VstInt32) { return true; }
bool AudioEffectX::beginEdit(VstInt32) { return false; }
bool AudioEffectX::endEdit(VstInt32) { return false; }
bool AudioEffectX::ioChanged() { return false; }
double AudioEffectX::updateSampleRate() { return sampleRate; }
VstInt32 AudioEffectX::updateBlockSize() { return blockSize; }
VstInt32 AudioEffectX::getInputLatency() { return 0; }
VstInt32 AudioEffectX::getOutputLatency() { return 0; }
VstTimeInfo* AudioEffectX::getTimeInfo(VstInt32) { return nullptr; }
VstInt32 AudioEffectX::getCurrentProcessLevel() { return 0; }
VstInt32 AudioEffectX::getAutomationState() { return 0; }
bool AudioEffectX::getHostVendorString(char*) { return false; }
bool AudioEffectX::getHostProductString(char*) { return false; }
VstInt32 AudioEffectX::getHostVendorVersion() { return 0; }
VstIntPtr AudioEffectX::hostVendorSpecific(VstInt32, VstIntPtr, void*, float) { return 0; }
VstInt32 AudioEffectX::canHostDo(char*) { return 0; }
VstInt32 AudioEffectX::getHostLanguage() { return 0; }
void* AudioEffectX::getDirectory() { return nullptr; }
bool AudioEffectX::updateDisplay() { return false; }
bool AudioEffectX::sizeWindow(VstInt32, VstInt32) { return false; }
bool AudioEffectX::openFileSelector(VstFileSelect*) { return false; }
bool AudioEffectX::closeFileSelector(VstFileSelect*) { return false; }
bool AudioEffectX::offlineRead(VstOfflineTask*, VstOfflineOption, bool) { return false; }
bool AudioEffectX::offlineWrite(VstOfflineTask*, VstOfflineOption) { return false; }
bool AudioEffectX::offlineStart(VstAudioFile*, VstInt32, VstInt32) { return false; }
VstInt32 AudioEffectX::offlineGetCurrentPass() { return 0; }
VstInt32 AudioEffectX::offlineGetCurrentMetaPass() { return 0; }
void AudioEffectX::wantEvents(VstInt32) {}
VstInt32 AudioEffectX::tempoAt(VstInt32) { return 0; }
VstInt32 AudioEffectX::getNumAutomatableParameters() { return 0; }
VstInt32 AudioEffectX::getParameterQuantization() { return 0; }
bool AudioEffectX::needIdle() { return false; }
AEffect* AudioEffectX::getPreviousPlug(VstInt32) { return nullptr; }
AEffect* AudioEffectX::getNextPlug(VstInt32) { return nullptr; }
VstInt32 AudioEffectX::willProcessReplacing() { return 0; }
void AudioEffectX::setOutputSamplerate(float) {}
VstSpeakerArrangement* AudioEffectX::getInputSpeakerArrangement() { return nullptr; }
VstSpeakerArrangement* AudioEffectX::getOutputSpeakerArrangement() { return nullptr; }
void* AudioEffectX::openWindow(VstWindow*) { return nullptr; }
bool AudioEffectX::closeWindow(VstWindow*) { return false; }
bool AudioEffectX::getChunkFile(void*) { return false; }
