// What the audio thread may rely on in the CLAP edition: process and flush allocate nothing,
// also when they take a state the main thread loaded.

#include "allocationcount.h"
#include "claphost.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace {

TEST(ClapRealtime, ProcessAndFlushAllocateNothing) {
    startCountingAllocations();
    const auto instance = std::make_unique<ClapInstance>();
#if defined(_WIN32)
    GTEST_SKIP() << "a DLL keeps its own allocator, which this program cannot count";
#endif
    ASSERT_GE(stopCountingAllocations(), 2) << "the module's allocations are not seen by this test";
    const std::vector<unsigned char> state = instance->save(24);
    std::vector<EventList> events(17);
    for (std::uint32_t i = 0; i < events.size(); ++i)
        events[i].value(i, 0, i * 4.0 - 60.0).value(i * 3, 1, i).other(i, 0);
    std::vector<float> in(4096, 0.25f);
    std::vector<float> out(4096);
    long allocations = 0;
    for (int block = 0; block < 3000; ++block) {
        if (block % 100 == 0) {
            if (block > 0) allocations += stopCountingAllocations();
            ASSERT_TRUE(instance->load(state, 24)); // the next call on the audio thread takes it
            startCountingAllocations();
        }
        const EventList& list = events[block % events.size()];
        if (block % 5 == 0)
            instance->flush(list);
        else
            instance->process(in.data(), in.data(), out.data(), out.data(), 1 + (block * 37) % 4096,
                              &list);
    }
    allocations += stopCountingAllocations();
    EXPECT_EQ(allocations, 0);
}

} // namespace
