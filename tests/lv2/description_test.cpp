// What lilv reads from the bundle: the one URI, the identity a host lists, and the six ports with
// the ranges, units and rate labels the effect itself has, so the Turtle cannot drift from it.

#include "deltamodfacts.h"
#include "lv2bundle.h"
#include "numbertext.h"

#include <gtest/gtest.h>

#include <lv2/core/lv2.h>
#include <lv2/units/units.h>

#include <dlfcn.h>

#include <set>
#include <string>

namespace {

// A node's text, freeing the node.
std::string text(LilvNode* node) {
    std::string value = node ? lilv_node_as_string(node) : "(none)";
    lilv_node_free(node);
    return value;
}

TEST(Lv2Description, OneStablePluginThatHostsMayRunInPlaceInRealTime) {
    const Lv2Bundle& bundle = lv2Bundle();
    ASSERT_NE(bundle.plugin, nullptr) << "urn:tervik:slopecrush is not in " SLOPECRUSH_LV2_BUNDLE;
    EXPECT_EQ(lilv_plugins_size(lilv_world_get_all_plugins(bundle.world)), 1u);
    // Hosts that ask the module itself, index by index, must find it once too.
    void* module = dlopen(SLOPECRUSH_LV2_BUNDLE "SlopeCrush.so", RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(module, nullptr) << dlerror();
    const auto descriptor =
        reinterpret_cast<LV2_Descriptor_Function>(dlsym(module, "lv2_descriptor"));
    EXPECT_NE(descriptor(0), nullptr);
    EXPECT_EQ(descriptor(1), nullptr);
    EXPECT_TRUE(lilv_plugin_verify(bundle.plugin));
    EXPECT_EQ(text(lilv_plugin_get_name(bundle.plugin)), "SlopeCrush");
    EXPECT_EQ(text(lilv_plugin_get_author_name(bundle.plugin)), "Tervik");
    auto says = [&](const char* property, const char* object) {
        return lilv_world_ask(bundle.world, lilv_plugin_get_uri(bundle.plugin),
                              bundle.uri(property).get(), bundle.uri(object).get());
    };
    EXPECT_TRUE(says(LILV_NS_RDF "type", LV2_CORE__DistortionPlugin));
    EXPECT_TRUE(says("http://usefulinc.com/ns/doap#license", "http://spdx.org/licenses/MIT"));
    EXPECT_TRUE(says(LV2_CORE__optionalFeature, LV2_CORE__hardRTCapable));
    EXPECT_FALSE(lilv_plugin_has_feature(bundle.plugin, bundle.uri(LV2_CORE__inPlaceBroken).get()));
    LilvNodes* required = lilv_plugin_get_required_features(bundle.plugin);
    EXPECT_EQ(lilv_nodes_size(required), 0u);
    lilv_nodes_free(required);
    auto get = [&](const char* property) {
        return text(lilv_world_get(bundle.world, lilv_plugin_get_uri(bundle.plugin),
                                   bundle.uri(property).get(), nullptr));
    };
    // Hosts take a zero minor version, or an odd minor or micro one, for a development release.
    EXPECT_EQ(get(LV2_CORE__minorVersion), std::to_string(SLOPECRUSH_LV2_MINOR_VERSION));
    EXPECT_EQ(get(LV2_CORE__microVersion), std::to_string(SLOPECRUSH_LV2_MICRO_VERSION));
    EXPECT_TRUE(SLOPECRUSH_LV2_MINOR_VERSION > 0 && SLOPECRUSH_LV2_MINOR_VERSION % 2 == 0);
    EXPECT_EQ(SLOPECRUSH_LV2_MICRO_VERSION % 2, 0);
}

TEST(Lv2Description, SixPortsWithTheEffectsRangesAndRates) {
    const Lv2Bundle& bundle = lv2Bundle();
    ASSERT_NE(bundle.plugin, nullptr);
    const LilvPlugin* plugin = bundle.plugin;
    struct Expected {
        const char* symbol;
        const char* type;
        const char* direction;
    };
    const Expected expected[] = {
        {"in_left", LV2_CORE__AudioPort, LV2_CORE__InputPort},
        {"in_right", LV2_CORE__AudioPort, LV2_CORE__InputPort},
        {"out_left", LV2_CORE__AudioPort, LV2_CORE__OutputPort},
        {"out_right", LV2_CORE__AudioPort, LV2_CORE__OutputPort},
        {"gain", LV2_CORE__ControlPort, LV2_CORE__InputPort},
        {"pitch", LV2_CORE__ControlPort, LV2_CORE__InputPort},
    };
    ASSERT_EQ(lilv_plugin_get_num_ports(plugin), 6u);
    for (std::uint32_t i = 0; i < 6; ++i) {
        const LilvPort* port = lilv_plugin_get_port_by_index(plugin, i);
        EXPECT_STREQ(lilv_node_as_string(lilv_port_get_symbol(plugin, port)), expected[i].symbol);
        EXPECT_TRUE(lilv_port_is_a(plugin, port, bundle.uri(expected[i].type).get())) << i;
        EXPECT_TRUE(lilv_port_is_a(plugin, port, bundle.uri(expected[i].direction).get())) << i;
    }

    float minimum[6];
    float maximum[6];
    float initial[6];
    lilv_plugin_get_port_ranges_float(plugin, minimum, maximum, initial);
    EXPECT_EQ(minimum[4], static_cast<float>(deltamod::kMinGainDb));
    EXPECT_EQ(maximum[4], static_cast<float>(deltamod::kMaxGainDb));
    EXPECT_EQ(initial[4], 0.0f);
    EXPECT_EQ(minimum[5], 0.0f);
    EXPECT_EQ(maximum[5], static_cast<float>(deltamod::kMaxRateIndex));
    EXPECT_EQ(initial[5], static_cast<float>(deltamod::kDefaultRateIndex));

    const LilvPort* gain = lilv_plugin_get_port_by_index(plugin, 4);
    const LilvPort* pitch = lilv_plugin_get_port_by_index(plugin, 5);
    LilvNodes* units = lilv_port_get_value(plugin, gain, bundle.uri(LV2_UNITS__unit).get());
    EXPECT_TRUE(lilv_nodes_contains(units, bundle.uri(LV2_UNITS__db).get()));
    lilv_nodes_free(units);
    EXPECT_TRUE(lilv_port_has_property(plugin, pitch, bundle.uri(LV2_CORE__integer).get()));
    EXPECT_TRUE(lilv_port_has_property(plugin, pitch, bundle.uri(LV2_CORE__enumeration).get()));

    // One label per rate index, each the rate as the VST edition displays it.
    LilvScalePoints* points = lilv_port_get_scale_points(plugin, pitch);
    std::set<int> indices;
    LILV_FOREACH(scale_points, it, points) {
        const LilvScalePoint* point = lilv_scale_points_get(points, it);
        const int index = lilv_node_as_int(lilv_scale_point_get_value(point)); // 0 if not an int
        if (index < 0 || index >= deltamod::kNumRates || !indices.insert(index).second) {
            ADD_FAILURE() << "scale point " << index << " is not a new rate index";
            continue;
        }
        char rate[16] = {};
        numbertext::floatText(deltamod::kRatesHz[index], rate, 8);
        EXPECT_EQ(lilv_node_as_string(lilv_scale_point_get_label(point)),
                  std::string(rate) + " Hz");
    }
    lilv_scale_points_free(points);
    EXPECT_EQ(indices.size(), static_cast<size_t>(deltamod::kNumRates));
}

} // namespace
