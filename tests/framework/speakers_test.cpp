// The speaker-arrangement tools: blocks of the right size and content, released when they should
// be, speaker records copied bit for bit with a bounded name, matching built from the virtual
// tools, and harmless answers to counts and pointers that cannot work. Run under the sanitizer
// or valgrind, a block smaller than it claims or a block never released fails these tests.

#include "bareeffect.h"
#include "sentinel.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

namespace {

unsigned char* bytesOf(VstSpeakerArrangement* arrangement) {
    return reinterpret_cast<unsigned char*>(arrangement);
}

std::size_t blockBytes(VstInt32 channels) { return 8 + 112 * static_cast<std::size_t>(channels); }

// A pointer slot that gives its block back when the test ends, however it ends.
struct Slot {
    explicit Slot(AudioEffectX& owner) : owner(owner) {}
    ~Slot() { owner.AudioEffectX::deallocateArrangement(&block); }
    Slot(const Slot&) = delete;
    Slot& operator=(const Slot&) = delete;

    AudioEffectX& owner;
    VstSpeakerArrangement* block = nullptr;
};

float floatWithBits(std::uint32_t bits) {
    float value;
    std::memcpy(&value, &bits, sizeof(value));
    return value;
}

// A speaker whose every field differs from every other speaker's and from zero, with bit
// patterns an arithmetic copy would change (a signalling NaN payload, a negative zero).
void fillSpeaker(VstSpeakerProperties& speaker, int seed) {
    std::memset(&speaker, 0, sizeof(speaker));
    speaker.azimuth = floatWithBits(0x7FA00001u + static_cast<std::uint32_t>(seed));
    speaker.elevation = floatWithBits(0x80000000u); // -0.0
    speaker.radius = 1.5f + static_cast<float>(seed);
    speaker.reserved = floatWithBits(0xFFFFFFF0u + static_cast<std::uint32_t>(seed));
    const std::string name = "Speaker " + std::to_string(seed);
    std::memcpy(speaker.name, name.c_str(), name.size() + 1);
    speaker.type = -100 - seed;
    for (std::size_t i = 0; i < sizeof(speaker.future); ++i)
        speaker.future[i] = static_cast<char>(seed * 31 + static_cast<int>(i) + 1);
}

bool sameBytes(const void* a, const void* b, std::size_t n) {
    return n == 0 || std::memcmp(a, b, n) == 0;
}

// The tools with switches to refuse, and a log of what matchArrangement asked of them.
class SpeakerToolsEffect : public BareEffect {
public:
    SpeakerToolsEffect() : BareEffect(nullptr) {}

    bool allocateArrangement(VstSpeakerArrangement** arrangement, VstInt32 channels) override {
        log.push_back("allocate " + std::to_string(channels));
        return !refuseAllocate && AudioEffectX::allocateArrangement(arrangement, channels);
    }
    bool deallocateArrangement(VstSpeakerArrangement** arrangement) override {
        log.push_back("deallocate");
        return !refuseDeallocate && AudioEffectX::deallocateArrangement(arrangement);
    }
    bool copySpeaker(VstSpeakerProperties* to, VstSpeakerProperties* from) override {
        log.push_back("copy");
        return copiesAllowed-- > 0 && AudioEffectX::copySpeaker(to, from);
    }

