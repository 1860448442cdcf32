// The host side of one plug-in instance: loads a VST 2.4 plug-in library at run time, creates the
// effect through the library's entry and drives it only through the AEffect record it returns.
//
// Everything runs on the calling thread; the plug-in is opened on construction and closed (and
// its library unloaded) on destruction.
#pragma once

#include "aeffect.h"

#include <string>

class PluginHost {
public:
    // Loads the library at path and opens one effect. Throws Failure (ExitCode::Plugin) when the
    // library cannot be loaded, has no entry, the entry gives no effect, or the record is not one
    // this host can drive.
    explicit PluginHost(const std::string& path);
    ~PluginHost();
    PluginHost(const PluginHost&) = delete;
    PluginHost& operator=(const PluginHost&) = delete;

    const std::string& path() const { return libraryPath; }
    const AEffect& record() const { return *effect; }
    int inputs() const { return effect->numInputs; }
    int outputs() const { return effect->numOutputs; }

    // Sample rate, largest block, mains on: the effect is ready to process.
    void start(double sampleRate, int maxBlockFrames);
    // Mains off; the effect keeps its parameters and can be started again.
    void stop();

    void setParameter(int index, float value);
    float parameter(int index) const;
    // Runs processReplacing once; inputs() input and outputs() output channels, at most the
    // block size given to start().
    void process(float** in, float** out, int frames);

    VstIntPtr dispatch(VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0,
                       void* ptr = nullptr, float opt = 0.0f) const;
    // A text answer (name, label, display, vendor...), read from a generous zeroed buffer so a
    // plug-in that writes past the interface's limits cannot run off its end.
    std::string text(VstInt32 opcode, VstInt32 index = 0) const;

    // The host callback handed to the entry. Answers the version question with 2400 and the
    // sample rate and block size questions with the current settings; everything else with 0.
    // Any thread the plug-in calls it from; never blocks or allocates.
    static VstIntPtr VSTCALLBACK callback(AEffect* effect, VstInt32 opcode, VstInt32 index,
                                          VstIntPtr value, void* ptr, float opt);

private:
    std::string libraryPath;
    void* library = nullptr;
    AEffect* effect = nullptr;
    double sampleRate = 44100.0;
    int blockFrames = 1024;
    bool running = false;
};
