#include "deltamodeffect.h"

#include "valuetext.h"

#include <cmath>
#include <cstring>
#include <new>

namespace {

constexpr double kGainScale = 4.0;       // "InGain" 0.25 is unity, 1.0 is +12 dB
constexpr double kQuantSteps = 32.0;     // counter steps per unit of full scale
constexpr float kStepSize = 0.03125f;    // 1/32: the level of one counter step
constexpr float kGateThreshold = 0.04f;  // a level beyond this (that is, |counter| >= 2) opens
constexpr int kMaxRateIndex = DeltaModEffect::kNumRates - 1;

} // namespace

const std::array<float, DeltaModEffect::kNumRates> DeltaModEffect::kRates = {
    4181.71f, 4709.93f, 5264.04f, 5593.04f, 6257.95f, 7046.35f, 7919.35f, 8363.42f,
    9419.86f, 11186.1f, 12604.0f, 13982.6f, 16884.7f, 21056.2f, 24857.9f, 33143.9f,
};

DeltaModEffect::DeltaModEffect(audioMasterCallback audioMaster)
    : AudioEffectX(audioMaster, kNumPrograms, kNumParams) {
    setNumInputs(2);
    setNumOutputs(2);
    setUniqueID(kUniqueID);
    canProcessReplacing(true);
    copyText(programName, "Default", kProgramNameLength);
    // Captured once: a later effSetSampleRate does not move the conversion rates.
    referenceRate = sampleRate;
}

VstInt32 DeltaModEffect::rateIndexFor(float pitch) {
    const double scaled = static_cast<double>(pitch) * kMaxRateIndex;
    // Below the range, and NaN, select the lowest rate; above it the highest. Within it the
    // truncation is exact and defined.
    if (!(scaled > 0.0)) return 0;
    if (scaled >= kMaxRateIndex) return kMaxRateIndex;
    return static_cast<VstInt32>(scaled);
}

void DeltaModEffect::setParameter(VstInt32 index, float value) {
    switch (index) {
    case kParamGain:
        gain.store(value, std::memory_order_relaxed);
        break;
    case kParamPitch:
        pitch.store(value, std::memory_order_relaxed);
        rateIndex.store(rateIndexFor(value), std::memory_order_relaxed);
        break;
    default:
        break;
    }
}

float DeltaModEffect::getParameter(VstInt32 index) {
    switch (index) {
    case kParamGain:
        return gain.load(std::memory_order_relaxed);
    case kParamPitch:
        return pitch.load(std::memory_order_relaxed);
    default:
        return fallbackValue;
    }
}

void DeltaModEffect::processReplacing(float** inputs, float** outputs, VstInt32 sampleFrames) {
    if (sampleFrames <= 0) return;
    const float* in0 = inputs[0];
    const float* in1 = inputs[1];
    float* out0 = outputs[0];
    float* out1 = outputs[1];

    for (VstInt32 i = 0; i < sampleFrames; ++i) {
        const double x0 = in0[i];
        const double x1 = in1[i];

        // The phase advances by the selected rate; a step happens each time it passes the
        // reference rate, which is at most once per frame because every rate is below it.
        const double phase = static_cast<double>(stepPhase) +
                             kRates[rateIndex.load(std::memory_order_relaxed)];
        if (phase < referenceRate) {
            stepPhase = static_cast<float>(phase);
        } else {
            stepPhase = static_cast<float>(phase - referenceRate);

            double target = (x0 + x1) * 0.5 * gain.load(std::memory_order_relaxed) * kGainScale;
            if (target > 1.0) target = 1.0;
            if (target < -1.0 || std::isnan(target)) target = -1.0;
            const auto quantised = static_cast<std::int16_t>(target * kQuantSteps);

            // The counter never rests: it moves one step towards the target, and down on a tie.
            counter = static_cast<std::int16_t>(quantised > counter ? counter + 1 : counter - 1);
            level = counter * kStepSize;
            history[historyIndex] = level;
            historyIndex = (historyIndex + 1) % kHistorySize;

            // The gate holds the output at zero while the last sixteen levels all stayed within
            // one step of zero; the history keeps the ungated levels.
            bool open = false;
            for (float h : history) open = open || h > kGateThreshold || h < -kGateThreshold;
            if (!open) level = 0.0f;
        }

        const double y = (static_cast<double>(level) - smoothedOutput) * smoothing + smoothedOutput;
        smoothedOutput = static_cast<float>(y);
        out0[i] = smoothedOutput;
        out1[i] = smoothedOutput;
    }
}

AudioEffect* createEffectInstance(audioMasterCallback audioMaster) {
    return new (std::nothrow) DeltaModEffect(audioMaster);
}
