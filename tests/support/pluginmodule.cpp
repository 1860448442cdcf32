#include "pluginmodule.h"

#include "recordinghost.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>

#if defined(_WIN32)
#include <windows.h>
#else
#include <dlfcn.h>
#endif

namespace {

void* openModule(const char* path) {
#if defined(_WIN32)
    return reinterpret_cast<void*>(LoadLibraryA(path));
#else
    return dlopen(path, RTLD_NOW | RTLD_LOCAL);
#endif
}

PluginEntry findEntry(void* handle, const char* name) {
#if defined(_WIN32)
    return reinterpret_cast<PluginEntry>(
        reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(handle), name)));
#else
    return reinterpret_cast<PluginEntry>(dlsym(handle, name));
#endif
}

} // namespace

PluginModule::PluginModule(const std::string& path) {
    handle = openModule(path.c_str());
    if (handle == nullptr) {
        std::fprintf(stderr, "cannot load the plug-in module %s\n", path.c_str());
        std::abort();
    }
    vstPluginMain = findEntry(handle, "VSTPluginMain");
    main = findEntry(handle, "main");
}

Instance::Instance(const PluginModule& module) : effect(module.entry()(RecordingHost::callback)) {
    if (effect == nullptr) ADD_FAILURE() << "the entry returned no effect";
}

Instance::~Instance() {
    if (effect != nullptr) close();
}

VstIntPtr Instance::dispatch(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr,
                             float opt) const {
    return effect->dispatcher(effect, opcode, index, value, ptr, opt);
}

void Instance::setParameter(VstInt32 index, float value) const {
    effect->setParameter(effect, index, value);
}

float Instance::getParameter(VstInt32 index) const { return effect->getParameter(effect, index); }

std::vector<float> Instance::process(const std::vector<float>& left,
                                     const std::vector<float>& right, int blockSize) const {
    const auto frames = static_cast<int>(std::min(left.size(), right.size()));
    std::vector<float> out0(static_cast<size_t>(frames), -7.0f);
    std::vector<float> out1(static_cast<size_t>(frames), 7.0f);
    for (int at = 0; at < frames; at += blockSize) {
        const int n = std::min(blockSize, frames - at);
        float* ins[2] = {const_cast<float*>(left.data() + at),
                         const_cast<float*>(right.data() + at)};
        float* outs[2] = {out0.data() + at, out1.data() + at};
        effect->processReplacing(effect, ins, outs, n);
    }
    EXPECT_EQ(0, std::memcmp(out0.data(), out1.data(), out0.size() * sizeof(float)))
        << "output channels differ";
    return out0;
}

void Instance::start(float sampleRate, VstInt32 blockSize) const {
    dispatch(effOpen);
    dispatch(effSetSampleRate, 0, 0, nullptr, sampleRate);
    dispatch(effSetBlockSize, 0, blockSize);
    dispatch(effMainsChanged, 0, 1);
}

VstIntPtr Instance::close() {
    const VstIntPtr answer = dispatch(effClose);
    effect = nullptr;
    return answer;
}

std::string Instance::text(VstInt32 opcode, VstInt32 index) const {
    char buffer[256] = {};
    dispatch(opcode, index, 0, buffer);
    return std::string(buffer, strnlen(buffer, sizeof(buffer)));
}
