// The two canDo lists: the interface's texts in its order, each text stored once.

#include "candotexts.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

namespace {

template <typename List> std::vector<std::string> textsOf(const List& list) {
    std::vector<std::string> texts;
    for (const char* text : list)
        texts.emplace_back(text != nullptr ? text : "(null)");
    return texts;
}

TEST(CanDoTexts, HostListHoldsTheFourteenHostAbilitiesInOrder) {
    EXPECT_EQ(textsOf(hostCanDoTexts),
              (std::vector<std::string>{
                  "sendVstEvents", "sendVstMidiEvent", "sendVstTimeInfo", "receiveVstEvents",
                  "receiveVstMidiEvent", "reportConnectionChanges", "acceptIOChanges", "sizeWindow",
                  "offline", "openFileSelector", "closeFileSelector", "startStopProcess",
                  "shellCategory", "sendVstMidiEventFlagIsRealtime"}));
}

TEST(CanDoTexts, EffectListHoldsTheEightEffectAbilitiesInOrder) {
    EXPECT_EQ(textsOf(effectCanDoTexts),
              (std::vector<std::string>{"sendVstEvents", "sendVstMidiEvent", "receiveVstEvents",
                                        "receiveVstMidiEvent", "receiveVstTimeInfo", "offline",
                                        "midiProgramNames", "bypass"}));
}

// Texts equal in content are one stored text, whichever list they are reached from.
TEST(CanDoTexts, EachTextIsStoredOnce) {
    std::set<std::string> shared;
    for (const char* hostText : hostCanDoTexts) {
        for (const char* effectText : effectCanDoTexts) {
            if (std::string(hostText) != effectText) continue;
            EXPECT_EQ(static_cast<const void*>(hostText), static_cast<const void*>(effectText))
                << hostText;
            shared.insert(hostText);
        }
    }
    EXPECT_EQ(shared,
              (std::set<std::string>{"sendVstEvents", "sendVstMidiEvent", "receiveVstEvents",
                                     "receiveVstMidiEvent", "offline"}));
}

} // namespace
