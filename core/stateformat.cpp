#include "stateformat.h"

#include <cmath>
#include <cstring>

namespace deltamod {

namespace {

constexpr unsigned char kMagic[4] = {'S', 'l', 'C', 'r'};
constexpr std::size_t kVersionAt = 4;
constexpr std::size_t kValuesAt = 8; // then one double per parameter, in index order

// Little-endian whatever the machine's order, so a state moves between platforms.
void putBits(unsigned char* at, std::uint64_t bits, int bytes) {
    for (int i = 0; i < bytes; ++i)
        at[i] = static_cast<unsigned char>(bits >> (8 * i));
}
std::uint64_t getBits(const unsigned char* at, int bytes) {
    std::uint64_t bits = 0;
    for (int i = bytes - 1; i >= 0; --i)
        bits = (bits << 8) | at[i];
    return bits;
}

bool isValue(int index, double value) {
    return std::isfinite(value) && clampedPlainValue(index, value) == value;
}

} // namespace

StateBytes encodeState(const PlainValues& values) {
    StateBytes bytes{};
    std::memcpy(bytes.data(), kMagic, sizeof(kMagic));
    putBits(bytes.data() + kVersionAt, kStateVersion, 4);
    for (int i = 0; i < kNumParameters; ++i) {
        std::uint64_t bits = 0;
        std::memcpy(&bits, &values[i], sizeof(bits));
        putBits(bytes.data() + kValuesAt + std::size_t{8} * i, bits, 8);
    }
    return bytes;
}

bool decodeState(const unsigned char* bytes, std::size_t size, PlainValues& values) {
    if (bytes == nullptr || size != kStateSize || std::memcmp(bytes, kMagic, sizeof(kMagic)) != 0 ||
        getBits(bytes + kVersionAt, 4) != kStateVersion)
        return false;
    PlainValues read{};
    for (int i = 0; i < kNumParameters; ++i) {
        const std::uint64_t bits = getBits(bytes + kValuesAt + std::size_t{8} * i, 8);
        std::memcpy(&read[i], &bits, sizeof(bits));
        if (!isValue(i, read[i])) return false;
    }
    values = read;
    return true;
}

} // namespace deltamod
