// Bounded text helpers for buffers a caller owns, and the number formats written with them. A
// buffer passed with a maximum length n holds n + 1 bytes; every helper writes only inside bytes
// 0..n and leaves a zero at position n. They read the source only as far as they need, so a
// source need not be terminated within the bytes they take. Nothing here knows a plug-in format.
//
// Threads: any; neither blocks nor allocates.
#pragma once

#include <cstdint>

namespace numbertext {

// The texts of a number beyond the format's range and of an amplitude with no level in decibels.
inline constexpr char kHuge[] = "Huge!";
inline constexpr char kNoLevel[] = "-oo";

// Copies at most n characters of src into dst, fills the rest of dst's first n bytes with zeros
// and writes a zero at dst[n]: exactly n + 1 bytes are written. A null src counts as an empty
// text; a null dst or a negative n writes nothing.
void copyText(char* dst, const char* src, std::int32_t n);

// Adds src behind the text in dst, keeping only the first n characters of the two together, and
// terminates it; then writes a zero at dst[n]. Nothing beyond dst[n] is read or written, even when
// the text already in dst is longer than n. A null src adds nothing; a null dst or a negative n
// writes nothing.
void appendText(char* dst, const char* src, std::int32_t n);

// A value in eight characters, truncated ("4181.709", "-0.50000", "1234567.", "Huge!" beyond the
// range, "NaN"), and an amplitude as its level in decibels in the same format ("-oo" for zero,
// negative and NaN). They write the text with the bounded copy of length maxLen.
void floatText(float value, char* text, std::int32_t maxLen);
void decibelText(float value, char* text, std::int32_t maxLen);

// A double rounded to float, beyond float's range the infinity of its sign (a plain conversion
// would be undefined there).
float toFloat(double value);
// 20 log10(amplitude) rounded to float, for an amplitude above 0.
float decibelsOf(float amplitude);

} // namespace numbertext
