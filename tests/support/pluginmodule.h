// Loads a built plug-in module at run time, exactly as a host does, and drives instances of it
// only through the record the entry returns.
#pragma once

#include "aeffect.h"

#include <string>
#include <vector>

using PluginEntry = AEffect*(VSTCALLBACK*)(audioMasterCallback);

class PluginModule {
public:
    // The module at path (on Windows a bare file name is looked for beside the test program);
    // a module that does not load ends the test program.
    explicit PluginModule(const std::string& path);
    ~PluginModule() = default; // the module stays loaded, as hosts usually keep it
    PluginModule(const PluginModule&) = delete;
    PluginModule& operator=(const PluginModule&) = delete;

    PluginEntry entry() const { return vstPluginMain; } // "VSTPluginMain"
    PluginEntry mainEntry() const { return main; }      // "main"

private:
    void* handle = nullptr;
    PluginEntry vstPluginMain = nullptr;
    PluginEntry main = nullptr;
};

// One effect instance created through the module's entry with the current RecordingHost, closed
// with effClose when it goes out of scope (unless the test closed it already).
class Instance {
public:
    explicit Instance(const PluginModule& module);
    ~Instance();
    Instance(const Instance&) = delete;
    Instance& operator=(const Instance&) = delete;

    AEffect* operator->() const { return effect; }
    AEffect* get() const { return effect; }

    VstIntPtr dispatch(VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0,
                       void* ptr = nullptr, float opt = 0.0f) const;
    void setParameter(VstInt32 index, float value) const;
    float getParameter(VstInt32 index) const;
    // Runs processReplacing over separate left/right buffers; returns the left output and checks
    // that the right output equals it.
    std::vector<float> process(const std::vector<float>& left, const std::vector<float>& right,
                               int blockSize = 512) const;
    // The standard start-up sequence: open, sample rate, block size, mains on.
    void start(float sampleRate = 44100.0f, VstInt32 blockSize = 512) const;
    // Sends effClose and forgets the record.
    VstIntPtr close();

    std::string text(VstInt32 opcode, VstInt32 index = 0) const; // a text answer, 256-byte buffer

private:
    AEffect* effect;
};
