// The bounded text helpers and the number formats written with them.
//
// Numbers are formatted digit by digit with plain double arithmetic, never through the C
// library's printf family: C libraries differ in how they round and format, and the texts must be
// the same on every platform the module is built for.
#include "numbertext.h"

#include "librarymath.h"

#include <cmath>
#include <cstdint>
#include <limits>

namespace numbertext {

void copyText(char* dst, const char* src, std::int32_t n) {
    if (dst == nullptr || n < 0) return;
    std::int32_t i = 0;
    if (src != nullptr)
        for (; i < n && src[i] != 0; ++i)
            dst[i] = src[i];
    for (; i <= n; ++i)
        dst[i] = 0;
}

void appendText(char* dst, const char* src, std::int32_t n) {
    if (dst == nullptr || n < 0) return;
    // The end of the old text, looked for only inside the n characters that may be kept.
    std::int32_t end = 0;
    while (end < n && dst[end] != 0)
        ++end;
    if (src != nullptr)
        for (; end < n && *src != 0; ++end, ++src)
            dst[end] = *src;
    dst[end] = 0;
    dst[n] = 0;
}

namespace {

// Every number is written in exactly this many characters: sign, digits, point and fraction.
constexpr int kNumberWidth = 8;
// The largest integer parts that still fit in front of the point: seven digits, six behind a
// minus sign. Writing only the last digits of a longer one would show a wrong number, so such
// values get the out-of-range text like the values beyond the format's limits.
constexpr double kPositiveLimit = 10000000.0;
constexpr double kNegativeLimit = 1000000.0;
// Exactly the values pow(10, n) has, without depending on the C library's pow.
constexpr double kPowersOfTen[] = {1.0, 10.0, 100.0, 1000.0, 10000.0, 100000.0, 1000000.0};

// The C library's floor, fmod and log10, independent of the caller's x87 controls.
double libraryFloor(double value) {
    return atLibraryDefaults([value] { return std::floor(value); });
}
double libraryFmod(double value, double divisor) {
    return atLibraryDefaults([value, divisor] { return std::fmod(value, divisor); });
}
double libraryLog10(double value) {
    return atLibraryDefaults([value] { return std::log10(value); });
}

// The last decimal digit of the integer part of a non-negative value below kPositiveLimit.
char lastDigit(double value) {
    return static_cast<char>('0' + static_cast<int>(libraryFmod(value, 10.0)));
}

} // namespace

float toFloat(double value) {
    constexpr double kMax = std::numeric_limits<float>::max();
    if (value > kMax) return std::numeric_limits<float>::infinity();
    if (value < -kMax) return -std::numeric_limits<float>::infinity();
    return static_cast<float>(value);
}

float decibelsOf(float amplitude) {
    return toFloat(20.0 * libraryLog10(static_cast<double>(amplitude)));
}

void floatText(float value, char* text, std::int32_t maxLen) {
    double v = value;
    // NaN has no digits, and converting it to an integer is undefined: name it instead.
    if (std::isnan(v)) {
        copyText(text, "NaN", maxLen);
        return;
    }
    const bool negative = v < 0.0; // so -0.0 gets no sign
    int count = 0;                 // characters of the eight used so far
    if (negative) {
        v = -v;
        count = 1;
    }
    if (v >= (negative ? kNegativeLimit : kPositiveLimit)) { // infinities included
        copyText(text, kHuge, maxLen);
        return;
    }

    // The head is built from the right: point, integer digits, sign. The last integer digit is
    // always written, so a value below 1 reads "0." and not ".".
    char head[kNumberWidth + 2];
    int at = kNumberWidth + 1;
    head[at] = 0;
    head[--at] = '.';
    double ip = libraryFloor(v);
    head[--at] = lastDigit(ip);
    count += 2;
    ip *= 0.1;
    while (ip >= 1.0 && count < kNumberWidth) {
        head[--at] = lastDigit(ip);
        ++count;
        ip *= 0.1;
    }
    if (negative) head[--at] = '-';
    copyText(text, head + at, maxLen);
    if (count >= kNumberWidth) return;

    // The fraction fills the remaining places, truncated: its digits are taken from the right
    // of the fraction scaled to a whole number.
    const int places = kNumberWidth - count; // 1 to 6
    double m = libraryFmod(v, 1.0) * kPowersOfTen[places];
    char fraction[kNumberWidth];
    fraction[places] = 0;
    for (int i = places - 1; i >= 0; --i) {
        if (m <= 0.0) {
            fraction[i] = '0';
            continue;
        }
        fraction[i] = lastDigit(m);
        m *= 0.1;
    }
    appendText(text, fraction, maxLen);
}

void decibelText(float value, char* text, std::int32_t maxLen) {
    if (value > 0.0f)
        floatText(decibelsOf(value), text, maxLen);
    else
        copyText(text, kNoLevel, maxLen);
}

} // namespace numbertext
