// Fuzzes the plug-in the way a careless or hostile host would: any opcode with any index, value
// and option, parameters with any float bits, blocks of any length and any samples, closes and
// fresh instances. After every call it checks what the interface promises: text operations write
// nothing beyond their n + 1 bytes, other calls write nothing through ptr, both outputs are the
// same, and every output sample is finite and within the converter's range.

#include "aeffect.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

extern "C" AEffect* VSTCALLBACK VSTPluginMain(audioMasterCallback audioMaster);

namespace {

constexpr int kMaxFrames = 4096;
constexpr std::size_t kGuard = 64; // sentinel bytes behind every text the effect may write
constexpr unsigned char kSentinel = 0xA7;

VstIntPtr VSTCALLBACK host(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void*, float) {
    return opcode == audioMasterVersion ? kVstVersion : 0;
}

[[noreturn]] void fail(const char* what, VstInt32 opcode) {
    std::fprintf(stderr, "broken promise: %s (opcode %d)\n", what, opcode);
    std::abort();
}

// How many bytes an opcode may write into ptr: n + 1 for the text operations, 0 for every
// opcode that takes no buffer to fill.
int writableBytes(VstInt32 opcode) {
    switch (opcode) {
    case effGetParamLabel:
    case effGetParamDisplay:
    case effGetParamName:
        return 9;
    case effGetProgramName:
        return 25;
    case effGetEffectName:
        return 33;
    case effGetVendorString:
    case effGetProductString:
        return 65;
    default:
        return 0;
    }
}

class Session {
public:
    explicit Session(FuzzedDataProvider& in) : in(in) { effect = VSTPluginMain(host); }
    ~Session() {
        if (effect != nullptr) effect->dispatcher(effect, effClose, 0, 0, nullptr, 0.0f);
    }

    void step() {
        if (effect == nullptr) fail("the entry returned no effect", -1);
        switch (in.ConsumeIntegralInRange(0, 5)) {
        case 0:
        case 1:
            dispatch();
            break;
        case 2:
            effect->setParameter(effect, index(), anyFloat());
            break;
        case 3:
            (void)effect->getParameter(effect, index());
            break;
        case 4:
            process();
            break;
        default:
            if (effect->dispatcher(effect, effClose, 0, 0, nullptr, 0.0f) != 1)
                fail("effClose must answer 1", effClose);
            effect = VSTPluginMain(host);
            break;
        }
    }

private:
    VstInt32 index() {
        return in.ConsumeBool() ? in.ConsumeIntegralInRange<VstInt32>(-2, 3)
                                : in.ConsumeIntegral<VstInt32>();
    }
    float anyFloat() {
        const auto bits = in.ConsumeIntegral<std::uint32_t>();
        float value;
        std::memcpy(&value, &bits, sizeof value);
        return value;
    }

    void dispatch() {
        const VstInt32 opcode = in.ConsumeBool() ? in.ConsumeIntegralInRange<VstInt32>(-1, 81)
                                                 : in.ConsumeIntegral<VstInt32>();
        if (opcode == effClose) return; // closing is its own step
        const VstInt32 idx = index();
        VstIntPtr value = in.ConsumeIntegral<VstIntPtr>();
        const float opt = anyFloat();

        std::vector<unsigned char> buffer(200 + kGuard, kSentinel);
        void* ptr = buffer.data();
        std::string text;
        VstSpeakerArrangement* slots[2] = {nullptr, nullptr};
        int allowed = writableBytes(opcode);
        switch (opcode) {
        case effSetProgramName:
        case effCanDo:
        case effString2Parameter:
            // The host hands over a zero-terminated text of any length.
            text = in.ConsumeRandomLengthString(300);
            ptr = text.data();
            allowed = -1;
            break;
        case effGetSpeakerArrangement:
            value = reinterpret_cast<VstIntPtr>(&slots[0]);
            ptr = &slots[1];
            allowed = -1;
            break;
        case effSetSpeakerArrangement:
            value = 0; // a host that has no arrangement for the input passes none
            ptr = nullptr;
            break;
        case effGetChunk:
            ptr = &slots[0];
            allowed = -1;
            break;
        case effSetChunk:
            value = static_cast<VstIntPtr>(in.ConsumeIntegralInRange<std::size_t>(0, 200));
            break;
        default:
            if (allowed == 0 && in.ConsumeBool()) ptr = nullptr;
            break;
        }
        (void)effect->dispatcher(effect, opcode, idx, value, ptr, opt);

        if (allowed >= 0 && ptr == buffer.data()) {
            for (std::size_t i = static_cast<std::size_t>(allowed); i < buffer.size(); ++i)
                if (buffer[i] != kSentinel) fail("wrote beyond the text it may write", opcode);
        }
        if (opcode == effGetSpeakerArrangement && (slots[0] != nullptr || slots[1] != nullptr))
            fail("speaker slots not emptied", opcode);
    }

    void process() {
        const VstInt32 frames = in.ConsumeBool() ? in.ConsumeIntegralInRange(-8, kMaxFrames)
                                                 : in.ConsumeIntegralInRange(0, 64);
        const bool inPlace = in.ConsumeBool();
        const int pattern = in.ConsumeIntegralInRange(0, 3);
        std::vector<float> left(kMaxFrames);
        std::vector<float> right(kMaxFrames);
        // Raw samples from the input, repeated; or a pattern that keeps the converter busy.
        for (int i = 0; i < kMaxFrames; ++i) {
            if (pattern == 0 || in.remaining_bytes() < 8) {
                left[i] = (i / 50) % 2 == 0 ? 0.9f : -0.9f;
                right[i] = left[i] * 0.5f;
            } else if (i < 64) {
                left[i] = anyFloat();
                right[i] = anyFloat();
            } else {
                left[i] = left[i % 64];
                right[i] = right[i % 64];
            }
        }
        std::vector<float> out0(kMaxFrames, 9.0f);
        std::vector<float> out1(kMaxFrames, -9.0f);
        float* ins[2] = {left.data(), right.data()};
        float* outs[2] = {out0.data(), out1.data()};
        float** outputs = inPlace ? ins : outs;
        effect->processReplacing(effect, ins, outputs, frames);
        for (VstInt32 i = 0; i < frames; ++i) {
            const float a = outputs[0][i];
            const float b = outputs[1][i];
            if (std::memcmp(&a, &b, sizeof a) != 0) fail("output channels differ", -1);
            if (!std::isfinite(a) || a < -1.03125f || a > 1.0f) fail("output out of range", -1);
        }
        if (!inPlace)
            for (int i = frames < 0 ? 0 : frames; i < kMaxFrames; ++i)
                if (out0[i] != 9.0f || out1[i] != -9.0f) fail("wrote beyond the block", -1);
    }

    FuzzedDataProvider& in;
    AEffect* effect = nullptr;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider in(data, size);
    Session session(in);
    for (int calls = 0; calls < 64 && in.remaining_bytes() > 0; ++calls)
        session.step();
    return 0;
}
