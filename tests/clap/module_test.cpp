// What a host learns from the module before it processes: the entry, the factory, the plug-in's
// descriptor and its audio ports.

#include "claphost.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

TEST(ClapModule, EntryCountsInitsAndOffersOnlyThePluginFactory) {
    const clap_plugin_entry& entry = clapEntry(); // initialised once
    EXPECT_EQ(entry.clap_version.major, 1u);
    EXPECT_EQ(entry.get_factory("clap.preset-discovery-factory"), nullptr);
    EXPECT_EQ(entry.get_factory(nullptr), nullptr);

    ASSERT_TRUE(entry.init(SLOPECRUSH_CLAP_PATH));
    entry.deinit();
    EXPECT_NE(entry.get_factory(CLAP_PLUGIN_FACTORY_ID), nullptr) << "one init is still open";
    entry.deinit();
    EXPECT_EQ(entry.get_factory(CLAP_PLUGIN_FACTORY_ID), nullptr) << "every init was matched";
    entry.deinit(); // one too many: must not count below zero
    ASSERT_TRUE(entry.init(SLOPECRUSH_CLAP_PATH));
    EXPECT_EQ(entry.get_factory(CLAP_PLUGIN_FACTORY_ID), &clapFactory());
}

TEST(ClapModule, DescribesOnePluginAndRefusesForeignIdsAndHosts) {
    const clap_plugin_factory& factory = clapFactory();
    ASSERT_EQ(factory.get_plugin_count(&factory), 1u);
    EXPECT_EQ(factory.get_plugin_descriptor(&factory, 1), nullptr);
    const clap_plugin_descriptor* d = factory.get_plugin_descriptor(&factory, 0);
    ASSERT_NE(d, nullptr);
    EXPECT_EQ(d->clap_version.major, 1u);
    EXPECT_STREQ(d->id, "com.tervik.slopecrush");
    EXPECT_STREQ(d->name, "SlopeCrush");
    EXPECT_STREQ(d->vendor, "Tervik");
    EXPECT_STREQ(d->version, SLOPECRUSH_VERSION);
    ASSERT_NE(d->description, nullptr);
    EXPECT_GT(std::string(d->description).size(), 10u);
    std::vector<std::string> features;
    for (const char* const* f = d->features; *f != nullptr; ++f)
        features.emplace_back(*f);
    EXPECT_EQ(features, (std::vector<std::string>{"audio-effect", "distortion", "stereo"}));

    const clap_host host = testHost();
    const clap_host future = testHost({2, 0, 0});
    EXPECT_EQ(factory.create_plugin(&factory, &host, "com.tervik.slopecrush2"), nullptr);
    EXPECT_EQ(factory.create_plugin(&factory, &host, nullptr), nullptr);
    EXPECT_EQ(factory.create_plugin(&factory, &future, "com.tervik.slopecrush"), nullptr);
    EXPECT_EQ(factory.create_plugin(&factory, nullptr, "com.tervik.slopecrush"), nullptr);
    EXPECT_EQ(hostCallCount(), 0);
}

TEST(ClapModule, OneStereoInPlacePairOf32BitMainPorts) {
    const ClapInstance instance;
    const clap_plugin* p = instance.plugin;
    EXPECT_EQ(p->get_extension(p, "clap.gui"), nullptr);
    const auto* ports =
        static_cast<const clap_plugin_audio_ports*>(p->get_extension(p, CLAP_EXT_AUDIO_PORTS));
    ASSERT_NE(ports, nullptr);
    clap_audio_port_info info[2] = {}; // output, input
    for (const bool input : {true, false}) {
        clap_audio_port_info& port = info[input ? 1 : 0];
        ASSERT_EQ(ports->count(p, input), 1u);
        EXPECT_FALSE(ports->get(p, 1, input, &port));
        ASSERT_TRUE(ports->get(p, 0, input, &port));
        EXPECT_EQ(port.flags, CLAP_AUDIO_PORT_IS_MAIN) << "main, and no 64-bit samples";
        EXPECT_EQ(port.channel_count, 2u);
        EXPECT_STREQ(port.port_type, "stereo");
        EXPECT_NE(port.name[0], 0);
    }
    EXPECT_EQ(info[0].in_place_pair, info[1].id);
    EXPECT_EQ(info[1].in_place_pair, info[0].id);
}

} // namespace
