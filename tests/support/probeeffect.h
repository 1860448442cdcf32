// A framework effect that writes down which virtual operation the dispatchers reached and with
// which arguments, and answers what the test asks. The host's pointer argument is printed as
// "ptr" when it is the test's token, so a routing table reads like the call it expects.
#pragma once

#include "aeffeditor.h"
#include "audioeffectx.h"

#include <sstream>
#include <string>
#include <type_traits>
#include <vector>

class ProbeEffect : public AudioEffectX {
public:
    // Counts of construction, close and destruction, for lifecycle tests.
    static inline int destroyed = 0;

    explicit ProbeEffect(audioMasterCallback audioMaster = nullptr, VstInt32 numPrograms = 1,
                         VstInt32 numParams = 2)
        : AudioEffectX(audioMaster, numPrograms, numParams) {}
    ~ProbeEffect() override {
        if (sharedLog != nullptr) sharedLog->emplace_back("~ProbeEffect");
        ++destroyed;
    }

    void* token = nullptr;  // the pointer the test passes as ptr
    void* token2 = nullptr; // the pointer the test passes in value, printed "ptr2"
    VstInt32 number = 7;    // what integer operations answer
    bool yes = true;        // what bool operations answer
    VstInt32 canDoAnswer = 0;
    std::vector<std::string> log;
    std::vector<std::string>* sharedLog = nullptr; // survives the object, for effClose

    // Lets tests reach protected state and attach an editor.
    AEffect& record() { return cEffect; }
    float sampleRateNow() const { return sampleRate; }
    VstInt32 blockSizeNow() const { return blockSize; }
    VstInt32 programNow() const { return curProgram; }
    void attach(AEffEditor* newEditor) { editor = newEditor; }

    void processReplacing(float**, float**, VstInt32 n) override { note("processReplacing", n); }
    void processDoubleReplacing(double**, double**, VstInt32 n) override {
        note("processDoubleReplacing", n);
    }
    void process(float**, float**, VstInt32 n) override { note("process", n); }
    void setParameter(VstInt32 index, float value) override { note("setParameter", index, value); }
    float getParameter(VstInt32 index) override {
        note("getParameter", index);
        return 0.125f;
    }

    void open() override { note("open"); }
    void close() override { note("close"); }
    void suspend() override { note("suspend"); }
    void resume() override {
        note("resume");
        AudioEffectX::resume();
    }
    void setSampleRate(float rate) override {
        note("setSampleRate", rate);
        AudioEffectX::setSampleRate(rate);
    }
    void setBlockSize(VstInt32 size) override {
        note("setBlockSize", size);
        AudioEffectX::setBlockSize(size);
    }
    VstInt32 getProgram() override { return note("getProgram"), number; }
    void setProgram(VstInt32 program) override {
        note("setProgram", program);
        AudioEffectX::setProgram(program);
    }
    void setProgramName(char* name) override { note("setProgramName", name); }
    void getProgramName(char* name) override { note("getProgramName", name); }
    void getParameterLabel(VstInt32 i, char* t) override { note("getParameterLabel", i, t); }
    void getParameterDisplay(VstInt32 i, char* t) override { note("getParameterDisplay", i, t); }
    void getParameterName(VstInt32 i, char* t) override { note("getParameterName", i, t); }
    VstInt32 getChunk(void** data, bool isPreset) override {
        return note("getChunk", data, isPreset), number;
    }
    VstInt32 setChunk(void* data, VstInt32 size, bool isPreset) override {
        return note("setChunk", data, size, isPreset), number;
    }

