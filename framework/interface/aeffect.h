// The plug-in interface shared with the host: the AEffect record, the function-pointer types
// stored in it, the host callback, the opcodes in both directions, the flag bits, the
// four-character codes and the few records whose layout this framework builds itself.
//
// This is the only file that knows the record's layout. Everything here is plain C-compatible
// data so that a host written in any language can read it.
#pragma once

#include <cstddef>
#include <cstdint>

// Every function the host and the effect call through pointers, and the entry itself, use the
// C calling convention; 32-bit Windows spells it out because other conventions exist there.
#if defined(_WIN32) && !defined(_WIN64)
#define VSTCALLBACK __cdecl
#else
#define VSTCALLBACK
#endif

using VstInt32 = std::int32_t;
using VstIntPtr = std::intptr_t;

// A 32-bit value whose most significant byte is the first character: fourCharCode("VstP").
constexpr VstInt32 fourCharCode(const char (&code)[5]) {
    return static_cast<VstInt32>(
        (static_cast<std::uint32_t>(static_cast<unsigned char>(code[0])) << 24) |
        (static_cast<std::uint32_t>(static_cast<unsigned char>(code[1])) << 16) |
        (static_cast<std::uint32_t>(static_cast<unsigned char>(code[2])) << 8) |
        static_cast<std::uint32_t>(static_cast<unsigned char>(code[3])));
}

constexpr VstInt32 kEffectMagic = fourCharCode("VstP");     // marks a valid record
constexpr VstInt32 kDefaultUniqueID = fourCharCode("NoEf"); // the base class's placeholder ID
constexpr VstInt32 kEffectIdentify = fourCharCode("NvEf");  // the answer to effIdentify
constexpr VstInt32 kVstVersion = 2400;

// The most characters the interface grants each kind of text an effect writes for the host, as
// the maxLen of the bounded copy; the host's buffer holds one byte more.
constexpr VstInt32 kParameterTextLength = 8; // a parameter's name, label and display
constexpr VstInt32 kProgramNameLength = 24;
constexpr VstInt32 kEffectNameLength = 32;
constexpr VstInt32 kVendorTextLength = 64; // the vendor and product strings

struct AEffect;

using audioMasterCallback = VstIntPtr(VSTCALLBACK*)(AEffect* effect, VstInt32 opcode,
                                                    VstInt32 index, VstIntPtr value, void* ptr,
                                                    float opt);
using AEffectDispatcherProc = VstIntPtr(VSTCALLBACK*)(AEffect* effect, VstInt32 opcode,
                                                      VstInt32 index, VstIntPtr value, void* ptr,
                                                      float opt);
using AEffectProcessProc = void(VSTCALLBACK*)(AEffect* effect, float** inputs, float** outputs,
                                              VstInt32 sampleFrames);
using AEffectProcessDoubleProc = void(VSTCALLBACK*)(AEffect* effect, double** inputs,
                                                    double** outputs, VstInt32 sampleFrames);
using AEffectSetParameterProc = void(VSTCALLBACK*)(AEffect* effect, VstInt32 index,
                                                   float parameter);
using AEffectGetParameterProc = float(VSTCALLBACK*)(AEffect* effect, VstInt32 index);

// The record the host receives from the entry. Field order and widths are the interface's;
// pointer-sized fields widen on 64-bit targets.
struct AEffect {
    VstInt32 magic;
    AEffectDispatcherProc dispatcher;
    AEffectProcessProc process; // deprecated accumulating call
    AEffectSetParameterProc setParameter;
    AEffectGetParameterProc getParameter;
    VstInt32 numPrograms;
    VstInt32 numParams;
    VstInt32 numInputs;
    VstInt32 numOutputs;
    VstInt32 flags;
    VstIntPtr resvd1;
    VstIntPtr resvd2;
    VstInt32 initialDelay;
    VstInt32 realQualities; // deprecated
    VstInt32 offQualities;  // deprecated
    float ioRatio;          // deprecated
    void* object;           // the effect object; how the trampolines find it
    void* user;             // the host's own
    VstInt32 uniqueID;
    VstInt32 version;
    AEffectProcessProc processReplacing;
    AEffectProcessDoubleProc processDoubleReplacing;
    char future[56];
};

