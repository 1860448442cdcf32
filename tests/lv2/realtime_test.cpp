// What the audio thread may rely on in the LV2 edition: run and connect_port allocate nothing.

#include "allocationcount.h"
#include "lv2bundle.h"

#include <gtest/gtest.h>

#include <lv2/core/lv2.h>

#include <vector>

namespace {

TEST(Lv2Realtime, RunAndConnectPortAllocateNothing) {
    LilvInstance* found = lilv_plugin_instantiate(lv2Bundle().plugin, 44100.0, nullptr);
    ASSERT_NE(found, nullptr);
    const LV2_Descriptor* d = lilv_instance_get_descriptor(found);
    const LV2_Feature* const none[] = {nullptr};
    startCountingAllocations();
    LV2_Handle lv2 = d->instantiate(d, 44100.0, SLOPECRUSH_LV2_BUNDLE, none);
    ASSERT_GE(stopCountingAllocations(), 1) << "the module's allocations are not seen by this test";
    std::vector<float> in(4096, 0.25f);
    std::vector<float> out(4096);
    float controls[2] = {};
    d->activate(lv2);
    startCountingAllocations();
    for (int block = 0; block < 3000; ++block) {
        controls[0] = static_cast<float>(block % 9) * 9.0f - 60.0f;
        controls[1] = static_cast<float>(block % 17);
        for (std::uint32_t port = 0; port < 6; ++port)
            d->connect_port(lv2, port,
                            port < 2   ? in.data()
                            : port < 4 ? out.data()
                                       : &controls[port - 4]);
        d->run(lv2, 1 + (block * 37) % 4096);
    }
    EXPECT_EQ(stopCountingAllocations(), 0);
    d->cleanup(lv2);
    lilv_instance_free(found);
}

} // namespace