    VstInt32 processEvents(VstEvents* e) override { return note("processEvents", e), number; }
    bool canParameterBeAutomated(VstInt32 i) override {
        return note("canParameterBeAutomated", i), yes;
    }
    bool string2parameter(VstInt32 i, char* t) override {
        return note("string2parameter", i, t), yes;
    }
    bool getProgramNameIndexed(VstInt32 category, VstInt32 i, char* t) override {
        return note("getProgramNameIndexed", category, i, t), yes;
    }
    bool getInputProperties(VstInt32 i, VstPinProperties* p) override {
        return note("getInputProperties", i, p), yes;
    }
    bool getOutputProperties(VstInt32 i, VstPinProperties* p) override {
        return note("getOutputProperties", i, p), yes;
    }
    VstPlugCategory getPlugCategory() override {
        return note("getPlugCategory"), static_cast<VstPlugCategory>(number);
    }
    bool offlineNotify(VstAudioFile* p, VstInt32 n, bool start) override {
        return note("offlineNotify", p, n, start), yes;
    }
    bool offlinePrepare(VstOfflineTask* p, VstInt32 n) override {
        return note("offlinePrepare", p, n), yes;
    }
    bool offlineRun(VstOfflineTask* p, VstInt32 n) override {
        return note("offlineRun", p, n), yes;
    }
    bool processVariableIo(VstVariableIo* p) override { return note("processVariableIo", p), yes; }
    bool setSpeakerArrangement(VstSpeakerArrangement* in, VstSpeakerArrangement* out) override {
        return note("setSpeakerArrangement", in, out), yes;
    }
    bool setBypass(bool on) override { return note("setBypass", on), yes; }
    bool getEffectName(char* t) override { return note("getEffectName", t), yes; }
    bool getVendorString(char* t) override { return note("getVendorString", t), yes; }
    bool getProductString(char* t) override { return note("getProductString", t), yes; }
    VstInt32 getVendorVersion() override { return note("getVendorVersion"), number; }
    VstIntPtr vendorSpecific(VstInt32 a, VstIntPtr b, void* p, float f) override {
        return note("vendorSpecific", a, b, p, f), number;
    }
    VstInt32 canDo(char* t) override { return note("canDo", t), canDoAnswer; }
    VstInt32 getGetTailSize() override { return note("getGetTailSize"), number; }
    bool getParameterProperties(VstInt32 i, VstParameterProperties* p) override {
        return note("getParameterProperties", i, p), yes;
    }
    VstInt32 getVstVersion() override { return note("getVstVersion"), number; }
    VstInt32 getMidiProgramName(VstInt32 c, MidiProgramName* p) override {
        return note("getMidiProgramName", c, p), number;
    }
    VstInt32 getCurrentMidiProgram(VstInt32 c, MidiProgramName* p) override {
        return note("getCurrentMidiProgram", c, p), number;
    }
    VstInt32 getMidiProgramCategory(VstInt32 c, MidiProgramCategory* p) override {
        return note("getMidiProgramCategory", c, p), number;
    }
    bool hasMidiProgramsChanged(VstInt32 c) override {
        return note("hasMidiProgramsChanged", c), yes;
    }
    bool getMidiKeyName(VstInt32 c, MidiKeyName* p) override {
        return note("getMidiKeyName", c, p), yes;
    }
    bool beginSetProgram() override { return note("beginSetProgram"), yes; }
    bool endSetProgram() override { return note("endSetProgram"), yes; }
    bool getSpeakerArrangement(VstSpeakerArrangement** in, VstSpeakerArrangement** out) override {
        return note("getSpeakerArrangement", in, out), yes;
    }
    VstInt32 getNextShellPlugin(char* t) override { return note("getNextShellPlugin", t), number; }
    VstInt32 startProcess() override { return note("startProcess"), number; }
    VstInt32 stopProcess() override { return note("stopProcess"), number; }
    VstInt32 setTotalSampleToProcess(VstInt32 v) override {
        return note("setTotalSampleToProcess", v), number;
    }
    bool setPanLaw(VstInt32 type, float gain) override {
        return note("setPanLaw", type, gain), yes;
    }
    VstInt32 beginLoadBank(VstPatchChunkInfo* p) override {
        return note("beginLoadBank", p), number;
    }
    VstInt32 beginLoadProgram(VstPatchChunkInfo* p) override {
        return note("beginLoadProgram", p), number;
    }
    bool setProcessPrecision(VstInt32 p) override { return note("setProcessPrecision", p), yes; }
    VstInt32 getNumMidiInputChannels() override { return note("getNumMidiInputChannels"), number; }
    VstInt32 getNumMidiOutputChannels() override {
        return note("getNumMidiOutputChannels"), number;
    }
    void wantEvents(VstInt32 filter) override {
        note("wantEvents", filter);
        AudioEffectX::wantEvents(filter);
    }

    // The operations the host cannot reach: the dispatchers must never call them.
    VstInt32 getNumCategories() override { return note("getNumCategories"), number; }
    bool copyProgram(VstInt32 d) override { return note("copyProgram", d), yes; }
    void setBlockSizeAndSampleRate(VstInt32 b, float s) override {
        note("setBlockSizeAndSampleRate", b, s);
    }
    bool getErrorText(char* t) override { return note("getErrorText", t), yes; }
    void* getIcon() override { return note("getIcon"), token; }
    bool setViewPosition(VstInt32 x, VstInt32 y) override {
        return note("setViewPosition", x, y), yes;
    }
    VstInt32 fxIdle() override { return note("fxIdle"), number; }
    bool keysRequired() override { return note("keysRequired"), yes; }
    float getVu() override { return note("getVu"), 1.0f; }

private:
    template <typename... Args> void note(const char* name, Args... args) {
        std::ostringstream line;
        line << name << '(';
        [[maybe_unused]] const char* separator = "";
        ((line << separator << show(args), separator = ","), ...);
        line << ')';
        log.push_back(line.str());
        if (sharedLog != nullptr) sharedLog->push_back(line.str());
    }
    template <typename T> std::string show(T value) const {
        std::ostringstream text;
        if constexpr (std::is_pointer_v<T>) {
            const void* p = value;
            text << (p == nullptr ? "null" : p == token ? "ptr" : p == token2 ? "ptr2" : "other");
        } else if constexpr (std::is_same_v<T, bool>) {
            text << (value ? "true" : "false");
        } else {
            text << value;
        }
        return text.str();
    }
};

// An editor that writes down what the dispatchers asked of it.
class ProbeEditor : public AEffEditor {
public:
    explicit ProbeEditor(std::vector<std::string>& log, bool answer = true)
        : log(log), answer(answer) {}
    ~ProbeEditor() override { log.emplace_back("~ProbeEditor"); }
    bool getRect(ERect** rect) override {
        log.emplace_back(rect != nullptr ? "getRect(ptr)" : "getRect(null)");
        return answer;
    }
    bool open(void* window) override {
        log.emplace_back(window != nullptr ? "editor.open(ptr)" : "editor.open(null)");
        return answer;
    }
    void close() override { log.emplace_back("editor.close()"); }
    void idle() override { log.emplace_back("editor.idle()"); }
    bool onKeyDown(VstKeyCode& key) override { return record("onKeyDown", key); }
    bool onKeyUp(VstKeyCode& key) override { return record("onKeyUp", key); }
    bool setKnobMode(VstInt32 mode) override {
        log.push_back("setKnobMode(" + std::to_string(mode) + ")");
        return answer;
    }

private:
    bool record(const char* name, const VstKeyCode& key) {
        log.push_back(std::string(name) + "(" + std::to_string(key.character) + "," +
                      std::to_string(key.virt) + "," + std::to_string(key.modifier) + ")");
        return answer;
    }
    std::vector<std::string>& log;
    bool answer;
};