#define SLOPECRUSH_ASSERT_OFFSET(field, at32, at64)                                                \
    static_assert(offsetof(AEffect, field) == (sizeof(void*) == 4 ? (at32) : (at64)),              \
                  "AEffect::" #field " is not where hosts look for it")
static_assert(offsetof(AEffect, magic) == 0, "AEffect::magic must come first");
SLOPECRUSH_ASSERT_OFFSET(dispatcher, 4, 8);
SLOPECRUSH_ASSERT_OFFSET(process, 8, 16);
SLOPECRUSH_ASSERT_OFFSET(setParameter, 12, 24);
SLOPECRUSH_ASSERT_OFFSET(getParameter, 16, 32);
SLOPECRUSH_ASSERT_OFFSET(numPrograms, 20, 40);
SLOPECRUSH_ASSERT_OFFSET(numParams, 24, 44);
SLOPECRUSH_ASSERT_OFFSET(numInputs, 28, 48);
SLOPECRUSH_ASSERT_OFFSET(numOutputs, 32, 52);
SLOPECRUSH_ASSERT_OFFSET(flags, 36, 56);
SLOPECRUSH_ASSERT_OFFSET(resvd1, 40, 64);
SLOPECRUSH_ASSERT_OFFSET(resvd2, 44, 72);
SLOPECRUSH_ASSERT_OFFSET(initialDelay, 48, 80);
SLOPECRUSH_ASSERT_OFFSET(realQualities, 52, 84);
SLOPECRUSH_ASSERT_OFFSET(offQualities, 56, 88);
SLOPECRUSH_ASSERT_OFFSET(ioRatio, 60, 92);
SLOPECRUSH_ASSERT_OFFSET(object, 64, 96);
SLOPECRUSH_ASSERT_OFFSET(user, 68, 104);
SLOPECRUSH_ASSERT_OFFSET(uniqueID, 72, 112);
SLOPECRUSH_ASSERT_OFFSET(version, 76, 116);
SLOPECRUSH_ASSERT_OFFSET(processReplacing, 80, 120);
SLOPECRUSH_ASSERT_OFFSET(processDoubleReplacing, 84, 128);
SLOPECRUSH_ASSERT_OFFSET(future, 88, 136);
#undef SLOPECRUSH_ASSERT_OFFSET
static_assert(sizeof(AEffect) == (sizeof(void*) == 4 ? 144 : 192), "AEffect has the wrong size");

// Flag bits of AEffect::flags.
enum VstAEffectFlags : VstInt32 {
    effFlagsHasEditor = 1 << 0,
    effFlagsHasClip = 1 << 1,
    effFlagsHasVu = 1 << 2,
    effFlagsCanMono = 1 << 3,
    effFlagsCanReplacing = 1 << 4,
    effFlagsProgramChunks = 1 << 5,
    effFlagsIsSynth = 1 << 8,
    effFlagsNoSoundInStop = 1 << 9,
    effFlagsExtIsAsync = 1 << 10,
    effFlagsExtHasBuffer = 1 << 11,
    effFlagsCanDoubleReplacing = 1 << 12,
};

// Host-to-effect requests.
enum AEffectOpcodes : VstInt32 {
    effOpen = 0,
    effClose = 1,
    effSetProgram = 2,
    effGetProgram = 3,
    effSetProgramName = 4,
    effGetProgramName = 5,
    effGetParamLabel = 6,
    effGetParamDisplay = 7,
    effGetParamName = 8,
    effGetVu = 9,
    effSetSampleRate = 10,
    effSetBlockSize = 11,
    effMainsChanged = 12,
    effEditGetRect = 13,
    effEditOpen = 14,
    effEditClose = 15,
    effEditDraw = 16,
    effEditMouse = 17,
    effEditKey = 18,
    effEditIdle = 19,
    effEditTop = 20,
    effEditSleep = 21,
    effIdentify = 22,
    effGetChunk = 23,
    effSetChunk = 24,
    effProcessEvents = 25,
    effCanBeAutomated = 26,
    effString2Parameter = 27,
    effGetNumProgramCategories = 28,
    effGetProgramNameIndexed = 29,
    effCopyProgram = 30,
    effConnectInput = 31,
    effConnectOutput = 32,
    effGetInputProperties = 33,
    effGetOutputProperties = 34,
    effGetPlugCategory = 35,
    effGetCurrentPosition = 36,
    effGetDestinationBuffer = 37,
    effOfflineNotify = 38,
    effOfflinePrepare = 39,
    effOfflineRun = 40,
    effProcessVarIo = 41,
    effSetSpeakerArrangement = 42,
    effSetBlockSizeAndSampleRate = 43,
    effSetBypass = 44,
    effGetEffectName = 45,
    effGetErrorText = 46,
    effGetVendorString = 47,
    effGetProductString = 48,
    effGetVendorVersion = 49,
    effVendorSpecific = 50,
    effCanDo = 51,
    effGetTailSize = 52,
    effIdle = 53,
    effGetIcon = 54,
    effSetViewPosition = 55,
    effGetParameterProperties = 56,
    effKeysRequired = 57,
    effGetVstVersion = 58,
    effEditKeyDown = 59,
    effEditKeyUp = 60,
    effSetEditKnobMode = 61,
    effGetMidiProgramName = 62,
    effGetCurrentMidiProgram = 63,
    effGetMidiProgramCategory = 64,
    effHasMidiProgramsChanged = 65,
    effGetMidiKeyName = 66,
    effBeginSetProgram = 67,
    effEndSetProgram = 68,
    effGetSpeakerArrangement = 69,
    effShellGetNextPlugin = 70,
    effStartProcess = 71,
    effStopProcess = 72,
    effSetTotalSampleToProcess = 73,
    effSetPanLaw = 74,
    effBeginLoadBank = 75,
    effBeginLoadProgram = 76,
    effSetProcessPrecision = 77,
    effGetNumMidiInputChannels = 78,
    effGetNumMidiOutputChannels = 79,
};

// Effect-to-host requests sent through audioMasterCallback.
enum AudioMasterOpcodes : VstInt32 {
    audioMasterAutomate = 0,
    audioMasterVersion = 1,
    audioMasterCurrentId = 2,
    audioMasterIdle = 3,
    audioMasterPinConnected = 4,
    audioMasterWantMidi = 6,
    audioMasterGetTime = 7,
    audioMasterProcessEvents = 8,
    audioMasterSetTime = 9,
    audioMasterTempoAt = 10,
    audioMasterGetNumAutomatableParameters = 11,
    audioMasterGetParameterQuantization = 12,
    audioMasterIOChanged = 13,
    audioMasterNeedIdle = 14,
    audioMasterSizeWindow = 15,
    audioMasterGetSampleRate = 16,
    audioMasterGetBlockSize = 17,
    audioMasterGetInputLatency = 18,
    audioMasterGetOutputLatency = 19,
    audioMasterGetPreviousPlug = 20,
    audioMasterGetNextPlug = 21,
    audioMasterWillReplaceOrAccumulate = 22,
    audioMasterGetCurrentProcessLevel = 23,
    audioMasterGetAutomationState = 24,
    audioMasterOfflineStart = 25,
    audioMasterOfflineRead = 26,
    audioMasterOfflineWrite = 27,
    audioMasterOfflineGetCurrentPass = 28,
    audioMasterOfflineGetCurrentMetaPass = 29,
    audioMasterSetOutputSampleRate = 30,
    audioMasterGetOutputSpeakerArrangement = 31,
    audioMasterGetVendorString = 32,
    audioMasterGetProductString = 33,
    audioMasterGetVendorVersion = 34,
    audioMasterVendorSpecific = 35,
    audioMasterSetIcon = 36,
    audioMasterCanDo = 37,
    audioMasterGetLanguage = 38,
    audioMasterOpenWindow = 39,
    audioMasterCloseWindow = 40,
    audioMasterGetDirectory = 41,
    audioMasterUpdateDisplay = 42,
    audioMasterBeginEdit = 43,
    audioMasterEndEdit = 44,
    audioMasterOpenFileSelector = 45,
    audioMasterCloseFileSelector = 46,
    audioMasterEditFile = 47,
    audioMasterGetChunkFile = 48,
    audioMasterGetInputSpeakerArrangement = 49,
};

enum VstPlugCategory : VstInt32 {
    kPlugCategUnknown = 0,
    kPlugCategSynth = 2,
};

// Passed through to the host unchanged; its values are the host's business.
using VstOfflineOption = VstInt32;

// The key record handed to an editor for effEditKeyDown and effEditKeyUp.
struct VstKeyCode {
    VstInt32 character;
    unsigned char virt;
    unsigned char modifier;
};

// One speaker of an arrangement: 112 bytes on every target.
struct VstSpeakerProperties {
    float azimuth;
    float elevation;
    float radius;
    float reserved;
    char name[64];
    VstInt32 type;
    char future[28];
};
static_assert(sizeof(VstSpeakerProperties) == 112, "VstSpeakerProperties must be 112 bytes");
static_assert(offsetof(VstSpeakerProperties, name) == 16 &&
                  offsetof(VstSpeakerProperties, type) == 80 &&
                  offsetof(VstSpeakerProperties, future) == 84,
              "VstSpeakerProperties fields are not where hosts look for them");
static_assert(offsetof(VstSpeakerProperties, azimuth) == 0 &&
                  offsetof(VstSpeakerProperties, elevation) == 4 &&
                  offsetof(VstSpeakerProperties, radius) == 8 &&
                  offsetof(VstSpeakerProperties, reserved) == 12,
              "VstSpeakerProperties fields are not where hosts look for them");

// A channel layout: this 8-byte header, followed in the same block by numChannels speaker
// records back to back. speakerAt() finds them.
struct VstSpeakerArrangement {
    VstInt32 type;
    VstInt32 numChannels;
};
static_assert(sizeof(VstSpeakerArrangement) == 8, "VstSpeakerArrangement header must be 8 bytes");
static_assert(offsetof(VstSpeakerArrangement, type) == 0 &&
                  offsetof(VstSpeakerArrangement, numChannels) == 4,
              "VstSpeakerArrangement fields are not where hosts look for them");
// The speaker records share the header's block, so they must start aligned right after it.
static_assert(sizeof(VstSpeakerArrangement) % alignof(VstSpeakerProperties) == 0,
              "speaker records after the header would be misaligned");

// Byte size of an arrangement block with n speakers.
constexpr std::size_t speakerArrangementSize(std::size_t n) {
    return sizeof(VstSpeakerArrangement) + n * sizeof(VstSpeakerProperties);
}

inline VstSpeakerProperties* speakerAt(VstSpeakerArrangement* arrangement, VstInt32 i) {
    return reinterpret_cast<VstSpeakerProperties*>(
        reinterpret_cast<unsigned char*>(arrangement) +
        speakerArrangementSize(static_cast<std::size_t>(i)));
}

// Records that the framework only passes through by pointer; it never reads their fields.
struct ERect;
struct VstTimeInfo;
struct VstEvents;
struct VstVariableIo;
struct VstParameterProperties;
struct VstPinProperties;
struct VstPatchChunkInfo;
struct VstFileSelect;
struct VstWindow;
struct VstOfflineTask;
struct VstAudioFile;
struct MidiProgramName;
struct MidiProgramCategory;
struct MidiKeyName;
