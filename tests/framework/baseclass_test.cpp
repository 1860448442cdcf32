// The framework classes' own behaviour: what the constructor puts in the record, the defaults of
// the virtual operations, the flag setters, the trampolines, effClose and resume.

#include "probeeffect.h"
#include "recordinghost.h"
#include "sentinel.h"
#include "testsignals.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>

namespace {

// An effect that overrides nothing but what it must: every other operation is the framework's.
class PlainEffect : public AudioEffectX {
public:
    explicit PlainEffect(audioMasterCallback audioMaster = nullptr)
        : AudioEffectX(audioMaster, 1, 2) {}
    void processReplacing(float**, float**, VstInt32) override {}
    AEffect& record() { return cEffect; }
    float sampleRateNow() const { return sampleRate; }
    VstInt32 blockSizeNow() const { return blockSize; }
    VstInt32 programNow() const { return curProgram; }
    AEffEditor* editorNow() const { return editor; }
};

TEST(BaseClass, ConstructorFillsTheRecord) {
    PlainEffect effect;
    const AEffect& r = effect.record();
    unsigned char magic[4];
    std::memcpy(magic, &r.magic, 4);
    EXPECT_EQ(magic[0], 0x50);
    EXPECT_EQ(magic[1], 0x74);
    EXPECT_EQ(magic[2], 0x73);
    EXPECT_EQ(magic[3], 0x56);
    EXPECT_NE(r.dispatcher, nullptr);
    EXPECT_NE(r.process, nullptr);
    EXPECT_NE(r.setParameter, nullptr);
    EXPECT_NE(r.getParameter, nullptr);
    EXPECT_NE(r.processReplacing, nullptr);
    EXPECT_NE(r.processDoubleReplacing, nullptr);
    EXPECT_EQ(r.numPrograms, 1);
    EXPECT_EQ(r.numParams, 2);
    EXPECT_EQ(r.numInputs, 1);
    EXPECT_EQ(r.numOutputs, 2);
    EXPECT_EQ(r.flags, effFlagsCanReplacing);
    EXPECT_EQ(r.resvd1, 0);
    EXPECT_EQ(r.resvd2, 0);
    EXPECT_EQ(r.initialDelay, 0);
    EXPECT_EQ(r.realQualities, 0);
    EXPECT_EQ(r.offQualities, 0);
    std::uint32_t ioRatioBits = 0;
    std::memcpy(&ioRatioBits, &r.ioRatio, 4);
    EXPECT_EQ(ioRatioBits, 0x3F800000u);
    EXPECT_EQ(r.object, static_cast<void*>(static_cast<AudioEffect*>(&effect)));
    EXPECT_EQ(r.user, nullptr);
    EXPECT_EQ(r.uniqueID, 0x4E6F4566);
    EXPECT_EQ(r.version, 1);
    for (char byte : r.future)
        EXPECT_EQ(byte, 0);
    EXPECT_EQ(effect.sampleRateNow(), 44100.0f);
    EXPECT_EQ(effect.blockSizeNow(), 1024);
    EXPECT_EQ(effect.programNow(), 0);
    EXPECT_EQ(effect.editorNow(), nullptr);
    EXPECT_EQ(effect.getAeffect(), &effect.record());
}

TEST(BaseClass, EachFlagSetterTouchesOnlyItsBit) {
    struct Setter {
        const char* name;
        std::function<void(PlainEffect&, bool)> set;
        VstInt32 bit;
    };
    const Setter setters[] = {
        {"hasClip", [](PlainEffect& e, bool s) { e.hasClip(s); }, effFlagsHasClip},
        {"hasVu", [](PlainEffect& e, bool s) { e.hasVu(s); }, effFlagsHasVu},
        {"canMono", [](PlainEffect& e, bool s) { e.canMono(s); }, effFlagsCanMono},
        {"programsAreChunks", [](PlainEffect& e, bool s) { e.programsAreChunks(s); },
         effFlagsProgramChunks},
        {"isSynth", [](PlainEffect& e, bool s) { e.isSynth(s); }, effFlagsIsSynth},
        {"noTail", [](PlainEffect& e, bool s) { e.noTail(s); }, effFlagsNoSoundInStop},
        {"wantAsyncOperation", [](PlainEffect& e, bool s) { e.wantAsyncOperation(s); },
         effFlagsExtIsAsync},
        {"hasExternalBuffer", [](PlainEffect& e, bool s) { e.hasExternalBuffer(s); },
         effFlagsExtHasBuffer},
        {"canDoubleReplacing", [](PlainEffect& e, bool s) { e.canDoubleReplacing(s); },
         effFlagsCanDoubleReplacing},
    };
    for (const Setter& setter : setters) {
        PlainEffect effect;
        effect.record().flags = 0x5A5A5A5A & ~setter.bit; // unrelated bits must survive
        setter.set(effect, true);
        EXPECT_EQ(effect.record().flags, (0x5A5A5A5A & ~setter.bit) | setter.bit) << setter.name;
        setter.set(effect, false);
        EXPECT_EQ(effect.record().flags, 0x5A5A5A5A & ~setter.bit) << setter.name;
    }
    PlainEffect effect;
    effect.canDoubleReplacing(true);
    EXPECT_EQ(effect.record().flags, 0x1010);
    effect.canProcessReplacing(false);
    EXPECT_EQ(effect.record().flags, 0x1000);
}

TEST(BaseClass, RecordSettersStoreTheirValues) {
    PlainEffect effect;
    effect.setUniqueID(fourCharCode("Test"));
    effect.setNumInputs(6);
    effect.setNumOutputs(8);
    effect.setInitialDelay(64);
    effect.setRealtimeQualities(3);
    effect.setOfflineQualities(4);
    effect.setBlockSizeAndSampleRate(128, 96000.0f);
    const AEffect& r = effect.record();
    EXPECT_EQ(r.uniqueID, 0x54657374);
    EXPECT_EQ(r.numInputs, 6);
    EXPECT_EQ(r.numOutputs, 8);
    EXPECT_EQ(r.initialDelay, 64);
    EXPECT_EQ(r.realQualities, 3);
    EXPECT_EQ(r.offQualities, 4);
    EXPECT_EQ(effect.blockSizeNow(), 128);
    EXPECT_EQ(effect.sampleRateNow(), 96000.0f);
}

TEST(BaseClass, DefaultTextOperationsWriteExactlyOneZeroByte) {
    PlainEffect effect;
    AEffect& r = effect.record();
    for (VstInt32 opcode :
         {effGetParamName, effGetParamLabel, effGetParamDisplay, effGetProgramName}) {
        SentinelBuffer<16> buffer;
        EXPECT_EQ(r.dispatcher(&r, opcode, 0, 0, buffer.data(), 0.0f), 0);
        EXPECT_EQ(buffer.touched(), 1u) << opcode;
        EXPECT_EQ(buffer.bytes[0], 0) << opcode;
    }
}

TEST(BaseClass, DefaultsOfTheExtendedClassAnswerTheHost) {
    RecordingHost host;
    PlainEffect effect(RecordingHost::callback);
    AEffect& r = effect.record();
    auto send = [&](VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0, void* ptr = nullptr) {
        return r.dispatcher(&r, opcode, index, value, ptr, 0.0f);
    };
    EXPECT_EQ(send(effGetVstVersion), 2400);
    EXPECT_EQ(send(effGetPlugCategory), kPlugCategUnknown);
    EXPECT_EQ(send(effCanBeAutomated, 0), 1);
    EXPECT_EQ(send(effCanBeAutomated, 99), 1);
    EXPECT_EQ(send(effGetCurrentMidiProgram), -1);
    EXPECT_EQ(send(effSetTotalSampleToProcess, 0, 4096), 4096);
    char receive[] = "receiveVstMidiEvent";
    char bypass[] = "bypass";
    EXPECT_EQ(send(effCanDo, 0, 0, receive), 0);
    EXPECT_EQ(send(effCanDo, 0, 0, bypass), 0);
    EXPECT_EQ(send(effCanDo, 0, 0, nullptr), 0);
    void* chunk = &host;
    EXPECT_EQ(send(effGetChunk, 0, 0, &chunk), 0);
    EXPECT_EQ(chunk, &host) << "the default getChunk leaves the chunk pointer alone";
    EXPECT_EQ(send(effSetChunk, 0, 16, &host), 0);
    EXPECT_EQ(send(effEditGetRect, 0, 0, &chunk), 0);
    EXPECT_EQ(chunk, &host) << "no editor: ptr untouched";

    effect.isSynth(true);
    EXPECT_EQ(send(effGetPlugCategory), kPlugCategSynth);
    effect.isSynth(false);
    EXPECT_EQ(send(effGetPlugCategory), kPlugCategUnknown);
    EXPECT_EQ(r.flags, effFlagsCanReplacing);

    // Host-unreachable defaults, called as an effect class would.
    EXPECT_EQ(effect.getNumCategories(), 1);
    EXPECT_FALSE(effect.copyProgram(0));
    EXPECT_FALSE(effect.getErrorText(receive));
    EXPECT_STREQ(receive, "receiveVstMidiEvent");
    EXPECT_EQ(effect.getIcon(), nullptr);
    EXPECT_EQ(effect.reportDestinationBuffer(), nullptr);
    EXPECT_EQ(effect.getVu(), 0.0f);
}

TEST(BaseClass, GetSpeakerArrangementEmptiesBothSlots) {
    PlainEffect effect;
    AEffect& r = effect.record();
    auto* stale = reinterpret_cast<VstSpeakerArrangement*>(&effect);
    VstSpeakerArrangement* in = stale;
    VstSpeakerArrangement* out = stale;
    EXPECT_EQ(
        r.dispatcher(&r, effGetSpeakerArrangement, 0, reinterpret_cast<VstIntPtr>(&in), &out, 0.0f),
        0);
    EXPECT_EQ(in, nullptr);
    EXPECT_EQ(out, nullptr);
    // A host that passes no slot gets the same answer and no write through null.
    EXPECT_EQ(r.dispatcher(&r, effGetSpeakerArrangement, 0, 0, nullptr, 0.0f), 0);
}

TEST(BaseClass, TrampolinesForwardEveryArgument) {
    ProbeEffect probe;
    AEffect& r = probe.record();
    float a[4] = {1, 2, 3, 4};
    float* buffers[2] = {a, a + 2};
    double d[2] = {};
    double* doubles[1] = {d};
    r.processReplacing(&r, buffers, buffers, 33);
    r.process(&r, buffers, buffers, 34);
    r.processDoubleReplacing(&r, doubles, doubles, 35);
    r.setParameter(&r, 1, 0.75f);
    EXPECT_EQ(r.getParameter(&r, 9), 0.125f);
    EXPECT_EQ(probe.log, (std::vector<std::string>{"processReplacing(33)", "process(34)",
                                                   "processDoubleReplacing(35)",
                                                   "setParameter(1,0.75)", "getParameter(9)"}));
}

TEST(BaseClass, DefaultProcessLeavesTheOutputsAlone) {
    PlainEffect effect;
    AEffect& r = effect.record();
    float in[4] = {1, 2, 3, 4};
    float out[4] = {9, 9, 9, 9};
    float* ins[2] = {in, in + 2};
    float* outs[2] = {out, out + 2};
    r.process(&r, ins, outs, 2);
    for (float v : out)
        EXPECT_EQ(v, 9.0f);
}

TEST(BaseClass, CloseThroughTheRecordClosesThenDestroysOnce) {
    std::vector<std::string> log;
    const int destroyedBefore = ProbeEffect::destroyed;
    auto* probe = new ProbeEffect;
    probe->sharedLog = &log;
    probe->number = 42; // what its dispatcher would have answered does not matter
    AEffect* record = probe->getAeffect();
    EXPECT_EQ(record->dispatcher(record, effClose, 0, 0, nullptr, 0.0f), 1);
    EXPECT_EQ(log, (std::vector<std::string>{"close()", "~ProbeEffect"}));
    EXPECT_EQ(ProbeEffect::destroyed, destroyedBefore + 1);
}

TEST(BaseClass, ResumeAsksForMidiOnlyWhenTheEffectWantsIt) {
    struct Case {
        bool synth;
        VstInt32 canDo;
        const char* log;
    };
    const Case cases[] = {
        {false, 0, "resume();canDo(other)"},  {false, 1, "resume();canDo(other);wantEvents(1)"},
        {false, -1, "resume();canDo(other)"}, {false, 2, "resume();canDo(other)"},
        {true, 0, "resume();wantEvents(1)"},
    };
    for (const Case& c : cases) {
        RecordingHost host;
        ProbeEffect probe(RecordingHost::callback);
        probe.canDoAnswer = c.canDo;
        probe.isSynth(c.synth);
        probe.record().dispatcher(&probe.record(), effMainsChanged, 0, 1, nullptr, 0.0f);
        EXPECT_EQ(joined(probe.log), c.log) << c.canDo;
    }
}

} // namespace
