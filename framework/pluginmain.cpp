// The library's only export: the entry a host calls once per effect instance it wants.

#include "audioeffect.h"

#if defined(_WIN32)
#define VST_EXPORT __declspec(dllexport)
#else
#define VST_EXPORT __attribute__((visibility("default")))
#endif

// Any thread (hosts usually use their main thread); allocates one effect.
extern "C" VST_EXPORT AEffect* VSTCALLBACK VSTPluginMain(audioMasterCallback audioMaster) {
    // A host that does not answer the version question is too old to drive the effect.
    if (audioMaster == nullptr ||
        audioMaster(nullptr, audioMasterVersion, 0, 0, nullptr, 0.0f) == 0)
        return nullptr;
    AudioEffect* effect = createEffectInstance(audioMaster);
    return effect != nullptr ? effect->getAeffect() : nullptr;
}

#if defined(_WIN32)
// Windows exports the same function a second time as "main" through the module-definition file.
#include <windows.h>

// Loader lock held: nothing to set up or tear down.
BOOL WINAPI DllMain(HINSTANCE /*instance*/, DWORD /*reason*/, LPVOID /*reserved*/) { return TRUE; }
#elif !defined(SLOPECRUSH_NO_MAIN_ALIAS) // a fuzzing program has a main of its own
// Older hosts look for "main". C++ reserves that name for the program's entry, so the alias is
// bound to the symbol by its assembler name.
extern "C" VST_EXPORT AEffect* VSTCALLBACK
vstMainAlias(audioMasterCallback audioMaster) __asm__("main");
extern "C" AEffect* VSTCALLBACK vstMainAlias(audioMasterCallback audioMaster) {
    return VSTPluginMain(audioMaster);
}
#endif
