// A host callback that records every request an effect sends and answers from a table, so tests
// can check exactly what reached the host. One RecordingHost is "current" at a time.
#pragma once

#include "aeffect.h"

#include <functional>
#include <map>
#include <vector>

struct HostCall {
    AEffect* effect;
    VstInt32 opcode;
    VstInt32 index;
    VstIntPtr value;
    void* ptr;
    float opt;
};

class RecordingHost {
public:
    RecordingHost();  // becomes the current host
    ~RecordingHost(); // the previous host becomes current again
    RecordingHost(const RecordingHost&) = delete;
    RecordingHost& operator=(const RecordingHost&) = delete;

    // The function a plug-in receives; forwards to the current host.
    static VstIntPtr VSTCALLBACK callback(AEffect* effect, VstInt32 opcode, VstInt32 index,
                                          VstIntPtr value, void* ptr, float opt);

    // The answer to an opcode; audioMasterVersion answers 2400 and everything else 0 unless set.
    void answer(VstInt32 opcode, VstIntPtr result) { answers[opcode] = result; }
    void answerEverything(VstIntPtr result) { defaultAnswer = result; }
    // Called for every request after it was recorded (for checks that must run inside the call).
    std::function<void(const HostCall&)> onCall;

    std::vector<HostCall> calls;
    std::vector<HostCall> callsWith(VstInt32 opcode) const;

private:
    std::map<VstInt32, VstIntPtr> answers;
    VstIntPtr defaultAnswer = 0;
    RecordingHost* previous;
};
