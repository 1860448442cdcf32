// PLACEHOLDER until the value-to-text work lands: every tool writes an empty text.
#include "audioeffect.h"

static void emptyText(char* text, VstInt32 maxLen) {
    for (VstInt32 i = 0; i <= maxLen; ++i) text[i] = 0;
}
void AudioEffect::dB2string(float, char* text, VstInt32 maxLen) { emptyText(text, maxLen); }
void AudioEffect::Hz2string(float, char* text, VstInt32 maxLen) { emptyText(text, maxLen); }
void AudioEffect::ms2string(float, char* text, VstInt32 maxLen) { emptyText(text, maxLen); }
void AudioEffect::float2string(float, char* text, VstInt32 maxLen) { emptyText(text, maxLen); }
void AudioEffect::int2string(VstInt32, char* text, VstInt32 maxLen) { emptyText(text, maxLen); }
