#include "recordinghost.h"

namespace {
RecordingHost* current = nullptr;
}

RecordingHost::RecordingHost() : previous(current) {
    answers[audioMasterVersion] = kVstVersion;
    current = this;
}

RecordingHost::~RecordingHost() { current = previous; }

VstIntPtr VSTCALLBACK RecordingHost::callback(AEffect* effect, VstInt32 opcode, VstInt32 index,
                                              VstIntPtr value, void* ptr, float opt) {
    RecordingHost* host = current;
    if (host == nullptr) return 0;
    const HostCall call{effect, opcode, index, value, ptr, opt};
    host->calls.push_back(call);
    if (host->onCall) host->onCall(call);
    const auto found = host->answers.find(opcode);
    return found != host->answers.end() ? found->second : host->defaultAnswer;
}

std::vector<HostCall> RecordingHost::callsWith(VstInt32 opcode) const {
    std::vector<HostCall> matching;
    for (const HostCall& call : calls)
        if (call.opcode == opcode) matching.push_back(call);
    return matching;
}
