// The speaker-arrangement tools: blocks of one header and numChannels speaker records, built,
// released, copied and matched for an effect that exchanges channel layouts with its host.
//
// Threads: main thread, like the speaker-arrangement opcodes they serve. allocateArrangement and
// matchArrangement allocate; none of them blocks otherwise.
#include "audioeffectx.h"
#include "valuetext.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace {

constexpr VstInt32 kMaxSpeakerName = sizeof(VstSpeakerProperties::name) - 1; // 63

// The most speakers a block can hold: its size must fit in 32 bits, so a 32-bit host can
// address all of it, the size cannot wrap in a 32-bit size_t, and every target gives the same
// answer.
constexpr std::uint64_t kHeaderBytes = sizeof(VstSpeakerArrangement);
constexpr std::uint64_t kSpeakerBytes = sizeof(VstSpeakerProperties);
constexpr VstInt32 kMaxSpeakers =
    static_cast<VstInt32>((UINT32_MAX - kHeaderBytes) / kSpeakerBytes);
static_assert(kHeaderBytes + kSpeakerBytes * kMaxSpeakers <= UINT32_MAX &&
                  kHeaderBytes + kSpeakerBytes * (kMaxSpeakers + 1) > UINT32_MAX,
              "kMaxSpeakers is the last count whose block fits in 32 bits");
// Hosts declare the record with room for eight speakers and copy or read all eight, whatever
// numChannels says, so a block never holds fewer.
constexpr VstInt32 kDeclaredSpeakers = 8;

} // namespace

bool AudioEffectX::allocateArrangement(VstSpeakerArrangement** arrangement, VstInt32 nbChannels) {
    if (arrangement == nullptr) return false; // no slot to fill
    if (*arrangement != nullptr) {
        std::free(*arrangement);
        *arrangement = nullptr;
    }
    // A negative count, or one whose block would not fit in 32 bits, gets no block at all rather
    // than one smaller than its numChannels claims.
    if (nbChannels < 0 || nbChannels > kMaxSpeakers) return false;

    const VstInt32 room = nbChannels > kDeclaredSpeakers ? nbChannels : kDeclaredSpeakers;
    void* block = std::calloc(1, speakerArrangementSize(static_cast<std::size_t>(room)));
    if (block == nullptr) return false;
    *arrangement = static_cast<VstSpeakerArrangement*>(block);
    (*arrangement)->numChannels = nbChannels; // type stays 0
    return true;
}

bool AudioEffectX::deallocateArrangement(VstSpeakerArrangement** arrangement) {
    // No slot is a caller's mistake, not an empty slot: nothing was emptied, so say so, as the
    // other tools do for a missing pointer.
    if (arrangement == nullptr) return false;
    std::free(*arrangement); // the effect's own block, from allocateArrangement; null is fine
    *arrangement = nullptr;
    return true;
}

bool AudioEffectX::copySpeaker(VstSpeakerProperties* to, VstSpeakerProperties* from) {
    if (to == nullptr || from == nullptr) return false;
    // At most 63 characters and a zero: a name the host left unterminated is cut, not overrun.
    numbertext::copyText(to->name, from->name, kMaxSpeakerName);
    // Bit for bit: a NaN payload or a negative zero passes through as the host wrote it. memmove
    // keeps a copy onto itself defined.
    std::memmove(&to->type, &from->type, sizeof(to->type));
    std::memmove(&to->azimuth, &from->azimuth, sizeof(to->azimuth));
    std::memmove(&to->elevation, &from->elevation, sizeof(to->elevation));
    std::memmove(&to->radius, &from->radius, sizeof(to->radius));
    std::memmove(&to->reserved, &from->reserved, sizeof(to->reserved));
    std::memmove(to->future, from->future, sizeof(to->future));
    return true;
}

bool AudioEffectX::matchArrangement(VstSpeakerArrangement** to, VstSpeakerArrangement* from) {
    if (from == nullptr || to == nullptr) return false; // the slot, if any, is left as it was
    // Through the virtual tools, so an effect that manages its blocks differently is obeyed.
    if (!deallocateArrangement(to)) return false;
    if (!allocateArrangement(to, from->numChannels)) return false;
    VstSpeakerArrangement* copy = *to;
    copy->type = from->type;
    for (VstInt32 i = 0; i < copy->numChannels; ++i) {
        // A failed copy leaves the block partly filled in the slot; the caller releases it.
        if (!copySpeaker(speakerAt(copy, i), speakerAt(from, i))) return false;
    }
    return true;
}
