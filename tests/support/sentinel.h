// A text buffer filled with a sentinel byte, for proving how many bytes an operation writes.
#pragma once

#include <array>
#include <cstddef>
#include <string>

template <std::size_t N> struct SentinelBuffer {
    static constexpr char kSentinel = '\x5A';
    std::array<char, N> bytes;

    SentinelBuffer() { bytes.fill(kSentinel); }
    char* data() { return bytes.data(); }
    // Index one past the last byte that no longer holds the sentinel (0 when nothing changed).
    std::size_t touched() const {
        for (std::size_t i = N; i > 0; --i)
            if (bytes[i - 1] != kSentinel) return i;
        return 0;
    }
    std::string text() const {
        std::size_t n = 0;
        while (n < N && bytes[n] != 0)
            ++n;
        return std::string(bytes.data(), n);
    }
    // True when bytes [from, to) are all zero.
    bool zeroFrom(std::size_t from, std::size_t to) const {
        for (std::size_t i = from; i < to; ++i)
            if (bytes[i] != 0) return false;
        return true;
    }
};
