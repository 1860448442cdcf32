// Hosts built by other compilers: they call a 32-bit Windows plug-in with the stack aligned to 4
// bytes only, and some leave the x87 precision at 24 bits. Through the module's entry and record,
// such a host must get the audio, texts and parameter values, to the bit, that a host calling from
// an aligned stack at the default precision gets.

#include "recordinghost.h"
#include "slopecrushmodule.h"
#include "testsignals.h"

#include <gtest/gtest.h>

#include <float.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

// Calls the __cdecl function with `count` 32-bit argument words, first word lowest, and with the
// stack pointer at the call `offset` bytes below a 16-byte boundary (an aligned caller has it on
// the boundary). Returns eax. When floatResult is not null, the function returns a float, which
// it leaves in st(0), and it is stored there.
extern "C" __attribute__((naked)) std::uint32_t
misalignedCall(const void* /*function*/, const std::uint32_t* /*words*/, std::uint32_t /*count*/,
               std::uint32_t /*offset*/, float* /*floatResult*/) {
    __asm__(R"(
    pushl %ebp
    movl %esp, %ebp
    pushl %esi
    pushl %edi
    pushl %ebx
    movl 12(%ebp), %esi      # the argument words
    movl 16(%ebp), %ecx      # their count
    leal 0(,%ecx,4), %eax
    movl %esp, %edi
    subl %eax, %edi          # room for the arguments below the saved registers,
    andl $-16, %edi          # down to a 16-byte boundary,
    subl 20(%ebp), %edi      # less the offset
    movl %edi, %esp
    cld
    rep movsl                # copy the arguments to the new stack top
    call *8(%ebp)
    movl 24(%ebp), %ecx      # eax holds the result; keep it
    testl %ecx, %ecx
    jz 1f
    fstps (%ecx)
1:
    leal -12(%ebp), %esp     # the callee may leave the stack anywhere below the saved registers
    popl %ebx
    popl %edi
    popl %esi
    popl %ebp
    ret
    )");
}

namespace {

std::uint32_t word(const void* pointer) {
    return static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(pointer));
}
std::uint32_t word(std::int32_t value) { return static_cast<std::uint32_t>(value); }
std::uint32_t word(float value) {
    std::uint32_t bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}
template <typename Function> const void* address(Function function) {
    return reinterpret_cast<const void*>(function);
}

// A host that makes every call into the plug-in with its stack pointer `offset` bytes off a
// 16-byte boundary.
class OffsetHost {
public:
    explicit OffsetHost(std::uint32_t offset) : offset(offset) {}

    AEffect* entry(PluginEntry main) const {
        const std::uint32_t words[] = {word(address(RecordingHost::callback))};
        const std::uint32_t record = misalignedCall(address(main), words, 1, offset, nullptr);
        return reinterpret_cast<AEffect*>(record); // NOLINT(performance-no-int-to-ptr)
    }
    VstIntPtr dispatch(AEffect* effect, VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0,
                       void* ptr = nullptr, float opt = 0.0f) const {
        const std::uint32_t words[] = {word(effect), word(opcode), word(index),
                                       word(value),  word(ptr),    word(opt)};
        return static_cast<VstIntPtr>(
            misalignedCall(address(effect->dispatcher), words, 6, offset, nullptr));
    }
    void setParameter(AEffect* effect, VstInt32 index, float value) const {
        const std::uint32_t words[] = {word(effect), word(index), word(value)};
        misalignedCall(address(effect->setParameter), words, 3, offset, nullptr);
    }
    float getParameter(AEffect* effect, VstInt32 index) const {
        const std::uint32_t words[] = {word(effect), word(index)};
        float value = 0.0f;
        misalignedCall(address(effect->getParameter), words, 2, offset, &value);
        return value;
    }
    void processReplacing(AEffect* effect, float** inputs, float** outputs, VstInt32 frames) const {
        const std::uint32_t words[] = {word(effect), word(inputs), word(outputs), word(frames)};
        misalignedCall(address(effect->processReplacing), words, 4, offset, nullptr);
    }

private:
    std::uint32_t offset;
};

constexpr VstInt32 kBlock = 256;
constexpr int kSteps = 32; // every rate twice, and 32 different gains

struct Session {
    std::vector<std::string> texts;
    std::vector<std::uint32_t> parameterBits; // what getParameter answered
    std::vector<float> audio;                 // both outputs of every block
};

