// AudioEffect: the base class of every effect. It embeds the AEffect record handed to the host,
// fills it, turns the host's calls (through static trampolines) into virtual calls and gives every
// virtual operation a default.
//
// Threads: the host decides. Unless a line says otherwise, an operation is called from the host's
// main (UI) thread and may block or allocate; the audio thread calls only processReplacing,
// processDoubleReplacing, setParameter and getParameter, which never block or allocate.
#pragma once

#include "aeffect.h"

class AEffEditor;

class AudioEffect {
public:
    AudioEffect(audioMasterCallback audioMaster, VstInt32 numPrograms, VstInt32 numParams);
    virtual ~AudioEffect();
    AudioEffect(const AudioEffect&) = delete;
    AudioEffect& operator=(const AudioEffect&) = delete;

    // Main thread: opcodes 0 to 24; everything else answers 0.
    virtual VstIntPtr dispatcher(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr,
                                 float opt);

    virtual void open() {}    // main thread
    virtual void close() {}   // main thread, just before the object is destroyed
    virtual void suspend() {} // main thread; the audio thread is stopped
    virtual void resume() {}  // main thread; the audio thread is stopped
    virtual void setSampleRate(float newSampleRate) { sampleRate = newSampleRate; } // main thread
    virtual void setBlockSize(VstInt32 newBlockSize) { blockSize = newBlockSize; }  // main thread

    // Audio thread; never blocks or allocates.
    virtual void processReplacing(float** inputs, float** outputs, VstInt32 sampleFrames) = 0;
    // Audio thread; never blocks or allocates.
    virtual void processDoubleReplacing(double** /*inputs*/, double** /*outputs*/,
                                        VstInt32 /*sampleFrames*/) {}

    virtual void setParameter(VstInt32 /*index*/, float /*value*/) {} // any thread; lock-free
    virtual float getParameter(VstInt32 /*index*/) { return 0.0f; }   // any thread; lock-free
    // Any thread; sets the parameter, then tells the host (which may block).
    virtual void setParameterAutomated(VstInt32 index, float value);

    virtual VstInt32 getProgram() { return curProgram; }                              // main thread
    virtual void setProgram(VstInt32 program) { curProgram = program; }               // main thread
    virtual void setProgramName(char* /*name*/) {}                                    // main thread
    virtual void getProgramName(char* name) { name[0] = 0; }                          // main thread
    virtual void getParameterLabel(VstInt32 /*index*/, char* label) { label[0] = 0; } // main
    virtual void getParameterDisplay(VstInt32 /*index*/, char* text) { text[0] = 0; } // main
    virtual void getParameterName(VstInt32 /*index*/, char* text) { text[0] = 0; }    // main
    virtual VstInt32 getChunk(void** /*data*/, bool /*isPreset*/ = false) { return 0; } // main
    virtual VstInt32 setChunk(void* /*data*/, VstInt32 /*byteSize*/, bool /*isPreset*/ = false) {
        return 0; // main thread
    }

    // Set up by the effect's constructor; they only describe the effect to the host.
    virtual void setUniqueID(VstInt32 iD) { cEffect.uniqueID = iD; }
    virtual void setNumInputs(VstInt32 inputs) { cEffect.numInputs = inputs; }
    virtual void setNumOutputs(VstInt32 outputs) { cEffect.numOutputs = outputs; }
    virtual void canProcessReplacing(bool state = true) { setFlag(effFlagsCanReplacing, state); }
    virtual void canDoubleReplacing(bool state = true) {
        setFlag(effFlagsCanDoubleReplacing, state);
    }
    virtual void programsAreChunks(bool state = true) { setFlag(effFlagsProgramChunks, state); }
    virtual void setInitialDelay(VstInt32 delay) { cEffect.initialDelay = delay; }

    virtual AEffEditor* getEditor() { return editor; }
    virtual AEffect* getAeffect() { return &cEffect; }
    virtual float getSampleRate() { return sampleRate; }
    virtual VstInt32 getBlockSize() { return blockSize; }

    // Questions to the host; each calls the host callback (main thread).
    virtual VstInt32 getMasterVersion();
    virtual VstInt32 getCurrentUniqueId();
    virtual void masterIdle();

    // Value-to-text tools: write at most maxLen characters and a zero at text[maxLen], nothing
    // beyond. Any thread; they never block or allocate.
    virtual void dB2string(float value, char* text, VstInt32 maxLen);
    virtual void Hz2string(float samples, char* text, VstInt32 maxLen);
    virtual void ms2string(float samples, char* text, VstInt32 maxLen);
    virtual void float2string(float value, char* text, VstInt32 maxLen);
    virtual void int2string(VstInt32 value, char* text, VstInt32 maxLen);

    // The deprecated accumulating call; this framework leaves the outputs alone (audio thread).
    virtual void process(float** /*inputs*/, float** /*outputs*/, VstInt32 /*sampleFrames*/) {}
    virtual float getVu() { return 0.0f; }
    virtual void hasVu(bool state = true) { setFlag(effFlagsHasVu, state); }
    virtual void hasClip(bool state = true) { setFlag(effFlagsHasClip, state); }
    virtual void canMono(bool state = true) { setFlag(effFlagsCanMono, state); }
    virtual void setRealtimeQualities(VstInt32 qualities) { cEffect.realQualities = qualities; }
    virtual void setOfflineQualities(VstInt32 qualities) { cEffect.offQualities = qualities; }
    virtual bool isInputConnected(VstInt32 input);   // main thread; asks the host
    virtual bool isOutputConnected(VstInt32 output); // main thread; asks the host

protected:
    void setFlag(VstInt32 flag, bool state) {
        cEffect.flags = state ? (cEffect.flags | flag) : (cEffect.flags & ~flag);
    }

    audioMasterCallback audioMaster;
    AEffEditor* editor = nullptr;
    float sampleRate = 44100.0f;
    VstInt32 blockSize = 1024;
    VstInt32 numPrograms;
    VstInt32 numParams;
    VstInt32 curProgram = 0;
    AEffect cEffect;

private:
    // The record's function pointers: each finds the object through effect->object.
    static VstIntPtr VSTCALLBACK dispatchEffectClass(AEffect* effect, VstInt32 opcode,
                                                     VstInt32 index, VstIntPtr value, void* ptr,
                                                     float opt);
    static void VSTCALLBACK processClass(AEffect* effect, float** inputs, float** outputs,
                                         VstInt32 sampleFrames);
    static void VSTCALLBACK setParameterClass(AEffect* effect, VstInt32 index, float value);
    static float VSTCALLBACK getParameterClass(AEffect* effect, VstInt32 index);
    static void VSTCALLBACK processClassReplacing(AEffect* effect, float** inputs, float** outputs,
                                                  VstInt32 sampleFrames);
    static void VSTCALLBACK processClassDoubleReplacing(AEffect* effect, double** inputs,
                                                        double** outputs, VstInt32 sampleFrames);
};

// Provided by the effect: creates one instance for the entry, or answers null when it cannot.
AudioEffect* createEffectInstance(audioMasterCallback audioMaster);
