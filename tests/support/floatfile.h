// Raw sample files: 32-bit little-endian floats, as the golden vectors in tests/golden are
// stored (stereo inputs interleaved).
#pragma once

#include <cstdint>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

inline std::vector<float> readFloats(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    std::vector<char> bytes((std::istreambuf_iterator<char>(file)),
                            std::istreambuf_iterator<char>());
    std::vector<float> values(bytes.size() / 4);
    for (size_t i = 0; i < values.size(); ++i) {
        const auto* b = reinterpret_cast<const unsigned char*>(&bytes[i * 4]);
        const std::uint32_t bits = b[0] | (b[1] << 8) | (b[2] << 16) | (std::uint32_t(b[3]) << 24);
        std::memcpy(&values[i], &bits, 4);
    }
    return values;
}
