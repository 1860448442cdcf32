// Bounded text helpers for host-owned buffers. A buffer passed with a maximum length n holds n + 1
// bytes; both helpers write only inside bytes 0..n and leave a zero at position n. They read the
// source only as far as they need, so a source need not be terminated within the bytes they take.
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
