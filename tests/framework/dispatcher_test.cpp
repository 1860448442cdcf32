// Both dispatchers: which virtual operation each opcode reaches, with which arguments, and how
// the operation's answer becomes the host's answer. A probe effect writes down every call.

#include "probeeffect.h"
#include "testsignals.h"

#include <gtest/gtest.h>

#include <climits>
#include <limits>
#include <string>

namespace {

enum class Answer { Zero, AsIs, OneZero, Identify };

struct Route {
    VstInt32 opcode;
    const char* call; // what the probe must have seen, calls joined by ';' ("" for none)
    Answer answer;
    bool valueIsPointer = false; // the opcode takes a pointer in value
};

// Every opcode is sent with index 3, value 5 (or the second token), ptr = token and opt 0.5.
const Route kRoutes[] = {
    {effOpen, "open()", Answer::Zero},
    {effGetProgram, "getProgram()", Answer::AsIs},
    {effSetProgramName, "setProgramName(ptr)", Answer::Zero},
    {effGetProgramName, "getProgramName(ptr)", Answer::Zero},
    {effGetParamLabel, "getParameterLabel(3,ptr)", Answer::Zero},
    {effGetParamDisplay, "getParameterDisplay(3,ptr)", Answer::Zero},
    {effGetParamName, "getParameterName(3,ptr)", Answer::Zero},
    {effGetVu, "", Answer::Zero},
    {effSetSampleRate, "setSampleRate(0.5)", Answer::Zero},
    {effSetBlockSize, "setBlockSize(5)", Answer::Zero},
    {effMainsChanged, "resume();canDo(other)", Answer::Zero},
    {effEditGetRect, "", Answer::Zero},
    {effEditOpen, "", Answer::Zero},
    {effEditClose, "", Answer::Zero},
    {effEditDraw, "", Answer::Zero},
    {effEditMouse, "", Answer::Zero},
    {effEditKey, "", Answer::Zero},
    {effEditIdle, "", Answer::Zero},
    {effEditTop, "", Answer::Zero},
    {effEditSleep, "", Answer::Zero},
    {effIdentify, "", Answer::Identify},
    {effGetChunk, "getChunk(ptr,true)", Answer::AsIs},
    {effSetChunk, "setChunk(ptr,5,true)", Answer::AsIs},
    {effProcessEvents, "processEvents(ptr)", Answer::AsIs},
    {effCanBeAutomated, "canParameterBeAutomated(3)", Answer::OneZero},
    {effString2Parameter, "string2parameter(3,ptr)", Answer::OneZero},
    {effGetNumProgramCategories, "", Answer::Zero},
    {effGetProgramNameIndexed, "getProgramNameIndexed(5,3,ptr)", Answer::OneZero},
    {effCopyProgram, "", Answer::Zero},
    {effConnectInput, "", Answer::Zero},
    {effConnectOutput, "", Answer::Zero},
    {effGetInputProperties, "getInputProperties(3,ptr)", Answer::OneZero},
    {effGetOutputProperties, "getOutputProperties(3,ptr)", Answer::OneZero},
    {effGetPlugCategory, "getPlugCategory()", Answer::AsIs},
    {effGetCurrentPosition, "", Answer::Zero},
    {effGetDestinationBuffer, "", Answer::Zero},
    {effOfflineNotify, "offlineNotify(ptr,5,true)", Answer::OneZero},
    {effOfflinePrepare, "offlinePrepare(ptr,5)", Answer::OneZero},
    {effOfflineRun, "offlineRun(ptr,5)", Answer::OneZero},
    {effProcessVarIo, "processVariableIo(ptr)", Answer::OneZero},
    {effSetSpeakerArrangement, "setSpeakerArrangement(ptr2,ptr)", Answer::OneZero, true},
    {effSetBlockSizeAndSampleRate, "", Answer::Zero},
    {effSetBypass, "setBypass(true)", Answer::OneZero},
    {effGetEffectName, "getEffectName(ptr)", Answer::OneZero},
    {effGetErrorText, "", Answer::Zero},
    {effGetVendorString, "getVendorString(ptr)", Answer::OneZero},
    {effGetProductString, "getProductString(ptr)", Answer::OneZero},
    {effGetVendorVersion, "getVendorVersion()", Answer::AsIs},
    {effVendorSpecific, "vendorSpecific(3,5,ptr,0.5)", Answer::AsIs},
    {effCanDo, "canDo(ptr)", Answer::AsIs},
    {effGetTailSize, "getGetTailSize()", Answer::AsIs},
    {effIdle, "", Answer::Zero},
    {effGetIcon, "", Answer::Zero},
    {effSetViewPosition, "", Answer::Zero},
    {effGetParameterProperties, "getParameterProperties(3,ptr)", Answer::OneZero},
    {effKeysRequired, "", Answer::Zero},
    {effGetVstVersion, "getVstVersion()", Answer::AsIs},
    {effEditKeyDown, "", Answer::Zero},
    {effEditKeyUp, "", Answer::Zero},
    {effSetEditKnobMode, "", Answer::Zero},
    {effGetMidiProgramName, "getMidiProgramName(3,ptr)", Answer::AsIs},
    {effGetCurrentMidiProgram, "getCurrentMidiProgram(3,ptr)", Answer::AsIs},
    {effGetMidiProgramCategory, "getMidiProgramCategory(3,ptr)", Answer::AsIs},
    {effHasMidiProgramsChanged, "hasMidiProgramsChanged(3)", Answer::OneZero},
    {effGetMidiKeyName, "getMidiKeyName(3,ptr)", Answer::OneZero},
    {effBeginSetProgram, "beginSetProgram()", Answer::OneZero},
    {effEndSetProgram, "endSetProgram()", Answer::OneZero},
    {effGetSpeakerArrangement, "getSpeakerArrangement(ptr2,ptr)", Answer::OneZero, true},
    {effShellGetNextPlugin, "getNextShellPlugin(ptr)", Answer::AsIs},
    {effStartProcess, "startProcess()", Answer::AsIs},
    {effStopProcess, "stopProcess()", Answer::AsIs},
    {effSetTotalSampleToProcess, "setTotalSampleToProcess(5)", Answer::AsIs},
    {effSetPanLaw, "setPanLaw(5,0.5)", Answer::OneZero},
    {effBeginLoadBank, "beginLoadBank(ptr)", Answer::AsIs},
    {effBeginLoadProgram, "beginLoadProgram(ptr)", Answer::AsIs},
    {effSetProcessPrecision, "setProcessPrecision(5)", Answer::OneZero},
    {effGetNumMidiInputChannels, "getNumMidiInputChannels()", Answer::AsIs},
    {effGetNumMidiOutputChannels, "getNumMidiOutputChannels()", Answer::AsIs},
    {-1, "", Answer::Zero},
    {80, "", Answer::Zero},
    {1000, "", Answer::Zero},
    {INT_MIN, "", Answer::Zero},
    {INT_MAX, "", Answer::Zero},
};

VstIntPtr expectedAnswer(Answer kind, const ProbeEffect& probe) {
    switch (kind) {
    case Answer::AsIs:
        return probe.number;
    case Answer::OneZero:
        return probe.yes ? 1 : 0;
    case Answer::Identify:
        return fourCharCode("NvEf");
    case Answer::Zero:
        break;
    }
    return 0;
}

// Sends every routed opcode through the record's dispatcher with the probe answering as set.
void checkRoutes(int number, bool yes) {
    char tokenBytes[64] = {};
    char token2Bytes[64] = {};
    for (const Route& route : kRoutes) {
        ProbeEffect probe;
        probe.token = tokenBytes;
        probe.token2 = token2Bytes;
        probe.number = number;
        probe.yes = yes;
        probe.canDoAnswer = number;
        AEffect& record = probe.record();
        const VstIntPtr value = route.valueIsPointer ? reinterpret_cast<VstIntPtr>(token2Bytes) : 5;
        const VstIntPtr answer =
            record.dispatcher(&record, route.opcode, 3, value, tokenBytes, 0.5f);
        EXPECT_EQ(answer, expectedAnswer(route.answer, probe)) << "opcode " << route.opcode;
        EXPECT_EQ(joined(probe.log), route.call) << "opcode " << route.opcode;
    }
}

TEST(Dispatchers, RouteEveryOpcodeWithItsArgumentsAndConvertTrueAnswers) { checkRoutes(7, true); }

TEST(Dispatchers, RouteEveryOpcodeAndConvertFalseAndNegativeAnswers) { checkRoutes(-3, false); }

TEST(Dispatchers, CloseReachesCloseThroughBothDispatchers) {
    ProbeEffect probe;
    EXPECT_EQ(probe.dispatcher(effClose, 0, 0, nullptr, 0.0f), 0);
    EXPECT_EQ(joined(probe.log), "close()");
}

TEST(Dispatchers, ChunkPresetFlagComesFromIndex) {
    for (VstInt32 index : {0, 1, 256, -1}) {
        ProbeEffect probe;
        void* slot = nullptr;
        probe.token = &slot;
        probe.record().dispatcher(&probe.record(), effGetChunk, index, 0, &slot, 0.0f);
        EXPECT_EQ(joined(probe.log), index != 0 ? "getChunk(ptr,true)" : "getChunk(ptr,false)");
    }
}

TEST(Dispatchers, OfflineNotifyStartsForAnyNonZeroIndex) {
    for (VstInt32 index : {0, 1, -1}) {
        ProbeEffect probe;
        probe.record().dispatcher(&probe.record(), effOfflineNotify, index, 2, nullptr, 0.0f);
        EXPECT_EQ(joined(probe.log),
                  index != 0 ? "offlineNotify(null,2,true)" : "offlineNotify(null,2,false)");
    }
}

TEST(Dispatchers, MainsChangedSuspendsOnZeroAndResumesOtherwise) {
    for (VstIntPtr value : {VstIntPtr{0}, VstIntPtr{1}, VstIntPtr{2}, VstIntPtr{-1}}) {
        ProbeEffect probe;
        probe.record().dispatcher(&probe.record(), effMainsChanged, 0, value, nullptr, 0.0f);
        ASSERT_FALSE(probe.log.empty());
        EXPECT_EQ(probe.log.front(), value == 0 ? "suspend()" : "resume()");
    }
}

TEST(Dispatchers, SetProgramHasOnlyAnUpperBound) {
    struct Case {
        VstIntPtr value;
        const char* call;
        VstInt32 program;
    };
    for (const Case c : {Case{0, "setProgram(0)", 0}, Case{1, "", 0}, Case{7, "", 0},
                         Case{-1, "setProgram(-1)", -1}}) {
        ProbeEffect probe; // one program
        probe.record().dispatcher(&probe.record(), effSetProgram, 0, c.value, nullptr, 0.0f);
        EXPECT_EQ(joined(probe.log), c.call) << c.value;
        EXPECT_EQ(probe.programNow(), c.program) << c.value;
    }
}

TEST(Dispatchers, SampleRateAndBlockSizeReachTheirSetters) {
    ProbeEffect probe;
    AEffect& record = probe.record();
    record.dispatcher(&record, effSetSampleRate, 0, 0, nullptr, 48000.0f);
    record.dispatcher(&record, effSetBlockSize, 0, 256, nullptr, 0.0f);
    EXPECT_EQ(probe.sampleRateNow(), 48000.0f);
    EXPECT_EQ(probe.blockSizeNow(), 256);
}

TEST(Dispatchers, EditorOpcodesReachAnAttachedEditor) {
    for (bool answer : {true, false}) {
        std::vector<std::string> editorLog;
        ProbeEffect probe;
        probe.attach(new ProbeEditor(editorLog, answer));
        AEffect& record = probe.record();
        ERect* rect = nullptr;
        char window[4] = {};
        const VstIntPtr one = answer ? 1 : 0;
        EXPECT_EQ(record.dispatcher(&record, effEditGetRect, 0, 0, &rect, 0.0f), one);
        EXPECT_EQ(record.dispatcher(&record, effEditOpen, 0, 0, window, 0.0f), one);
        EXPECT_EQ(record.dispatcher(&record, effEditIdle, 0, 0, nullptr, 0.0f), 0);
        EXPECT_EQ(record.dispatcher(&record, effEditClose, 0, 0, nullptr, 0.0f), 0);
        // The key record: character from index, low byte of value, low byte of opt truncated.
        EXPECT_EQ(record.dispatcher(&record, effEditKeyDown, 65, 0x1FF, nullptr, 3.7f), one);
        EXPECT_EQ(record.dispatcher(&record, effEditKeyUp, -2, 0x10, nullptr, -2.9f), one);
        EXPECT_EQ(record.dispatcher(&record, effSetEditKnobMode, 0, 2, nullptr, 0.0f), one);
        EXPECT_EQ(joined(editorLog), "getRect(ptr);editor.open(ptr);editor.idle();editor.close();"
                                     "onKeyDown(65,255,3);onKeyUp(-2,16,254);setKnobMode(2)");
        EXPECT_TRUE(probe.log.empty()) << joined(probe.log);
    }
}

TEST(Dispatchers, KeyModifierOfAnUnrepresentableOptIsZero) {
    for (float opt : {std::numeric_limits<float>::quiet_NaN(), 1e20f, -1e20f,
                      std::numeric_limits<float>::infinity()}) {
        std::vector<std::string> editorLog;
        ProbeEffect probe;
        probe.attach(new ProbeEditor(editorLog));
        probe.record().dispatcher(&probe.record(), effEditKeyDown, 1, 2, nullptr, opt);
        EXPECT_EQ(joined(editorLog), "onKeyDown(1,2,0)") << opt;
    }
}

TEST(Dispatchers, TheEffectDestroysItsEditor) {
    std::vector<std::string> editorLog;
    {
        ProbeEffect probe;
        probe.attach(new ProbeEditor(editorLog));
    }
    EXPECT_EQ(joined(editorLog), "~ProbeEditor");
}

} // namespace
