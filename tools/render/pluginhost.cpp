#include "pluginhost.h"

#include "failure.h"

#include <dlfcn.h>

#include <array>
#include <cstring>

namespace {

using PluginEntry = AEffect*(VSTCALLBACK*)(audioMasterCallback);

// Sanity bounds on what a record may announce before this host allocates channels for it.
constexpr VstInt32 kMaxChannels = 64;

PluginEntry findEntry(void* library, const char* name) {
    return reinterpret_cast<PluginEntry>(dlsym(library, name));
}

} // namespace

PluginHost::PluginHost(const std::string& path) : libraryPath(path) {
    // dlopen searches the library path for a bare name; a person means the file here.
    const std::string openPath = path.find('/') == std::string::npos ? "./" + path : path;
    library = dlopen(openPath.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (library == nullptr) {
        const char* why = dlerror();
        throw Failure(ExitCode::Plugin, "cannot load the plug-in: " +
                                            std::string(why != nullptr ? why : path.c_str()));
    }
    try {
        PluginEntry entry = findEntry(library, "VSTPluginMain");
        if (entry == nullptr) entry = findEntry(library, "main"); // older plug-ins
        if (entry == nullptr)
            throw Failure(ExitCode::Plugin, "'" + path +
                                                "' is not a VST 2.4 plug-in: it exports neither "
                                                "VSTPluginMain nor main");
        effect = entry(&PluginHost::callback);
        if (effect == nullptr)
            throw Failure(ExitCode::Plugin,
                          "the plug-in '" + path + "' created no effect (its entry returned null)");
        if (effect->magic != kEffectMagic) {
            effect = nullptr; // not a record: nothing in it may be called
            throw Failure(ExitCode::Plugin,
                          "'" + path +
                              "' is not a VST 2.4 plug-in: its entry returned a record "
                              "without the 'VstP' magic");
        }
        if (effect->dispatcher == nullptr) {
            effect = nullptr;
            throw Failure(ExitCode::Plugin,
                          "the plug-in '" + path + "' returned a record without a dispatcher");
        }
        effect->user = this;
        dispatch(effOpen);

        if ((effect->flags & effFlagsCanReplacing) == 0 || effect->processReplacing == nullptr)
            throw Failure(ExitCode::Plugin, "the plug-in '" + path +
                                                "' does not offer processReplacing, the only "
                                                "processing call this host makes");
        if (effect->numInputs < 0 || effect->numInputs > kMaxChannels || effect->numOutputs < 1 ||
            effect->numOutputs > kMaxChannels)
            throw Failure(ExitCode::Plugin, "the plug-in '" + path + "' announces " +
                                                std::to_string(effect->numInputs) + " inputs and " +
                                                std::to_string(effect->numOutputs) +
                                                " outputs; this host drives 0 to 64 inputs and 1 "
                                                "to 64 outputs");
    } catch (...) {
        if (effect != nullptr) effect->dispatcher(effect, effClose, 0, 0, nullptr, 0.0f);
        dlclose(library);
        throw;
    }
}

PluginHost::~PluginHost() {
    if (running) stop();
    dispatch(effClose); // the effect destroys itself here
    effect = nullptr;
    dlclose(library);
}

void PluginHost::start(double rate, int maxBlockFrames) {
    sampleRate = rate;
    blockFrames = maxBlockFrames;
    dispatch(effSetSampleRate, 0, 0, nullptr, static_cast<float>(rate));
    dispatch(effSetBlockSize, 0, maxBlockFrames);
    dispatch(effMainsChanged, 0, 1);
    running = true;
}

void PluginHost::stop() {
    dispatch(effMainsChanged, 0, 0);
    running = false;
}

void PluginHost::setParameter(int index, float value) {
    effect->setParameter(effect, index, value);
}

float PluginHost::parameter(int index) const { return effect->getParameter(effect, index); }

void PluginHost::process(float** in, float** out, int frames) {
    effect->processReplacing(effect, in, out, frames);
}

VstIntPtr PluginHost::dispatch(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr,
                               float opt) const {
    return effect->dispatcher(effect, opcode, index, value, ptr, opt);
}

std::string PluginHost::text(VstInt32 opcode, VstInt32 index) const {
    std::array<char, 512> buffer{};
    dispatch(opcode, index, 0, buffer.data());
    buffer.back() = 0;
    std::string answer(buffer.data());
    // A plug-in's text goes to a terminal: nothing in it may act as a control sequence.
    for (char& c : answer)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = '?';
    return answer;
}

VstIntPtr VSTCALLBACK PluginHost::callback(AEffect* effect, VstInt32 opcode, VstInt32 /*index*/,
                                           VstIntPtr /*value*/, void* /*ptr*/, float /*opt*/) {
    // The effect is null while the entry runs; afterwards user leads back to its host.
    const auto* host = effect != nullptr ? static_cast<const PluginHost*>(effect->user) : nullptr;
    switch (opcode) {
    case audioMasterVersion:
        return kVstVersion;
    case audioMasterGetSampleRate:
        return host != nullptr ? static_cast<VstIntPtr>(host->sampleRate) : 0;
    case audioMasterGetBlockSize:
        return host != nullptr ? host->blockFrames : 0;
    default:
        return 0;
    }
}
