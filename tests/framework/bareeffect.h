// The smallest concrete effect on the framework, for the framework operations that only an effect
// class can call (the host wrappers and the speaker tools are never reached through the record).
// It remembers what the framework asked of it, so tests can see which virtual calls happened.
#pragma once

#include "audioeffectx.h"

#include <string>
#include <utility>
#include <vector>

class BareEffect : public AudioEffectX {
public:
    explicit BareEffect(audioMasterCallback host) : AudioEffectX(host, 1, 2) {}

    void processReplacing(float** /*inputs*/, float** /*outputs*/, VstInt32 /*frames*/) override {}

    void setParameter(VstInt32 index, float value) override {
        parameterSets.emplace_back(index, value);
    }
    void setSampleRate(float rate) override {
        ++sampleRateSets;
        AudioEffectX::setSampleRate(rate);
    }
    void setBlockSize(VstInt32 size) override {
        ++blockSizeSets;
        AudioEffectX::setBlockSize(size);
    }
    VstInt32 canDo(char* text) override {
        canDoTexts.emplace_back(text != nullptr ? text : "(null)");
        return canDoAnswer;
    }

    std::vector<std::pair<VstInt32, float>> parameterSets;
    int sampleRateSets = 0;
    int blockSizeSets = 0;
    VstInt32 canDoAnswer = 0;
    std::vector<std::string> canDoTexts;
};