// A host's whole life with one instance: start-up, names, then blocks of audio with both
// parameters set, read back and displayed before each, then switch-off and close.
Session play(const OffsetHost& host, const std::vector<float>& left,
             const std::vector<float>& right) {
    Session session;
    AEffect* effect = host.entry(slopeCrushModule().entry());
    if (effect == nullptr) {
        ADD_FAILURE() << "the entry returned no effect";
        return session;
    }
    const auto text = [&](VstInt32 opcode, VstInt32 index) {
        char buffer[256] = {};
        host.dispatch(effect, opcode, index, 0, buffer);
        session.texts.emplace_back(buffer, strnlen(buffer, sizeof buffer));
    };

    host.dispatch(effect, effOpen);
    host.dispatch(effect, effSetSampleRate, 0, 0, nullptr, 48000.0f);
    host.dispatch(effect, effSetBlockSize, 0, kBlock);
    host.dispatch(effect, effMainsChanged, 0, 1);
    for (VstInt32 opcode :
         {effGetEffectName, effGetVendorString, effGetProductString, effGetProgramName})
        text(opcode, 0);
    for (VstInt32 index : {0, 1}) {
        text(effGetParamName, index);
        text(effGetParamLabel, index);
    }

    std::vector<float> out0(kBlock);
    std::vector<float> out1(kBlock);
    for (int step = 0; step < kSteps; ++step) {
        host.setParameter(effect, 0, static_cast<float>(step + 1) / (kSteps + 1));
        host.setParameter(effect, 1, static_cast<float>(step % 16) / 15.0f);
        for (VstInt32 index : {0, 1}) {
            session.parameterBits.push_back(word(host.getParameter(effect, index)));
            text(effGetParamDisplay, index);
        }
        float* inputs[2] = {const_cast<float*>(left.data()) + step * kBlock,
                            const_cast<float*>(right.data()) + step * kBlock};
        float* outputs[2] = {out0.data(), out1.data()};
        host.processReplacing(effect, inputs, outputs, kBlock);
        session.audio.insert(session.audio.end(), out0.begin(), out0.end());
        session.audio.insert(session.audio.end(), out1.begin(), out1.end());
    }

    host.dispatch(effect, effMainsChanged, 0, 0);
    host.dispatch(effect, effClose);
    return session;
}

// Texts one by one, parameters whole, audio by bits naming the first sample that differs.
void expectSame(const Session& reference, const Session& session) {
    ASSERT_EQ(session.texts.size(), reference.texts.size());
    for (size_t i = 0; i < reference.texts.size(); ++i)
        EXPECT_EQ(session.texts[i], reference.texts[i]) << "text " << i;
    EXPECT_EQ(session.parameterBits, reference.parameterBits);
    ASSERT_EQ(session.audio.size(), reference.audio.size());
    for (size_t i = 0; i < reference.audio.size(); ++i)
        if (word(session.audio[i]) != word(reference.audio[i])) {
            ADD_FAILURE() << "sample " << i << " is " << session.audio[i] << ", not "
                          << reference.audio[i];
            return;
        }
}

} // namespace

TEST(ForeignHost, MisalignedStackAndShortX87PrecisionGiveTheSameSession) {
    RecordingHost recorder;
    const std::vector<float> left = noise(kSteps * kBlock, 41);
    const std::vector<float> right = noise(kSteps * kBlock, 42);
    const Session reference = play(OffsetHost(0), left, right);
    ASSERT_EQ(reference.texts.size(), 8u + 2u * kSteps);
    ASSERT_NE(std::count(reference.audio.begin(), reference.audio.end(), 0.0f),
              static_cast<std::ptrdiff_t>(reference.audio.size()))
        << "the reference is silent: nothing to compare";

    for (std::uint32_t offset : {4u, 8u, 12u}) {
        SCOPED_TRACE("stack misaligned by " + std::to_string(offset));
        expectSame(reference, play(OffsetHost(offset), left, right));
    }

    SCOPED_TRACE("x87 precision 24 bits, stack misaligned by 4");
    const unsigned int before = _controlfp(0, 0);
    _controlfp(_PC_24, _MCW_PC);
    const Session session = play(OffsetHost(4), left, right);
    const unsigned int after = _controlfp(0, 0);
    _controlfp(before, _MCW_PC);
    EXPECT_EQ(after & _MCW_PC, static_cast<unsigned int>(_PC_24))
        << "the plug-in did not give the host its x87 precision back";
    expectSame(reference, session);
}