    bool refuseAllocate = false;
    bool refuseDeallocate = false;
    int copiesAllowed = std::numeric_limits<int>::max();
    std::vector<std::string> log;
};

// An arrangement as a host or another effect might hand over: every speaker filled.
void buildArrangement(AudioEffectX& owner, Slot& slot, VstInt32 type, VstInt32 channels) {
    ASSERT_TRUE(owner.AudioEffectX::allocateArrangement(&slot.block, channels));
    slot.block->type = type;
    for (VstInt32 i = 0; i < channels; ++i)
        fillSpeaker(*speakerAt(slot.block, i), i + 1);
}

TEST(SpeakerArrangement, AllocateGivesAZeroedBlockOfHeaderAndSpeakers) {
    for (VstInt32 channels : {0, 1, 2, 6, 32}) {
        SCOPED_TRACE(channels);
        BareEffect effect(nullptr);
        Slot slot(effect);
        ASSERT_TRUE(effect.allocateArrangement(&slot.block, channels));
        ASSERT_NE(slot.block, nullptr);
        EXPECT_EQ(slot.block->type, 0);
        EXPECT_EQ(slot.block->numChannels, channels);
        // Room for at least the eight speakers hosts declare and read: 904 bytes up to eight.
        const std::size_t bytes = blockBytes(channels > 8 ? channels : 8);
        const std::vector<unsigned char> zeros(bytes - 8, 0);
        EXPECT_TRUE(sameBytes(bytesOf(slot.block) + 8, zeros.data(), zeros.size()));
        // Every byte a host may touch is the effect's; a short block fails here under the
        // sanitizer or valgrind.
        std::memset(bytesOf(slot.block), 0xA5, bytes);
    }
}

TEST(SpeakerArrangement, AllocateReleasesTheBlockAlreadyInTheSlot) {
    BareEffect effect(nullptr);
    Slot slot(effect);
    ASSERT_TRUE(effect.allocateArrangement(&slot.block, 2));
    slot.block->type = 5;
    fillSpeaker(*speakerAt(slot.block, 0), 1);
    // The first block is released here; the leak checker reports it otherwise.
    ASSERT_TRUE(effect.allocateArrangement(&slot.block, 3));
    EXPECT_EQ(slot.block->type, 0);
    EXPECT_EQ(slot.block->numChannels, 3);
    const std::vector<unsigned char> zeros(3 * 112, 0);
    EXPECT_TRUE(sameBytes(speakerAt(slot.block, 0), zeros.data(), zeros.size()));
}

// A negative count, or one whose block would not fit in 32 bits, gets no block: never one smaller
// than its numChannels claims. The slot's old block is released all the same.
TEST(SpeakerArrangement, AllocateRefusesCountsNoBlockCanHold) {
    const VstInt32 firstTooLarge = 38347923; // 8 + 112 x 38347923 = 2^32 + 88
    for (VstInt32 channels : {-1, -2, std::numeric_limits<VstInt32>::min(), firstTooLarge,
                              std::numeric_limits<VstInt32>::max()}) {
        for (bool slotHeldABlock : {false, true}) {
            SCOPED_TRACE(std::to_string(channels) + (slotHeldABlock ? ", held" : ", empty"));
            BareEffect effect(nullptr);
            Slot slot(effect);
            if (slotHeldABlock) {
                ASSERT_TRUE(effect.allocateArrangement(&slot.block, 2));
            }
            EXPECT_FALSE(effect.allocateArrangement(&slot.block, channels));
            EXPECT_EQ(slot.block, nullptr);
        }
    }
}

TEST(SpeakerArrangement, DeallocateEmptiesTheSlotAndAcceptsAnEmptySlot) {
    BareEffect effect(nullptr);
    VstSpeakerArrangement* slot = nullptr;
    EXPECT_TRUE(effect.deallocateArrangement(&slot));
    EXPECT_EQ(slot, nullptr);
    ASSERT_TRUE(effect.allocateArrangement(&slot, 4));
    EXPECT_TRUE(effect.deallocateArrangement(&slot));
    EXPECT_EQ(slot, nullptr);
    EXPECT_TRUE(effect.deallocateArrangement(&slot)) << "releasing twice is harmless";
}

// No tool may crash on a missing pointer; each says it did nothing.
TEST(SpeakerArrangement, MissingPointersAreRefused) {
    BareEffect effect(nullptr);
    VstSpeakerProperties speaker;
    fillSpeaker(speaker, 1);
    const VstSpeakerProperties original = speaker;
    Slot from(effect);
    buildArrangement(effect, from, 1, 2);

    EXPECT_FALSE(effect.allocateArrangement(nullptr, 2));
    EXPECT_FALSE(effect.deallocateArrangement(nullptr));
    EXPECT_FALSE(effect.matchArrangement(nullptr, from.block));
    EXPECT_FALSE(effect.copySpeaker(nullptr, &speaker));
    EXPECT_FALSE(effect.copySpeaker(&speaker, nullptr));
    EXPECT_FALSE(effect.copySpeaker(nullptr, nullptr));
    EXPECT_TRUE(sameBytes(&speaker, &original, sizeof(speaker)));

    SpeakerToolsEffect tools;
    EXPECT_FALSE(tools.matchArrangement(nullptr, from.block));
    EXPECT_TRUE(tools.log.empty()) << "without a slot the effect's own tools are not asked";
}

TEST(SpeakerArrangement, CopySpeakerBoundsTheNameTo63Characters) {
    struct Case {
        std::size_t sourceLength; // 64 leaves the source unterminated inside its field
        std::size_t copied;
    };
    for (const Case& c : {Case{0, 0}, Case{10, 10}, Case{62, 62}, Case{63, 63}, Case{64, 63}}) {
        SCOPED_TRACE(c.sourceLength);
        BareEffect effect(nullptr);
        VstSpeakerProperties from;
        fillSpeaker(from, 3);
        std::memset(from.name, 0, sizeof(from.name));
        for (std::size_t i = 0; i < c.sourceLength; ++i)
            from.name[i] = static_cast<char>('A' + i % 26);
        VstSpeakerProperties to;
        std::memset(&to, SentinelBuffer<1>::kSentinel, sizeof(to));

        ASSERT_TRUE(effect.copySpeaker(&to, &from));
        EXPECT_EQ(std::string(to.name), std::string(from.name, c.copied));
        // All 64 bytes written: the name, then zeros up to and including byte 63.
        for (std::size_t i = c.copied; i < sizeof(to.name); ++i)
            EXPECT_EQ(to.name[i], 0) << i;
    }
}

TEST(SpeakerArrangement, CopySpeakerCopiesEveryOtherFieldBitForBit) {
    BareEffect effect(nullptr);
    VstSpeakerProperties from;
    fillSpeaker(from, 7);
    VstSpeakerProperties to;
    fillSpeaker(to, 9);
    ASSERT_TRUE(effect.copySpeaker(&to, &from));
    EXPECT_TRUE(sameBytes(&to, &from, sizeof(to)));

    ASSERT_TRUE(effect.copySpeaker(&to, &to)) << "a copy onto itself changes nothing";
    EXPECT_TRUE(sameBytes(&to, &from, sizeof(to)));
}

TEST(SpeakerArrangement, MatchWithoutASourceLeavesTheSlotAlone) {
    BareEffect effect(nullptr);
    Slot slot(effect);
    EXPECT_FALSE(effect.matchArrangement(&slot.block, nullptr));
    EXPECT_EQ(slot.block, nullptr);

    buildArrangement(effect, slot, 3, 2);
    VstSpeakerArrangement* held = slot.block;
    VstSpeakerProperties firstSpeaker = *speakerAt(held, 0);
    EXPECT_FALSE(effect.matchArrangement(&slot.block, nullptr));
    ASSERT_EQ(slot.block, held);
    EXPECT_EQ(slot.block->type, 3);
    EXPECT_EQ(slot.block->numChannels, 2);
    EXPECT_TRUE(sameBytes(speakerAt(slot.block, 0), &firstSpeaker, sizeof(firstSpeaker)));
}

TEST(SpeakerArrangement, MatchFillsTheSlotWithAFullCopy) {
    struct Case {
        VstInt32 channels;
        VstInt32 alreadyHeld; // channels of a block already in the slot; -1 for an empty slot
    };
    for (const Case& c : {Case{6, -1}, Case{6, 2}, Case{2, 8}, Case{0, -1}, Case{1, 0}}) {
        SCOPED_TRACE(std::to_string(c.channels) + " channels, held " +
                     std::to_string(c.alreadyHeld));
        BareEffect effect(nullptr);
        Slot from(effect);
        buildArrangement(effect, from, 14, c.channels);
        Slot slot(effect);
        if (c.alreadyHeld >= 0) buildArrangement(effect, slot, 2, c.alreadyHeld);

        ASSERT_TRUE(effect.matchArrangement(&slot.block, from.block));
        ASSERT_NE(slot.block, nullptr);
        ASSERT_NE(slot.block, from.block);
        EXPECT_EQ(slot.block->type, 14);
        EXPECT_EQ(slot.block->numChannels, c.channels);
        EXPECT_TRUE(sameBytes(slot.block, from.block, blockBytes(c.channels)));
    }
}

TEST(SpeakerArrangement, MatchOfAnImpossibleCountLeavesAnEmptySlot) {
    BareEffect effect(nullptr);
    VstSpeakerArrangement header{9, -1}; // a header that claims a negative speaker count
    Slot slot(effect);
    buildArrangement(effect, slot, 2, 2);
    EXPECT_FALSE(effect.matchArrangement(&slot.block, &header));
    EXPECT_EQ(slot.block, nullptr) << "the old block is released, no new one stored";
}

TEST(SpeakerArrangement, MatchWorksThroughTheEffectsOwnTools) {
    SpeakerToolsEffect effect;
    Slot from(effect);
    buildArrangement(effect, from, 8, 3);
    Slot slot(effect);
    ASSERT_TRUE(effect.matchArrangement(&slot.block, from.block));
    EXPECT_EQ(effect.log,
              (std::vector<std::string>{"deallocate", "allocate 3", "copy", "copy", "copy"}));
}

TEST(SpeakerArrangement, MatchStopsWhenOneOfTheEffectsToolsRefuses) {
    // The effect refuses to release: nothing else happens and the slot keeps its block.
    {
        SpeakerToolsEffect effect;
        Slot from(effect);
        buildArrangement(effect, from, 8, 3);
        Slot slot(effect);
        buildArrangement(effect, slot, 1, 1);
        VstSpeakerArrangement* held = slot.block;
        effect.refuseDeallocate = true;
        EXPECT_FALSE(effect.matchArrangement(&slot.block, from.block));
        EXPECT_EQ(effect.log, std::vector<std::string>{"deallocate"});
        EXPECT_EQ(slot.block, held);
    }
    // The effect refuses to allocate: no speaker is copied.
    {
        SpeakerToolsEffect effect;
        Slot from(effect);
        buildArrangement(effect, from, 8, 3);
        Slot slot(effect);
        effect.refuseAllocate = true;
        EXPECT_FALSE(effect.matchArrangement(&slot.block, from.block));
        EXPECT_EQ(effect.log, (std::vector<std::string>{"deallocate", "allocate 3"}));
        EXPECT_EQ(slot.block, nullptr);
    }
    // The third copy fails: matching stops there, the first two speakers stay copied, and the
    // partly filled block stays in the slot for the caller to release.
    {
        SpeakerToolsEffect effect;
        Slot from(effect);
        buildArrangement(effect, from, 8, 5);
        Slot slot(effect);
        effect.copiesAllowed = 2;
        EXPECT_FALSE(effect.matchArrangement(&slot.block, from.block));
        EXPECT_EQ(effect.log,
                  (std::vector<std::string>{"deallocate", "allocate 5", "copy", "copy", "copy"}));
        ASSERT_NE(slot.block, nullptr);
        EXPECT_EQ(slot.block->type, 8);
        EXPECT_TRUE(sameBytes(speakerAt(slot.block, 0), speakerAt(from.block, 0), 2 * 112));
        const std::vector<unsigned char> zeros(3 * 112, 0);
        EXPECT_TRUE(sameBytes(speakerAt(slot.block, 2), zeros.data(), zeros.size()));
    }
}

} // namespace
