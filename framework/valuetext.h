// Bounded text helpers for host-owned buffers, and the number formats written with them. A buffer
// passed with a maximum length n holds n + 1 bytes; every helper writes only inside bytes 0..n and
// leaves a zero at position n. They read the source only as far as they need, so a source need not
// be terminated within the bytes they take.
//
// Threads: any; neither blocks nor allocates.
#pragma once

#include "aeffect.h"

// Copies at most n characters of src into dst, fills the rest of dst's first n bytes with zeros
// and writes a zero at dst[n]: exactly n + 1 bytes are written. A null src counts as an empty
// text; a null dst or a negative n writes nothing.
void copyText(char* dst, const char* src, VstInt32 n);

// Adds src behind the text in dst, keeping only the first n characters of the two together, and
// terminates it; then writes a zero at dst[n]. Nothing beyond dst[n] is read or written, even when
// the text already in dst is longer than n. A null src adds nothing; a null dst or a negative n
// writes nothing.
void appendText(char* dst, const char* src, VstInt32 n);

// The number and level formats of AudioEffect's float2string and dB2string, for code that has no
// effect object: a value in eight characters, truncated ("4181.709", "-0.50000", "1234567.",
// "Huge!" beyond the range, "NaN"), and an amplitude as its level in decibels in the same format
// ("-oo" for zero, negative and NaN). They write the text with the bounded copy of length maxLen.
void floatText(float value, char* text, VstInt32 maxLen);
void decibelText(float value, char* text, VstInt32 maxLen);
