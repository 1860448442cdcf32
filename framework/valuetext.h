// The bounded text helpers and number formats for host-owned buffers: numbertext::copyText,
// appendText, floatText and decibelText (numbertext.h, a library of their own that knows no
// plug-in format). VstInt32 is std::int32_t, so they take the interface's lengths as they are.
//
// Threads: any; neither blocks nor allocates.
#pragma once

#include "aeffect.h"
#include "numbertext.h"

static_assert(sizeof(VstInt32) == sizeof(std::int32_t), "the text helpers take VstInt32 lengths");
