// The host wrappers as the host sees them: each sends exactly one request with every argument in
// its place and turns the host's answer into its result; without a host each sends nothing and
// gives its quiet answer. Effect classes call these, not hosts, so the tests call them on an
// effect object and watch the host callback.

#include "bareeffect.h"
#include "recordinghost.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <limits>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

namespace {

// Records the wrappers hand to the host by pointer; the host only ever sees their addresses.
alignas(16) unsigned char recordBytes[8][32];
template <typename T> T* record(int slot) { return reinterpret_cast<T*>(recordBytes[slot]); }
char hostText[] = "sendVstTimeInfo";

// What a wrapper gave back, in one form for every result type: integers, bools and pointers
// widen to 64 bits; updateSampleRate's double stays a double.
struct Result {
    std::int64_t integer = 0;
    double real = 0.0;
    bool operator==(const Result& other) const {
        return integer == other.integer && real == other.real;
    }
};
void PrintTo(const Result& result, std::ostream* out) {
    *out << "{integer " << result.integer << ", real " << result.real << "}";
}
Result integer(std::int64_t value) { return Result{value, 0.0}; }
Result pointer(const void* p) { return integer(reinterpret_cast<std::intptr_t>(p)); }
Result nothing() { return Result{}; }

void expectSent(const HostCall& sent, const HostCall& expected) {
    EXPECT_EQ(sent.effect, expected.effect);
    EXPECT_EQ(sent.opcode, expected.opcode);
    EXPECT_EQ(sent.index, expected.index);
    EXPECT_EQ(sent.value, expected.value);
    EXPECT_EQ(sent.ptr, expected.ptr);
    EXPECT_EQ(sent.opt, expected.opt);
}

constexpr double kDefaultSampleRate = 44100.0;
constexpr VstInt32 kDefaultBlockSize = 1024;

// How the interface turns a host answer into a wrapper's result.
enum class Conversion {
    None,         // the answer is ignored
    AsIs32,       // the answer as a 32-bit integer
    AsIsPointer,  // the answer unchanged, as a pointer or pointer-sized integer
    NonZero,      // 1 (true) for any non-zero answer, 0 for 0
    ZeroIsTrue,   // the pin questions: 0 means connected
    VersionOrOne, // as a 32-bit integer, but 1 for 0
    SampleRate,   // a positive answer becomes the sample rate; the result is the sample rate
    BlockSize,    // a positive answer becomes the block size; the result is the block size
};

Result expectedFor(Conversion conversion, VstIntPtr answer) {
    const auto as32 = static_cast<VstInt32>(answer);
    switch (conversion) {
    case Conversion::None:
        return nothing();
    case Conversion::AsIs32:
        return integer(as32);
    case Conversion::AsIsPointer:
        return integer(answer);
    case Conversion::NonZero:
        return integer(answer != 0 ? 1 : 0);
    case Conversion::ZeroIsTrue:
        return integer(answer == 0 ? 1 : 0);
    case Conversion::VersionOrOne:
        return integer(answer == 0 ? 1 : as32);
    case Conversion::SampleRate:
        return Result{0, answer > 0 ? static_cast<double>(static_cast<float>(answer))
                                    : kDefaultSampleRate};
    case Conversion::BlockSize:
        return integer(as32 > 0 ? as32 : kDefaultBlockSize);
    }
    return nothing();
}

struct Wrapper {
    const char* name;
    std::function<Result(BareEffect&)> call;
    // The request it must send (the effect argument is always the effect's own record).
    VstInt32 opcode;
    VstInt32 index;
    VstIntPtr value;
    void* ptr;
    float opt;
    Conversion conversion;
    Result withoutHost;
};

const std::vector<Wrapper>& wrappers() {
    using C = Conversion;
    static const std::vector<Wrapper> table = {
        {"setParameterAutomated",
         [](BareEffect& e) { return e.setParameterAutomated(1, 0.5f), nothing(); },
         audioMasterAutomate, 1, 0, nullptr, 0.5f, C::None, nothing()},
        {"getMasterVersion", [](BareEffect& e) { return integer(e.getMasterVersion()); },
         audioMasterVersion, 0, 0, nullptr, 0.0f, C::VersionOrOne, integer(1)},
        {"getCurrentUniqueId", [](BareEffect& e) { return integer(e.getCurrentUniqueId()); },
         audioMasterCurrentId, 0, 0, nullptr, 0.0f, C::AsIs32, integer(0)},
        {"masterIdle", [](BareEffect& e) { return e.masterIdle(), nothing(); }, audioMasterIdle, 0,
         0, nullptr, 0.0f, C::None, nothing()},
        {"isInputConnected", [](BareEffect& e) { return integer(e.isInputConnected(5)); },
         audioMasterPinConnected, 5, 0, nullptr, 0.0f, C::ZeroIsTrue, integer(1)},
        {"isOutputConnected", [](BareEffect& e) { return integer(e.isOutputConnected(3)); },
         audioMasterPinConnected, 3, 1, nullptr, 0.0f, C::ZeroIsTrue, integer(1)},
        {"wantEvents", [](BareEffect& e) { return e.wantEvents(1), nothing(); },
         audioMasterWantMidi, 0, 1, nullptr, 0.0f, C::None, nothing()},
        {"getTimeInfo", [](BareEffect& e) { return pointer(e.getTimeInfo(0x0E03)); },
         audioMasterGetTime, 0, 0x0E03, nullptr, 0.0f, C::AsIsPointer, integer(0)},
        {"tempoAt", [](BareEffect& e) { return integer(e.tempoAt(12345)); }, audioMasterTempoAt, 0,
         12345, nullptr, 0.0f, C::AsIs32, integer(0)},
        {"getNumAutomatableParameters",
         [](BareEffect& e) { return integer(e.getNumAutomatableParameters()); },
         audioMasterGetNumAutomatableParameters, 0, 0, nullptr, 0.0f, C::AsIs32, integer(0)},
        {"getParameterQuantization",
         [](BareEffect& e) { return integer(e.getParameterQuantization()); },
         audioMasterGetParameterQuantization, 0, 0, nullptr, 0.0f, C::AsIs32, integer(0)},
        {"ioChanged", [](BareEffect& e) { return integer(e.ioChanged()); }, audioMasterIOChanged, 0,
         0, nullptr, 0.0f, C::NonZero, integer(0)},
        {"needIdle", [](BareEffect& e) { return integer(e.needIdle()); }, audioMasterNeedIdle, 0, 0,
         nullptr, 0.0f, C::NonZero, integer(0)},
        {"sizeWindow", [](BareEffect& e) { return integer(e.sizeWindow(640, 480)); },
         audioMasterSizeWindow, 640, 480, nullptr, 0.0f, C::NonZero, integer(0)},
        {"updateSampleRate",
         [](BareEffect& e) {
             return Result{0, e.updateSampleRate()};
         },
         audioMasterGetSampleRate, 0, 0, nullptr, 0.0f, C::SampleRate,
         Result{0, kDefaultSampleRate}},
        {"updateBlockSize", [](BareEffect& e) { return integer(e.updateBlockSize()); },
         audioMasterGetBlockSize, 0, 0, nullptr, 0.0f, C::BlockSize, integer(kDefaultBlockSize)},
        {"getInputLatency", [](BareEffect& e) { return integer(e.getInputLatency()); },
         audioMasterGetInputLatency, 0, 0, nullptr, 0.0f, C::AsIs32, integer(0)},
        {"getOutputLatency", [](BareEffect& e) { return integer(e.getOutputLatency()); },
         audioMasterGetOutputLatency, 0, 0, nullptr, 0.0f, C::AsIs32, integer(0)},
        {"getPreviousPlug", [](BareEffect& e) { return pointer(e.getPreviousPlug(2)); },
         audioMasterGetPreviousPlug, 0, 0, nullptr, 0.0f, C::AsIsPointer, integer(0)},
        {"getNextPlug", [](BareEffect& e) { return pointer(e.getNextPlug(5)); },
         audioMasterGetNextPlug, 0, 0, nullptr, 0.0f, C::AsIsPointer, integer(0)},
        {"willProcessReplacing", [](BareEffect& e) { return integer(e.willProcessReplacing()); },
         audioMasterWillReplaceOrAccumulate, 0, 0, nullptr, 0.0f, C::AsIs32, integer(0)},
        {"getCurrentProcessLevel",
         [](BareEffect& e) { return integer(e.getCurrentProcessLevel()); },
         audioMasterGetCurrentProcessLevel, 0, 0, nullptr, 0.0f, C::AsIs32, integer(0)},
        {"getAutomationState", [](BareEffect& e) { return integer(e.getAutomationState()); },
         audioMasterGetAutomationState, 0, 0, nullptr, 0.0f, C::AsIs32, integer(0)},
        {"offlineStart",
         [](BareEffect& e) { return integer(e.offlineStart(record<VstAudioFile>(0), 3, 5)); },
         audioMasterOfflineStart, 5, 3, record<void>(0), 0.0f, C::NonZero, integer(0)},
        {"offlineRead from the source",
         [](BareEffect& e) { return integer(e.offlineRead(record<VstOfflineTask>(1), 7, true)); },
         audioMasterOfflineRead, 1, 7, record<void>(1), 0.0f, C::NonZero, integer(0)},
        {"offlineRead from the destination",
         [](BareEffect& e) { return integer(e.offlineRead(record<VstOfflineTask>(1), 9, false)); },
         audioMasterOfflineRead, 0, 9, record<void>(1), 0.0f, C::NonZero, integer(0)},
        {"offlineWrite",
         [](BareEffect& e) { return integer(e.offlineWrite(record<VstOfflineTask>(2), 11)); },
         audioMasterOfflineWrite, 0, 11, record<void>(2), 0.0f, C::NonZero, integer(0)},
        {"offlineGetCurrentPass", [](BareEffect& e) { return integer(e.offlineGetCurrentPass()); },
         audioMasterOfflineGetCurrentPass, 0, 0, nullptr, 0.0f, C::NonZero, integer(0)},
        {"offlineGetCurrentMetaPass",
         [](BareEffect& e) { return integer(e.offlineGetCurrentMetaPass()); },
         audioMasterOfflineGetCurrentMetaPass, 0, 0, nullptr, 0.0f, C::NonZero, integer(0)},
        {"setOutputSamplerate",
         [](BareEffect& e) { return e.setOutputSamplerate(96000.0f), nothing(); },
         audioMasterSetOutputSampleRate, 0, 0, nullptr, 96000.0f, C::None, nothing()},
        {"getOutputSpeakerArrangement",
         [](BareEffect& e) { return pointer(e.getOutputSpeakerArrangement()); },
         audioMasterGetOutputSpeakerArrangement, 0, 0, nullptr, 0.0f, C::AsIsPointer, integer(0)},
        {"getHostVendorString",
         [](BareEffect& e) { return integer(e.getHostVendorString(hostText)); },
         audioMasterGetVendorString, 0, 0, hostText, 0.0f, C::NonZero, integer(0)},
        {"getHostProductString",
         [](BareEffect& e) { return integer(e.getHostProductString(hostText)); },
         audioMasterGetProductString, 0, 0, hostText, 0.0f, C::NonZero, integer(0)},
        {"getHostVendorVersion", [](BareEffect& e) { return integer(e.getHostVendorVersion()); },
         audioMasterGetVendorVersion, 0, 0, nullptr, 0.0f, C::AsIs32, integer(0)},
        {"hostVendorSpecific",
         [](BareEffect& e) {
             return integer(e.hostVendorSpecific(11, -22, record<void>(3), 0.25f));
         },
         audioMasterVendorSpecific, 11, -22, record<void>(3), 0.25f, C::AsIsPointer, integer(0)},
        {"canHostDo", [](BareEffect& e) { return integer(e.canHostDo(hostText)); },
         audioMasterCanDo, 0, 0, hostText, 0.0f, C::NonZero, integer(0)},
        {"getHostLanguage", [](BareEffect& e) { return integer(e.getHostLanguage()); },
         audioMasterGetLanguage, 0, 0, nullptr, 0.0f, C::AsIs32, integer(0)},
        {"openWindow", [](BareEffect& e) { return pointer(e.openWindow(record<VstWindow>(4))); },
         audioMasterOpenWindow, 0, 0, record<void>(4), 0.0f, C::AsIsPointer, integer(0)},
        {"closeWindow", [](BareEffect& e) { return integer(e.closeWindow(record<VstWindow>(4))); },
         audioMasterCloseWindow, 0, 0, record<void>(4), 0.0f, C::NonZero, integer(0)},
        {"getDirectory", [](BareEffect& e) { return pointer(e.getDirectory()); },
         audioMasterGetDirectory, 0, 0, nullptr, 0.0f, C::AsIsPointer, integer(0)},
        {"updateDisplay", [](BareEffect& e) { return integer(e.updateDisplay()); },
         audioMasterUpdateDisplay, 0, 0, nullptr, 0.0f, C::NonZero, integer(0)},
        {"beginEdit", [](BareEffect& e) { return integer(e.beginEdit(7)); }, audioMasterBeginEdit,
         7, 0, nullptr, 0.0f, C::NonZero, integer(0)},
        {"endEdit", [](BareEffect& e) { return integer(e.endEdit(7)); }, audioMasterEndEdit, 7, 0,
         nullptr, 0.0f, C::NonZero, integer(0)},
        {"openFileSelector",
         [](BareEffect& e) { return integer(e.openFileSelector(record<VstFileSelect>(5))); },
         audioMasterOpenFileSelector, 0, 0, record<void>(5), 0.0f, C::NonZero, integer(0)},
        {"closeFileSelector",
         [](BareEffect& e) { return integer(e.closeFileSelector(record<VstFileSelect>(5))); },
         audioMasterCloseFileSelector, 0, 0, record<void>(5), 0.0f, C::NonZero, integer(0)},
        {"getChunkFile", [](BareEffect& e) { return integer(e.getChunkFile(record<void>(6))); },
         audioMasterGetChunkFile, 0, 0, record<void>(6), 0.0f, C::NonZero, integer(0)},
        {"getInputSpeakerArrangement",
         [](BareEffect& e) { return pointer(e.getInputSpeakerArrangement()); },
         audioMasterGetInputSpeakerArrangement, 0, 0, nullptr, 0.0f, C::AsIsPointer, integer(0)},
    };
    return table;
}

// Host answers worth converting: the small ones hosts give, both 32-bit extremes, an address,
// and values whose meaning lives in the upper half of a 64-bit answer (only the lower half is set,
// or only the upper one; on a 32-bit target these are merely further large values).
std::vector<VstIntPtr> hostAnswers() {
    constexpr int half = static_cast<int>(sizeof(VstIntPtr) * 4);
    const VstIntPtr upperOnly = VstIntPtr{1} << half;
    const VstIntPtr lowerAllOnes = upperOnly - 1;
    return {0,
            1,
            -1,
            2,
            2400,
            48000,
            std::numeric_limits<VstInt32>::max(),
            std::numeric_limits<VstInt32>::min(),
            std::numeric_limits<VstIntPtr>::max(),
            reinterpret_cast<VstIntPtr>(&recordBytes[7]),
            upperOnly,
            upperOnly | 7,
            lowerAllOnes};
}

TEST(HostServices, EveryWrapperSendsOneExactRequestAndConvertsTheAnswer) {
    for (const Wrapper& wrapper : wrappers()) {
        for (VstIntPtr answer : hostAnswers()) {
            SCOPED_TRACE(std::string(wrapper.name) + ", host answers " + std::to_string(answer));
            RecordingHost host;
            host.answerEverything(answer);
            host.answer(audioMasterVersion, answer); // the recording host's own default is 2400
            BareEffect effect(RecordingHost::callback);

            const Result result = wrapper.call(effect);

            ASSERT_EQ(host.calls.size(), 1u);
            expectSent(host.calls.front(), {effect.getAeffect(), wrapper.opcode, wrapper.index,
                                            wrapper.value, wrapper.ptr, wrapper.opt});
            EXPECT_EQ(result, expectedFor(wrapper.conversion, answer));
        }
    }
}

TEST(HostServices, WithoutAHostEveryWrapperSendsNothingAndGivesItsQuietAnswer) {
    for (const Wrapper& wrapper : wrappers()) {
        SCOPED_TRACE(wrapper.name);
        BareEffect effect(nullptr);
        EXPECT_EQ(wrapper.call(effect), wrapper.withoutHost);
        EXPECT_EQ(effect.getSampleRate(), kDefaultSampleRate);
        EXPECT_EQ(effect.getBlockSize(), kDefaultBlockSize);
    }
}

TEST(HostServices, FileRequestsWithoutARecordAskNothing) {
    RecordingHost host;
    host.answerEverything(1);
    BareEffect effect(RecordingHost::callback);
    EXPECT_FALSE(effect.openFileSelector(nullptr));
    EXPECT_FALSE(effect.closeFileSelector(nullptr));
    EXPECT_FALSE(effect.getChunkFile(nullptr));
    EXPECT_TRUE(host.calls.empty());
}

TEST(HostServices, SetParameterAutomatedSetsTheParameterEvenWithoutAHost) {
    BareEffect effect(nullptr);
    effect.setParameterAutomated(1, 0.5f);
    ASSERT_EQ(effect.parameterSets.size(), 1u);
    EXPECT_EQ(effect.parameterSets.front(), std::make_pair(VstInt32{1}, 0.5f));
}

TEST(HostServices, UpdateSampleRateKeepsOnlyPositiveAnswers) {
    RecordingHost host;
    BareEffect effect(RecordingHost::callback);
    struct Step {
        VstIntPtr answer;
        double rate; // the result and the sample rate held afterwards
    };
    for (const Step& step :
         {Step{48000, 48000.0}, Step{0, 48000.0}, Step{-5, 48000.0}, Step{96000, 96000.0},
          Step{1, 1.0}, Step{std::numeric_limits<VstInt32>::min(), 1.0}, Step{22050, 22050.0}}) {
        SCOPED_TRACE(step.answer);
        host.answer(audioMasterGetSampleRate, step.answer);
        EXPECT_EQ(effect.updateSampleRate(), step.rate);
        EXPECT_EQ(effect.getSampleRate(), static_cast<float>(step.rate));
    }
    EXPECT_EQ(effect.sampleRateSets, 0) << "the effect is not told of what it asked itself";
}

TEST(HostServices, UpdateBlockSizeKeepsOnlyPositiveAnswers) {
    RecordingHost host;
    BareEffect effect(RecordingHost::callback);
    struct Step {
        VstIntPtr answer;
        VstInt32 size; // the result and the block size held afterwards
    };
    for (const Step& step :
         {Step{2400, 2400}, Step{0, 2400}, Step{-1, 2400}, Step{64, 64},
          Step{std::numeric_limits<VstInt32>::min(), 64},
          Step{std::numeric_limits<VstInt32>::max(), std::numeric_limits<VstInt32>::max()}}) {
        SCOPED_TRACE(step.answer);
        host.answer(audioMasterGetBlockSize, step.answer);
        EXPECT_EQ(effect.updateBlockSize(), step.size);
        EXPECT_EQ(effect.getBlockSize(), step.size);
    }
    EXPECT_EQ(effect.blockSizeSets, 0) << "the effect is not told of what it asked itself";
}

// A 64-bit host's answer is read as the 32-bit block size it stands for, so an answer whose
// lower half is negative never becomes the block size.
TEST(HostServices, UpdateBlockSizeReadsA64BitAnswerAs32Bits) {
    if (sizeof(VstIntPtr) == 4) GTEST_SKIP() << "answers are 32-bit on this target";
    RecordingHost host;
    BareEffect effect(RecordingHost::callback);
    host.answer(audioMasterGetBlockSize, static_cast<VstIntPtr>(std::uint32_t{0xFFFFFFFF}));
    EXPECT_EQ(effect.updateBlockSize(), kDefaultBlockSize);
    host.answer(audioMasterGetBlockSize, static_cast<VstIntPtr>(std::uint32_t{0x80000000}));
    EXPECT_EQ(effect.updateBlockSize(), kDefaultBlockSize);
}

// The host switches the effect on; the effect asks for MIDI only when it is a synth or says,
// with exactly 1, that it receives MIDI events.
TEST(HostServices, ResumeAsksForMidiOnlyForASynthOrAnEffectThatReceivesMidi) {
    struct Case {
        bool synth;
        VstInt32 canDoAnswer;
        bool asksForMidi;
    };
    for (const Case& c : {Case{false, 1, true}, Case{false, -1, false}, Case{false, 2, false},
                          Case{false, 0, false}, Case{true, 0, true}, Case{true, -1, true}}) {
        SCOPED_TRACE(std::string(c.synth ? "synth" : "effect") + ", canDo answers " +
                     std::to_string(c.canDoAnswer));
        RecordingHost host;
        BareEffect effect(RecordingHost::callback);
        effect.isSynth(c.synth);
        effect.canDoAnswer = c.canDoAnswer;
        AEffect* record = effect.getAeffect();

        record->dispatcher(record, effMainsChanged, 0, 0, nullptr, 0.0f); // off: asks nothing
        EXPECT_TRUE(host.calls.empty());
        EXPECT_TRUE(effect.canDoTexts.empty());
        record->dispatcher(record, effMainsChanged, 0, 1, nullptr, 0.0f);

        if (c.synth) {
            EXPECT_TRUE(effect.canDoTexts.empty()) << "a synth wants MIDI without asking";
        } else {
            EXPECT_EQ(effect.canDoTexts, std::vector<std::string>{"receiveVstMidiEvent"});
        }
        if (!c.asksForMidi) {
            EXPECT_TRUE(host.calls.empty());
            continue;
        }
        ASSERT_EQ(host.calls.size(), 1u);
        expectSent(host.calls.front(), {record, audioMasterWantMidi, 0, 1, nullptr, 0.0f});
    }
}

TEST(HostServices, ResumeWithoutAHostStillAsksTheEffectAndSendsNothing) {
    BareEffect effect(nullptr);
    effect.canDoAnswer = 1;
    AEffect* record = effect.getAeffect();
    EXPECT_EQ(record->dispatcher(record, effMainsChanged, 0, 1, nullptr, 0.0f), 0);
    EXPECT_EQ(effect.canDoTexts, std::vector<std::string>{"receiveVstMidiEvent"});
}

} // namespace
