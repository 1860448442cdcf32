// The module's only export, clap_entry, and the factory that holds its one plug-in.

#include "clap.h"
#include "clapplugin.h"
#include "identity.h"

#include <atomic>
#include <cstring>

#if defined(_WIN32)
#define CLAP_EXPORT __declspec(dllexport)
#else
#define CLAP_EXPORT __attribute__((visibility("default")))
#endif

namespace {

// Hosts store the id in their documents, so it never changes.
const char* const kPluginId = deltamod::kClapId;
const char* const kFeatures[] = {"audio-effect", "distortion", "stereo", nullptr};

const clap_plugin_descriptor kDescriptor = {
    CLAP_VERSION_1_2,
    kPluginId,
    deltamod::kEffectName,
    deltamod::kVendor,
    "",
    "",
    "",
    deltamod::kVersion,
    deltamod::kDescription,
    kFeatures,
};

// Calls of init not yet matched by deinit; the factory is offered only in between.
std::atomic<int> initCount{0};

// Any thread; never blocks or allocates.
std::uint32_t CLAP_ABI pluginCount(const clap_plugin_factory* /*factory*/) { return 1; }

// Any thread; never blocks or allocates.
const clap_plugin_descriptor* CLAP_ABI pluginDescriptor(const clap_plugin_factory* /*factory*/,
                                                        std::uint32_t index) {
    return index == 0 ? &kDescriptor : nullptr;
}

// Main thread; allocates the instance and never calls the host.
const clap_plugin* CLAP_ABI createPlugin(const clap_plugin_factory* /*factory*/,
                                         const clap_host* host, const char* pluginId) {
    if (host == nullptr || host->clap_version.major != 1 || pluginId == nullptr ||
        std::strcmp(pluginId, kPluginId) != 0)
        return nullptr;
    return clapplugin::create(&kDescriptor, host);
}

const clap_plugin_factory kFactory = {pluginCount, pluginDescriptor, createPlugin};

// Main thread; never blocks or allocates. There is nothing to set up, so every call succeeds.
bool CLAP_ABI entryInit(const char* /*pluginPath*/) {
    initCount.fetch_add(1);
    return true;
}

// Main thread; never blocks or allocates. A deinit without its init changes nothing.
void CLAP_ABI entryDeinit() {
    int count = initCount.load();
    while (count > 0 && !initCount.compare_exchange_weak(count, count - 1)) {
    }
}

// Any thread; never blocks or allocates.
const void* CLAP_ABI factory(const char* factoryId) {
    if (initCount.load() <= 0 || factoryId == nullptr) return nullptr;
    return std::strcmp(factoryId, CLAP_PLUGIN_FACTORY_ID) == 0 ? &kFactory : nullptr;
}

} // namespace

extern "C" CLAP_EXPORT const clap_plugin_entry clap_entry = {CLAP_VERSION_1_2, entryInit,
                                                             entryDeinit, factory};
