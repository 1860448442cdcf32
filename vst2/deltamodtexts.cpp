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

static_assert(DeltaModEffect::kVendorVersion == SLOPECRUSH_VENDOR_VERSION,
              "the effect's vendor version must be the project's version (CMakeLists.txt)");

const char kEffectName[] = "SlopeCrush";
const char kVendor[] = "Tervik";

} // namespace

void DeltaModEffect::getParameterName(VstInt32 index, char* text) {
    if (index == kParamGain) copyText(text, "InGain", kParameterTextLength);
    if (index == kParamPitch) copyText(text, "Pitch", kParameterTextLength);
}

void DeltaModEffect::getParameterLabel(VstInt32 index, char* label) {
    if (index == kParamGain) copyText(label, "dB", kParameterTextLength);
    if (index == kParamPitch) copyText(label, "Hz", kParameterTextLength);
}

void DeltaModEffect::getParameterDisplay(VstInt32 index, char* text) {
    if (index == kParamGain)
        dB2string(converter.gain() * deltamod::kGainScale, text, kParameterTextLength);
    // The converter keeps the index inside the table, so the display shows the rate in use.
    if (index == kParamPitch)
        float2string(deltamod::kRatesHz[static_cast<size_t>(converter.rateIndex())], text,
                     kParameterTextLength);
}

void DeltaModEffect::setProgramName(char* name) {
    if (name != nullptr) copyText(programName, name, kProgramNameLength); // no name: keep the old
}

void DeltaModEffect::getProgramName(char* name) { copyText(name, programName, kProgramNameLength); }

bool DeltaModEffect::getEffectName(char* name) {
    copyText(name, kEffectName, kEffectNameLength);
    return true;
}

bool DeltaModEffect::getVendorString(char* text) {
    copyText(text, kVendor, kVendorTextLength);
    return true;
}

bool DeltaModEffect::getProductString(char* text) {
    copyText(text, kEffectName, kVendorTextLength);
    return true;
}
