// What the audio thread may rely on: processReplacing allocates nothing and leaves the thread's
// floating-point control state as it found it.

#include "deltamodeffect.h"
#include "recordinghost.h"
#include "slopecrushmodule.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cfenv>
#include <cstdlib>
#include <memory>
#include <new>
#include <vector>

#if defined(__SSE__) || defined(_M_X64) || defined(__x86_64__)
#include <xmmintrin.h>
#define SLOPECRUSH_HAVE_MXCSR 1
// The control bits of MXCSR (rounding, flush-to-zero, denormals-are-zero, exception masks); the
// low six bits are sticky status flags that any arithmetic may raise.
unsigned controlBits() { return _mm_getcsr() & ~0x3Fu; }
#endif

namespace {
std::atomic<bool> counting{false};
std::atomic<long> allocations{0};
} // namespace

// These replacements pair malloc with free by design; GCC's inliner cannot see that once it has
// inlined a replaced operator delete next to a replaced operator new.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
#endif

// Every allocation of this test program passes here; only those made while counting count.
void* operator new(std::size_t size) {
    if (counting.load()) ++allocations;
    if (void* p = std::malloc(size == 0 ? 1 : size)) return p;
    throw std::bad_alloc();
}
void* operator new[](std::size_t size) { return operator new(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    if (counting.load()) ++allocations;
    return std::malloc(size == 0 ? 1 : size);
}
void* operator new[](std::size_t size, const std::nothrow_t& tag) noexcept {
    return operator new(size, tag);
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }

namespace {

// Runs a few thousand blocks of varying size with parameter changes in between, through the
// record's function pointers.
void runBlocks(AEffect* effect) {
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
    counting = true;
    for (int block = 0; block < 3000; ++block) {
        effect->setParameter(effect, 1, static_cast<float>(block % 17) / 16.0f);
        effect->setParameter(effect, 0, static_cast<float>(block % 5) / 4.0f);
        effect->processReplacing(effect, ins, outs, 1 + (block * 37) % 4096);
        (void)effect->getParameter(effect, block % 3);
    }
    counting = false;
}

TEST(Realtime, ProcessingAllocatesNothing) {
    RecordingHost host;
    std::unique_ptr<AudioEffect> effect(createEffectInstance(RecordingHost::callback));
    ASSERT_NE(effect, nullptr);
    allocations = 0;
    runBlocks(effect->getAeffect());
    EXPECT_EQ(allocations.load(), 0);
}

TEST(Realtime, TheCountingAllocatorSeesAllocations) {
    allocations = 0;
    counting = true;
    auto probe = std::make_unique<DeltaModEffect>(nullptr);
    counting = false;
    EXPECT_EQ(allocations.load(), 1);
}

TEST(Realtime, TheModuleAllocatesNothingWhileProcessing) {
    RecordingHost host;
    allocations = 0;
    counting = true;
    Instance effect(slopeCrushModule());
    counting = false;
#if defined(_WIN32)
    GTEST_SKIP() << "a DLL keeps its own allocator; the linked-in test above covers processing";
#endif
    ASSERT_GE(allocations.load(), 1) << "the module's allocations are not seen by this test";
    effect.start();
    allocations = 0;
    runBlocks(effect.get());
    EXPECT_EQ(allocations.load(), 0);
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
        runBlocks(effect.get());
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
    runBlocks(effect.get());
    EXPECT_EQ(controlBits(), (hostState | 0x8040) & ~0x3Fu);
    _mm_setcsr(hostState);
#endif
}

} // namespace
