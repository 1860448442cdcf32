// What the audio thread may rely on: processReplacing allocates nothing and leaves the thread's
// floating-point control state as it found it.

#include "allocationcount.h"
#include "recordinghost.h"
#include "slopecrushmodule.h"
#include "vst2plugin.h"

#include <gtest/gtest.h>

#include <cfenv>
#include <memory>
#include <vector>

#if defined(__SSE__) || defined(_M_X64) || defined(__x86_64__)
#include <xmmintrin.h>
#define SLOPECRUSH_HAVE_MXCSR 1
// The control bits of MXCSR (rounding, flush-to-zero, denormals-are-zero, exception masks); the
// low six bits are sticky status flags that any arithmetic may raise.
unsigned controlBits() { return _mm_getcsr() & ~0x3Fu; }
#endif

namespace {

// Runs a few thousand blocks of varying size with parameter changes in between, through the
// record's function pointers; the allocations made meanwhile.
long runBlocks(AEffect* effect) {
    std::vector<float> left(4096);
    std::vector<float> right(4096);
    for (size_t i = 0; i < left.size(); ++i) {
        left[i] = static_cast<float>(i % 97) / 48.0f - 1.0f;
        right[i] = static_cast<float>(i % 31) / 15.0f - 1.0f;
    }
    float* ins[2] = {left.data(), right.data()};
    std::vector<float> out0(4096);
    std::vector<float> out1(4096);
    float* outs[2] = {out0.data(), out1.data()};
    startCountingAllocations();
    for (int block = 0; block < 3000; ++block) {
        effect->setParameter(effect, 1, static_cast<float>(block % 17) / 16.0f);
        effect->setParameter(effect, 0, static_cast<float>(block % 5) / 4.0f);
        effect->processReplacing(effect, ins, outs, 1 + (block * 37) % 4096);
        (void)effect->getParameter(effect, block % 3);
    }
    return stopCountingAllocations();
}

TEST(Realtime, ProcessingAllocatesNothing) {
    RecordingHost host;
    std::unique_ptr<AudioEffect> effect(createEffectInstance(RecordingHost::callback));
    ASSERT_NE(effect, nullptr);
    EXPECT_EQ(runBlocks(effect->getAeffect()), 0);
}

TEST(Realtime, TheCountingAllocatorSeesAllocations) {
    startCountingAllocations();
    auto probe = std::make_unique<DeltaModEffect>(nullptr);
    EXPECT_EQ(stopCountingAllocations(), 1);
}

TEST(Realtime, TheModuleAllocatesNothingWhileProcessing) {
    RecordingHost host;
    startCountingAllocations();
    Instance effect(slopeCrushModule());
    const long made = stopCountingAllocations();
#if defined(_WIN32)
    GTEST_SKIP() << "a DLL keeps its own allocator; the linked-in test above covers processing";
#endif
    ASSERT_GE(made, 1) << "the module's allocations are not seen by this test";
    effect.start();
    EXPECT_EQ(runBlocks(effect.get()), 0);
}

TEST(Realtime, FloatingPointControlStateIsLeftAlone) {
    RecordingHost host;
    Instance effect(slopeCrushModule());
    effect.start();
    for (int mode : {FE_TONEAREST, FE_UPWARD, FE_TOWARDZERO}) {
        std::fesetround(mode);
#ifdef SLOPECRUSH_HAVE_MXCSR
        const unsigned before = controlBits();
#endif
        (void)runBlocks(effect.get());
        EXPECT_EQ(std::fegetround(), mode);
#ifdef SLOPECRUSH_HAVE_MXCSR
        EXPECT_EQ(controlBits(), before);
#endif
    }
    std::fesetround(FE_TONEAREST);
#ifdef SLOPECRUSH_HAVE_MXCSR
    // A host that runs with flush-to-zero and denormals-are-zero keeps them.
    const unsigned hostState = _mm_getcsr();
    _mm_setcsr(hostState | 0x8040);
    (void)runBlocks(effect.get());
    EXPECT_EQ(controlBits(), (hostState | 0x8040) & ~0x3Fu);
    _mm_setcsr(hostState);
#endif
}

} // namespace
