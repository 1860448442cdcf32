// The texts DeltaModEffect shows the host: parameter names, units and values, the program name and
// the effect's identity. Every text goes through the bounded copy with the length the host's
// buffer is known to have, so a long text is cut rather than written past the buffer.
#include "deltamodeffect.h"

#include "valuetext.h"

namespace {

// The lengths the interface grants each kind of text (the buffers hold one byte more).
constexpr VstInt32 kParameterTextLength = 8;
constexpr VstInt32 kEffectNameLength = 32;
constexpr VstInt32 kVendorTextLength = 64;

} // namespace

void DeltaModEffect::getParameterName(VstInt32 index, char* text) {
    if (deltamod::isParameter(index))
        numbertext::copyText(text, deltamod::kParameters[index].name, kParameterTextLength);
}

void DeltaModEffect::getParameterLabel(VstInt32 index, char* label) {
    if (deltamod::isParameter(index))
        numbertext::copyText(label, deltamod::kParameters[index].unit, kParameterTextLength);
}

// What the converter plays, so the display shows the gain and the rate in use.
void DeltaModEffect::getParameterDisplay(VstInt32 index, char* text) {
    if (index == kParamGain) deltamod::gainDisplay(converter.gain(), text, kParameterTextLength);
    if (index == kParamPitch)
        deltamod::rateDisplay(converter.rateIndex(), text, kParameterTextLength);
}

void DeltaModEffect::setProgramName(char* name) {
    if (name != nullptr)
        numbertext::copyText(programName, name, kProgramNameLength); // no name: keep the old
}

void DeltaModEffect::getProgramName(char* name) {
    numbertext::copyText(name, programName, kProgramNameLength);
}

bool DeltaModEffect::getEffectName(char* name) {
    numbertext::copyText(name, deltamod::kEffectName, kEffectNameLength);
    return true;
}

bool DeltaModEffect::getVendorString(char* text) {
    numbertext::copyText(text, deltamod::kVendor, kVendorTextLength);
    return true;
}

bool DeltaModEffect::getProductString(char* text) {
    numbertext::copyText(text, deltamod::kProduct, kVendorTextLength);
    return true;
}
