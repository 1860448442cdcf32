// Stand-in plug-in modules for what the real one never does. Built once per variant:
//   MOCK_RECORDING    a pass-through effect that logs every call its host makes, in order, to the
//                     file named by MOCK_PLUGIN_LOG, and raises SIGINT (or the signals numbered by
//                     MOCK_PLUGIN_SIGNAL, "15" or "15,2", one after the other) in the processing
//                     call numbered by MOCK_PLUGIN_INTERRUPT_AT (counted from 1; "stop": when it is
//                     switched off after the last one); or, instead, creates the file (or, with a
//                     final '/', the folder) MOCK_PLUGIN_CREATE then
//   MOCK_NULL_EFFECT  an entry that creates no effect
//   MOCK_BAD_MAGIC    an entry that returns a record without the 'VstP' magic
//   MOCK_NO_ENTRY     a library that exports neither VSTPluginMain nor main

#include "aeffect.h"

#include <sys/stat.h>

#include <csignal>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#define MOCK_EXPORT extern "C" __attribute__((visibility("default")))

#if defined(MOCK_RECORDING)

namespace {

struct Mock {
    AEffect record{};
    audioMasterCallback host = nullptr;
    std::FILE* log = nullptr;
    float parameters[2] = {0.25f, 0.5f};
    int processCalls = 0;
    int interruptAt = 0; // -1: when switched off
    const char* signals = "2";
    const char* create = nullptr;

    void interrupt() {
        if (create != nullptr && create[0] != '\0' && create[std::strlen(create) - 1] == '/') {
            mkdir(create, 0755);
        } else if (create != nullptr) {
            if (std::FILE* file = std::fopen(create, "w")) std::fclose(file);
        } else {
            char* next = nullptr;
            for (const char* at = signals;; at = next + 1) {
                std::raise(static_cast<int>(std::strtol(at, &next, 10)));
                if (*next != ',') break;
            }
        }
    }

    void say(const char* format, ...) __attribute__((format(printf, 2, 3))) {
        va_list args;
        va_start(args, format);
        std::vfprintf(log, format, args);
        va_end(args);
        std::fputc('\n', log);
        std::fflush(log);
    }
};

Mock* mockOf(AEffect* effect) { return static_cast<Mock*>(effect->object); }

void copyText(void* ptr, const char* text) { std::strcpy(static_cast<char*>(ptr), text); }

VstIntPtr dispatcher(AEffect* effect, VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr,
                     float opt) {
    Mock* mock = mockOf(effect);
    const bool knownParameter = index == 0 || index == 1;
    switch (opcode) {
    case effOpen:
        mock->say("open");
        return 0;
    case effClose:
        mock->say("close");
        std::fclose(mock->log);
        delete mock;
        return 1;
    case effSetSampleRate:
        mock->say("sampleRate %g", static_cast<double>(opt));
        return 0;
    case effSetBlockSize:
        mock->say("blockSize %ld", static_cast<long>(value));
        return 0;
    case effMainsChanged:
        mock->say("mains %ld", static_cast<long>(value));
        if (value == 0 && mock->interruptAt == -1) mock->interrupt();
        if (value != 0)
            mock->say(
                "host says sampleRate %ld blockSize %ld",
                static_cast<long>(mock->host(effect, audioMasterGetSampleRate, 0, 0, nullptr, 0)),
                static_cast<long>(mock->host(effect, audioMasterGetBlockSize, 0, 0, nullptr, 0)));
        return 0;
    case effGetEffectName:
        copyText(ptr, "Mock Effect");
        return 1;
    case effGetVendorString:
        copyText(ptr, "Test Vendor");
        return 1;
    case effGetProductString:
        copyText(ptr, "Mock\x1b[31mProduct"); // a terminal escape the host must not pass on
        return 1;
    case effGetVendorVersion:
        return 4321;
    case effGetParamName:
        if (knownParameter) copyText(ptr, index == 0 ? "Left" : "Right");
        return 0;
    case effGetParamLabel:
        if (knownParameter) copyText(ptr, "%");
        return 0;
    case effGetParamDisplay:
        if (knownParameter)
            std::snprintf(static_cast<char*>(ptr), 9, "%.1f", 100.0 * mock->parameters[index]);
        return 0;
    default:
        mock->say("opcode %d", opcode);
        return 0;
    }
}

void setParameter(AEffect* effect, VstInt32 index, float value) {
    Mock* mock = mockOf(effect);
    mock->say("setParameter %d %.9g", index, static_cast<double>(value));
    if (index == 0 || index == 1) mock->parameters[index] = value;
}

float getParameter(AEffect* effect, VstInt32 index) {
    return index == 0 || index == 1 ? mockOf(effect)->parameters[index] : 0.0f;
}

void processReplacing(AEffect* effect, float** inputs, float** outputs, VstInt32 frames) {
    Mock* mock = mockOf(effect);
    mock->say("process %d", frames);
    for (int c = 0; c < 2; ++c)
        std::memcpy(outputs[c], inputs[c], sizeof(float) * frames);
    if (++mock->processCalls == mock->interruptAt) mock->interrupt();
}

} // namespace

MOCK_EXPORT AEffect* VSTPluginMain(audioMasterCallback host) {
    auto* mock = new Mock;
    mock->host = host;
    const char* logPath = std::getenv("MOCK_PLUGIN_LOG");
    mock->log = std::fopen(logPath != nullptr ? logPath : "/dev/null", "a");
    const char* interruptAt = std::getenv("MOCK_PLUGIN_INTERRUPT_AT");
    mock->interruptAt = interruptAt == nullptr                  ? 0
                        : std::strcmp(interruptAt, "stop") == 0 ? -1
                                                                : std::atoi(interruptAt);
    mock->create = std::getenv("MOCK_PLUGIN_CREATE");
    if (const char* signals = std::getenv("MOCK_PLUGIN_SIGNAL")) mock->signals = signals;
    const VstIntPtr version = host(nullptr, audioMasterVersion, 0, 0, nullptr, 0.0f);
    mock->say("entry, host version %ld", static_cast<long>(version));

    AEffect& record = mock->record;
    record.magic = kEffectMagic;
    record.dispatcher = dispatcher;
    record.setParameter = setParameter;
    record.getParameter = getParameter;
    record.processReplacing = processReplacing;
    record.numPrograms = 1;
    record.numParams = 2;
    record.numInputs = 2;
    record.numOutputs = 2;
    record.flags = effFlagsCanReplacing;
    record.object = mock;
    record.uniqueID = fourCharCode("Mock");
    record.version = static_cast<VstInt32>(version); // --info shows what the host answered
    return &record;
}

#elif defined(MOCK_NULL_EFFECT)

MOCK_EXPORT AEffect* VSTPluginMain(audioMasterCallback /*host*/) { return nullptr; }

#elif defined(MOCK_BAD_MAGIC)

MOCK_EXPORT AEffect* VSTPluginMain(audioMasterCallback /*host*/) {
    static AEffect notARecord{}; // all zero: no magic
    return &notARecord;
}

#elif defined(MOCK_NO_ENTRY)

MOCK_EXPORT int somethingElse() { return 42; }

#else
#error "choose a mock variant"
#endif
