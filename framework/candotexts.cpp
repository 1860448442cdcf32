#include "candotexts.h"

namespace {

// Each text once; the lists below point into these.
constexpr char kSendVstEvents[] = "sendVstEvents";
constexpr char kSendVstMidiEvent[] = "sendVstMidiEvent";
constexpr char kSendVstTimeInfo[] = "sendVstTimeInfo";
constexpr char kReceiveVstEvents[] = "receiveVstEvents";
constexpr char kReceiveVstMidiEvent[] = "receiveVstMidiEvent";
constexpr char kReceiveVstTimeInfo[] = "receiveVstTimeInfo";
constexpr char kReportConnectionChanges[] = "reportConnectionChanges";
constexpr char kAcceptIOChanges[] = "acceptIOChanges";
constexpr char kSizeWindow[] = "sizeWindow";
constexpr char kOffline[] = "offline";
constexpr char kOpenFileSelector[] = "openFileSelector";
constexpr char kCloseFileSelector[] = "closeFileSelector";
constexpr char kStartStopProcess[] = "startStopProcess";
constexpr char kShellCategory[] = "shellCategory";
constexpr char kSendVstMidiEventFlagIsRealtime[] = "sendVstMidiEventFlagIsRealtime";
constexpr char kMidiProgramNames[] = "midiProgramNames";
constexpr char kBypass[] = "bypass";

} // namespace

const std::array<const char*, kNumHostCanDoTexts> hostCanDoTexts = {
    kSendVstEvents,
    kSendVstMidiEvent,
    kSendVstTimeInfo,
    kReceiveVstEvents,
    kReceiveVstMidiEvent,
    kReportConnectionChanges,
    kAcceptIOChanges,
    kSizeWindow,
    kOffline,
    kOpenFileSelector,
    kCloseFileSelector,
    kStartStopProcess,
    kShellCategory,
    kSendVstMidiEventFlagIsRealtime,
};

const std::array<const char*, kNumEffectCanDoTexts> effectCanDoTexts = {
    kSendVstEvents,      kSendVstMidiEvent, kReceiveVstEvents, kReceiveVstMidiEvent,
    kReceiveVstTimeInfo, kOffline,          kMidiProgramNames, kBypass,
};
