// The texts DeltaModEffect shows the host: parameter names, units and values, the program name and
// the effect's identity. Every text goes through the bounded copy with the length the interface
// grants it, so a long text is cut rather than written past the host's buffer.
#include "vst2plugin.h"

#include "numbertext.h"

using numbertext::copyText;

void DeltaModEffect::getParameterName(VstInt32 index, char* text) {
    if (deltamod::isParameter(index))
        copyText(text, deltamod::kParameters[index].name, kParameterTextLength);
}

void DeltaModEffect::getParameterLabel(VstInt32 index, char* label) {
    if (deltamod::isParameter(index))
        copyText(label, deltamod::kParameters[index].unit, kParameterTextLength);
}

// What the converter plays, so the display shows the gain and the rate in use.
void DeltaModEffect::getParameterDisplay(VstInt32 index, char* text) {
    effect.display(index, text, kParameterTextLength);
}

void DeltaModEffect::setProgramName(char* name) {
    if (name != nullptr) copyText(programName, name, kProgramNameLength); // no name: keep the old
}

void DeltaModEffect::getProgramName(char* name) { copyText(name, programName, kProgramNameLength); }

bool DeltaModEffect::getEffectName(char* name) {
    copyText(name, deltamod::kEffectName, kEffectNameLength);
    return true;
}

bool DeltaModEffect::getVendorString(char* text) {
    copyText(text, deltamod::kVendor, kVendorTextLength);
    return true;
}

bool DeltaModEffect::getProductString(char* text) {
    copyText(text, deltamod::kProduct, kVendorTextLength);
    return true;
}
