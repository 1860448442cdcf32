// The effect object's rules, which every edition forwards to: both forms of a value, clamping and
// NaN, the display of what plays, and the saved state with what a load meets while the
// audio thread is taking the one before.

#include "effect.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

namespace deltamod {

// Holds a take of a loaded state halfway, as a preempted audio thread would.
class EffectTestAccess {
public:
    static bool readLoaded(const Effect& effect, PlainValues& values, std::uint64_t& sequence) {
        return effect.readLoaded(values, sequence);
    }
    static void applyLoaded(Effect& effect, const PlainValues& values, std::uint64_t sequence) {
        effect.applyLoaded(values, sequence);
    }
    // A load stopped after its first value: the sequence odd, the rest not yet written.
    static void beginLoad(Effect& effect, double inGainDb) {
        effect.loadSequence.fetch_add(1);
        effect.loadedValues[kInGain].store(inGainDb);
    }
};

namespace {

const double kNaN = std::numeric_limits<double>::quiet_NaN();

std::string shown(const Effect& effect, int index) {
    char text[9] = "unset";
    effect.display(index, text, 8);
    return text;
}

std::vector<unsigned char> bytesOf(const StateBytes& state) { return {state.begin(), state.end()}; }
bool load(Effect& effect, const std::vector<unsigned char>& bytes) {
    return effect.load(bytes.data(), bytes.size());
}

// Each row: a value set in one form, what both forms then read and what plays.
TEST(EffectValues, EachFormClampsAndSetsTheOther) {
    struct Row {
        int index;
        bool plainForm;
        double value;
        double plain;
        float normalised;
        const char* display;
    };
    const float nanf = std::numeric_limits<float>::quiet_NaN();
    const Row rows[] = {
        {kInGain, true, 100.0, 12.0412, 1.0f, "12.04119"},
        {kInGain, true, kNaN, -60.0, 0.0f, "-oo"},
        {kInGain, true, -1e300, -60.0, 0.0f, "-oo"},
        {kInGain, true, -6.0, -6.0, gainForDecibels(-6.0), "-6.00000"},
        {kPitch, true, 7.9, 7.9, pitchForRateIndex(7), "8363.419"},
        {kPitch, true, -3.0, 0.0, pitchForRateIndex(0), "4181.709"},
        {kPitch, true, kNaN, 0.0, pitchForRateIndex(0), "4181.709"},
        {kInGain, false, 0.5, 20.0 * std::log10(2.0), 0.5f, "6.020599"},
        {kInGain, false, 2.0, 12.0412, 2.0f, "18.06180"}, // kept as given, and played so
        {kInGain, false, -0.5, -60.0, -0.5f, "-oo"},
        {kPitch, false, 0.5, 7.0, 0.5f, "8363.419"},
        {kPitch, false, 1.5, 15.0, 1.5f, "33143.89"},
        {kPitch, false, nanf, 0.0, nanf, "4181.709"},
    };
    for (const Row& row : rows) {
        Effect effect;
        if (row.plainForm)
            effect.setPlain(row.index, row.value);
        else
            effect.setNormalised(row.index, static_cast<float>(row.value));
        SCOPED_TRACE(std::to_string(row.index) + (row.plainForm ? " plain " : " normalised ") +
                     std::to_string(row.value));
        EXPECT_EQ(effect.plain(row.index), row.plain);
        const float normalised = effect.normalised(row.index);
        EXPECT_EQ(std::memcmp(&normalised, &row.normalised, sizeof normalised), 0) << normalised;
        EXPECT_EQ(shown(effect, row.index), row.display);
    }
}

// The published format: later versions must keep reading what users saved.
std::vector<unsigned char> stateBytes(std::uint32_t version, double inGain, double pitch) {
    std::vector<unsigned char> bytes = {'S', 'l', 'C', 'r'};
    const auto append = [&](std::uint64_t bits, int count) {
        for (int i = 0; i < count; ++i)
            bytes.push_back(static_cast<unsigned char>(bits >> (8 * i)));
    };
    append(version, 4);
    std::uint64_t bits = 0;
    std::memcpy(&bits, &inGain, 8);
    append(bits, 8);
    std::memcpy(&bits, &pitch, 8);
    append(bits, 8);
    return bytes;
}

TEST(EffectState, SavesThePublishedBytesAndRefusesAnythingElse) {
    Effect saved;
    saved.setPlain(kInGain, -7.25);
    saved.setPlain(kPitch, 9.5);
    const std::vector<unsigned char> bytes = bytesOf(saved.save());
    EXPECT_EQ(bytes, stateBytes(1, -7.25, 9.5));

    Effect restored;
    ASSERT_TRUE(load(restored, bytes));
    std::vector<unsigned char> longer = bytes;
    longer.push_back(0);
    std::vector<std::vector<unsigned char>> refused = {
        {},
        std::vector<unsigned char>(bytes.begin(), bytes.end() - 1),
        longer,
        stateBytes(2, 1.0, 1.0),
        stateBytes(0, 1.0, 1.0),
        stateBytes(1, kNaN, 1.0),
        stateBytes(1, 1.0, std::numeric_limits<double>::infinity()),
        stateBytes(1, 1.0, 16.0),
        stateBytes(1, -61.0, 1.0),
    };
    for (std::size_t i = 0; i < 4; ++i) { // each byte of the magic
        refused.push_back(bytes);
        refused.back()[i] ^= 0x20;
    }
    for (const auto& state : refused) {
        EXPECT_FALSE(load(restored, state)) << state.size() << " bytes";
        EXPECT_EQ(restored.plain(kInGain), -7.25);
        EXPECT_EQ(restored.plain(kPitch), 9.5);
    }
    EXPECT_FALSE(restored.load(nullptr, 24));
}

TEST(EffectState, ALoadIsShownAtOnceAndPlaysFromTheNextTake) {
    Effect effect;
    ASSERT_TRUE(load(effect, stateBytes(1, -6.0, 3.0)));
    EXPECT_EQ(effect.plain(kInGain), -6.0);
    EXPECT_EQ(effect.normalised(kPitch), pitchForRateIndex(3));
    EXPECT_EQ(bytesOf(effect.save()), stateBytes(1, -6.0, 3.0));
    EXPECT_EQ(shown(effect, kPitch), "24857.90") << "the sound changes at the take";
    effect.takeLoadedState();
    EXPECT_EQ(shown(effect, kInGain), "-6.00000");
    EXPECT_EQ(shown(effect, kPitch), "5593.040");
}

// A host restoring a project loads the default state and then the saved one, while the audio
// thread may be taking the first: the second must be what is shown, saved and then played.
TEST(EffectState, ASecondLoadDuringATakeOfTheFirstIsWhatStays) {
    Effect effect;
    ASSERT_TRUE(load(effect, stateBytes(1, 0.0, 14.0)));
    PlainValues first{};
    std::uint64_t sequence = 0;
    ASSERT_TRUE(EffectTestAccess::readLoaded(effect, first, sequence));
    ASSERT_TRUE(load(effect, stateBytes(1, -20.0, 2.0)));
    EffectTestAccess::applyLoaded(effect, first, sequence); // the held take finishes
    EXPECT_EQ(effect.plain(kInGain), -20.0);
    EXPECT_EQ(effect.plain(kPitch), 2.0);
    EXPECT_EQ(bytesOf(effect.save()), stateBytes(1, -20.0, 2.0));
    effect.takeLoadedState();
    EXPECT_EQ(shown(effect, kInGain), "-20.0000");
    EXPECT_EQ(shown(effect, kPitch), "5264.040");

    // A take that meets a load half written leaves it for the next take.
    EffectTestAccess::beginLoad(effect, -30.0);
    effect.takeLoadedState();
    EXPECT_EQ(shown(effect, kInGain), "-20.0000");
}

} // namespace
} // namespace deltamod
