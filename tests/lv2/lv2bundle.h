// The built SlopeCrush.lv2 bundle, loaded by lilv as a host loads it, from the build's output
// folder only (never a copy installed elsewhere).
#pragma once

#include <lilv/lilv.h>

#include <memory>

struct NodeFree {
    void operator()(LilvNode* node) const { lilv_node_free(node); }
};
using Node = std::unique_ptr<LilvNode, NodeFree>;

class Lv2Bundle {
public:
    Lv2Bundle() : world(lilv_world_new()) {
        const Node bundle(lilv_new_file_uri(world, nullptr, SLOPECRUSH_LV2_BUNDLE));
        lilv_world_load_bundle(world, bundle.get());
        const Node uri(this->uri("urn:tervik:slopecrush"));
        plugin = lilv_plugins_get_by_uri(lilv_world_get_all_plugins(world), uri.get());
    }
    ~Lv2Bundle() { lilv_world_free(world); }
    Lv2Bundle(const Lv2Bundle&) = delete;
    Lv2Bundle& operator=(const Lv2Bundle&) = delete;

    Node uri(const char* text) const { return Node(lilv_new_uri(world, text)); }

    LilvWorld* world;
    const LilvPlugin* plugin = nullptr; // null when the bundle does not hold the plug-in
};

// The bundle every test of a program shares; loaded once.
inline const Lv2Bundle& lv2Bundle() {
    static const Lv2Bundle bundle;
    return bundle;
}
