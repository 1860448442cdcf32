// What a host sees of a SlopeCrush instance: the record it gets from the entry, and the answer to
// every opcode it can send.

#include "recordinghost.h"
#include "sentinel.h"
#include "slopecrushmodule.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstring>

namespace {

TEST(Record, DescribesTheEffect) {
    RecordingHost host;
    Instance effect(slopeCrushModule());
    ASSERT_NE(effect.get(), nullptr);
    const AEffect& r = *effect.get();
    EXPECT_EQ(r.magic, 0x56737450);
    EXPECT_EQ(r.numPrograms, 1);
    EXPECT_EQ(r.numParams, 2);
    EXPECT_EQ(r.numInputs, 2);
    EXPECT_EQ(r.numOutputs, 2);
    EXPECT_EQ(r.flags, effFlagsCanReplacing) << "no editor, not a synth, no chunks, no doubles";
    EXPECT_EQ(r.uniqueID, 0x5A62726B);
    EXPECT_EQ(r.version, 1);
    EXPECT_EQ(r.initialDelay, 0);
    EXPECT_EQ(r.resvd1, 0);
    EXPECT_EQ(r.resvd2, 0);
    EXPECT_EQ(r.realQualities, 0);
    EXPECT_EQ(r.offQualities, 0);
    EXPECT_EQ(r.ioRatio, 1.0f);
    EXPECT_EQ(r.user, nullptr);
    for (char byte : r.future)
        EXPECT_EQ(byte, 0);
    EXPECT_NE(r.object, nullptr);
    for (const void* fn :
         {reinterpret_cast<const void*>(r.dispatcher), reinterpret_cast<const void*>(r.process),
          reinterpret_cast<const void*>(r.setParameter),
          reinterpret_cast<const void*>(r.getParameter),
          reinterpret_cast<const void*>(r.processReplacing),
          reinterpret_cast<const void*>(r.processDoubleReplacing)})
        EXPECT_NE(fn, nullptr);
}

TEST(Record, HostMayUseTheUserField) {
    RecordingHost host;
    Instance effect(slopeCrushModule());
    int mine = 0;
    effect->user = &mine;
    effect.start();
    effect.process(std::vector<float>(64, 0.5f), std::vector<float>(64, 0.5f));
    EXPECT_EQ(effect->user, &mine);
}

struct Expected {
    VstInt32 opcode;
    VstIntPtr answer;
};

// Every opcode a host can send that has no text or buffer to fill, with the effect's answer.
// (Texts and the vendor version are checked with the texts.)
const Expected kAnswers[] = {
    {effOpen, 0},
    {effGetProgram, 0},
    {effGetVu, 0},
    {effSetSampleRate, 0},
    {effSetBlockSize, 0},
    {effMainsChanged, 0},
    {effEditGetRect, 0},
    {effEditOpen, 0},
    {effEditClose, 0},
    {effEditDraw, 0},
    {effEditMouse, 0},
    {effEditKey, 0},
    {effEditIdle, 0},
    {effEditTop, 0},
    {effEditSleep, 0},
    {effIdentify, 0x4E764566},
    {effGetChunk, 0},
    {effSetChunk, 0},
    {effProcessEvents, 0},
    {effCanBeAutomated, 1},
    {effString2Parameter, 0},
    {effGetNumProgramCategories, 0},
    {effGetProgramNameIndexed, 0},
    {effCopyProgram, 0},
    {effConnectInput, 0},
    {effConnectOutput, 0},
    {effGetInputProperties, 0},
    {effGetOutputProperties, 0},
    {effGetPlugCategory, 0},
    {effGetCurrentPosition, 0},
    {effGetDestinationBuffer, 0},
    {effOfflineNotify, 0},
    {effOfflinePrepare, 0},
    {effOfflineRun, 0},
    {effProcessVarIo, 0},
    {effSetSpeakerArrangement, 0},
    {effSetBlockSizeAndSampleRate, 0},
    {effSetBypass, 0},
    {effGetErrorText, 0},
    {effVendorSpecific, 0},
    {effCanDo, 0},
    {effGetTailSize, 0},
    {effIdle, 0},
    {effGetIcon, 0},
    {effSetViewPosition, 0},
    {effGetParameterProperties, 0},
    {effKeysRequired, 0},
    {effGetVstVersion, 2400},
    {effEditKeyDown, 0},
    {effEditKeyUp, 0},
    {effSetEditKnobMode, 0},
    {effGetMidiProgramName, 0},
    {effGetCurrentMidiProgram, -1},
    {effGetMidiProgramCategory, 0},
    {effHasMidiProgramsChanged, 0},
    {effGetMidiKeyName, 0},
    {effBeginSetProgram, 0},
    {effEndSetProgram, 0},
    {effShellGetNextPlugin, 0},
    {effStartProcess, 0},
    {effStopProcess, 0},
    {effSetPanLaw, 0},
    {effBeginLoadBank, 0},
    {effBeginLoadProgram, 0},
    {effSetProcessPrecision, 0},
    {effGetNumMidiInputChannels, 0},
    {effGetNumMidiOutputChannels, 0},
    {80, 0},
    {1000, 0},
    {-1, 0},
    {INT_MIN, 0},
    {INT_MAX, 0},
};

TEST(Answers, EveryOpcodeGetsTheEffectsAnswer) {
    RecordingHost host;
    Instance effect(slopeCrushModule());
    for (const Expected& e : kAnswers) {
        // A zeroed scratch area stands in for whatever record a host would pass; the effect must
        // not write into it for any of these opcodes.
        SentinelBuffer<512> scratch;
        EXPECT_EQ(effect.dispatch(e.opcode, 1, 0, scratch.data(), 0.0f), e.answer)
            << "opcode " << e.opcode;
        EXPECT_EQ(scratch.touched(), 0u) << "opcode " << e.opcode << " wrote into ptr";
    }
    EXPECT_EQ(host.calls.size(), 1u) << "only the entry's version question reaches the host";
}

TEST(Answers, CanBeAutomatedForAnyIndex) {
    RecordingHost host;
    Instance effect(slopeCrushModule());
    for (VstInt32 index : {0, 1, 2, 99, -1})
        EXPECT_EQ(effect.dispatch(effCanBeAutomated, index), 1);
}

TEST(Answers, CanDoIsZeroForEveryText) {
    RecordingHost host;
    Instance effect(slopeCrushModule());
    for (const char* text : {"receiveVstMidiEvent", "bypass", "sendVstEvents", "", "anything"}) {
        std::string copy = text;
        EXPECT_EQ(effect.dispatch(effCanDo, 0, 0, copy.data()), 0) << text;
    }
    EXPECT_EQ(effect.dispatch(effCanDo, 0, 0, nullptr), 0);
}

TEST(Answers, SetTotalSampleToProcessEchoesTheValue) {
    RecordingHost host;
    Instance effect(slopeCrushModule());
    for (VstIntPtr value : {VstIntPtr{4096}, VstIntPtr{0}, VstIntPtr{-5}})
        EXPECT_EQ(effect.dispatch(effSetTotalSampleToProcess, 0, value), value);
}

TEST(Answers, GetSpeakerArrangementWritesNullIntoBothSlots) {
    RecordingHost host;
    Instance effect(slopeCrushModule());
    int somewhere = 0;
    auto* in = reinterpret_cast<VstSpeakerArrangement*>(&somewhere);
    auto* out = in;
    EXPECT_EQ(effect.dispatch(effGetSpeakerArrangement, 0, reinterpret_cast<VstIntPtr>(&in), &out),
              0);
    EXPECT_EQ(in, nullptr);
    EXPECT_EQ(out, nullptr);
}

TEST(Answers, ProgramNumberFollowsEffSetProgramWithinItsUpperBound) {
    RecordingHost host;
    Instance effect(slopeCrushModule());
    effect.dispatch(effSetProgram, 0, 1); // beyond the single program: ignored
    EXPECT_EQ(effect.dispatch(effGetProgram), 0);
    effect.dispatch(effSetProgram, 0, -1); // no lower bound: stored as given
    EXPECT_EQ(effect.dispatch(effGetProgram), -1);
    effect.dispatch(effSetProgram, 0, 0);
    EXPECT_EQ(effect.dispatch(effGetProgram), 0);
}

TEST(Answers, MainsOnDoesNotAskTheHostForMidi) {
    RecordingHost host;
    Instance effect(slopeCrushModule());
    effect.dispatch(effMainsChanged, 0, 1);
    effect.dispatch(effMainsChanged, 0, 0);
    effect.dispatch(effMainsChanged, 0, 1);
    EXPECT_TRUE(host.callsWith(audioMasterWantMidi).empty());
}

TEST(Answers, CloseAnswersOne) {
    RecordingHost host;
    Instance effect(slopeCrushModule());
    effect.start();
    EXPECT_EQ(effect.close(), 1);
}

TEST(Answers, TheLoadedEffectAsksNothingWhenSwitchedOn) {
    RecordingHost host;
    Instance effect(slopeCrushModule());
    ASSERT_NE(effect.get(), nullptr);
    host.calls.clear(); // the entry's version question
    effect.start();
    EXPECT_TRUE(host.calls.empty());
}

} // namespace
