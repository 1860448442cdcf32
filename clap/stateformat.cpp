#include "stateformat.h"

#include "parameters.h"

#include <cmath>
#include <cstring>

namespace clapstate {

namespace {

constexpr unsigned char kMagic[4] = {'S', 'l', 'C', 'r'};
constexpr std::size_t kVersionAt = 4;
constexpr std::size_t kInGainAt = 8;
constexpr std::size_t kPitchAt = 16;

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
void putDouble(unsigned char* at, double value) {
    std::uint64_t bits = 0;
    std::memcpy(&bits, &value, sizeof(bits));
    putBits(at, bits, 8);
}
double getDouble(const unsigned char* at) {
    const std::uint64_t bits = getBits(at, 8);
    double value = 0.0;
    std::memcpy(&value, &bits, sizeof(value));
    return value;
}

bool isValue(std::uint32_t id, double value) {
    return std::isfinite(value) &&
           deltamod::clampedPlainValue(static_cast<int>(id), value) == value;
}

} // namespace

bool write(const clap_ostream* stream, const Values& values) {
    if (stream == nullptr || stream->write == nullptr) return false;
    unsigned char bytes[kSize];
    std::memcpy(bytes, kMagic, sizeof(kMagic));
    putBits(bytes + kVersionAt, kVersion, 4);
    putDouble(bytes + kInGainAt, values.inGainDb);
    putDouble(bytes + kPitchAt, values.pitch);
    for (std::size_t done = 0; done < kSize;) {
        const std::int64_t wrote = stream->write(stream, bytes + done, kSize - done);
        // A stream that takes nothing would be asked forever; more than offered is broken.
        if (wrote <= 0 || static_cast<std::uint64_t>(wrote) > kSize - done) return false;
        done += static_cast<std::size_t>(wrote);
    }
    return true;
}

bool read(const clap_istream* stream, Values& values) {
    if (stream == nullptr || stream->read == nullptr) return false;
    // One byte more than a state, so a longer stream is noticed.
    unsigned char bytes[kSize + 1];
    std::size_t done = 0;
    while (done < sizeof(bytes)) {
        const std::int64_t got = stream->read(stream, bytes + done, sizeof(bytes) - done);
        if (got == 0) break;
        if (got < 0 || static_cast<std::uint64_t>(got) > sizeof(bytes) - done) return false;
        done += static_cast<std::size_t>(got);
    }
    if (done != kSize || std::memcmp(bytes, kMagic, sizeof(kMagic)) != 0 ||
        getBits(bytes + kVersionAt, 4) != kVersion)
        return false;
    const Values read{getDouble(bytes + kInGainAt), getDouble(bytes + kPitchAt)};
    if (!isValue(clapparam::kInGainId, read.inGainDb) || !isValue(clapparam::kPitchId, read.pitch))
        return false;
    values = read;
    return true;
}

} // namespace clapstate
