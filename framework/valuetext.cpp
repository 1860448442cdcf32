// The value-to-text tools of AudioEffect, on the number formats of numbertext.h.
#include "valuetext.h"

#include "audioeffect.h"

#include <cmath>

void AudioEffect::float2string(float value, char* text, VstInt32 maxLen) {
    numbertext::floatText(value, text, maxLen);
}

// The same as decibelText, but through float2string, which an effect may override.
void AudioEffect::dB2string(float value, char* text, VstInt32 maxLen) {
    // Zero, negative and NaN amplitudes have no level in decibels.
    if (value > 0.0f)
        float2string(numbertext::decibelsOf(value), text, maxLen);
    else
        numbertext::copyText(text, numbertext::kNoLevel, maxLen);
}

void AudioEffect::Hz2string(float samples, char* text, VstInt32 maxLen) {
    const double rate = getSampleRate();
    // A period of zero samples (of either sign), or of NaN, shows as 0 instead of dividing.
    if (samples == 0.0f || std::isnan(samples))
        float2string(0.0f, text, maxLen);
    else
        float2string(numbertext::toFloat(rate / samples), text, maxLen);
}

void AudioEffect::ms2string(float samples, char* text, VstInt32 maxLen) {
    const double thousandfold = static_cast<double>(samples) * 1000.0;
    const double rate = getSampleRate();
    float2string(numbertext::toFloat(thousandfold / rate), text, maxLen);
}

void AudioEffect::int2string(VstInt32 value, char* text, VstInt32 maxLen) {
    // Nine digits is the most the digit loop can write. The lower end is tested before the
    // negation, so the most negative 32-bit value never gets negated.
    if (value >= 100000000 || value <= -1000000000) {
        numbertext::copyText(text, numbertext::kHuge, maxLen);
        return;
    }
    numbertext::copyText(text, value < 0 ? "-" : "", maxLen);
    if (value < 0) value = -value;

    bool started = false; // no leading zeros
    for (VstInt32 divisor = 100000000; divisor >= 1; divisor /= 10) {
        const VstInt32 digit = value / divisor;
        value -= digit * divisor;
        if (started || digit > 0) {
            const char oneDigit[2] = {static_cast<char>('0' + digit), 0};
            numbertext::appendText(text, oneDigit, maxLen);
            started = true;
        }
    }
    if (!started) numbertext::appendText(text, "0", maxLen); // zero reads "0", not an empty text
}
