#include "referenceconverter.h"

#include <cmath>
#include <cstring>

namespace {

// The rate table by its bit patterns, so the effect's decimal table is checked too.
float rateAt(int index) {
    static const std::uint32_t bits[16] = {
        0x4582ADAE, 0x45932F71, 0x45A48052, 0x45AEC852, 0x45C38F9A, 0x45DC32CD,
        0x45F77ACD, 0x4602ADAE, 0x46132F71, 0x462EC866, 0x4644F000, 0x465A7A66,
        0x4683E966, 0x46A48066, 0x46C233CD, 0x470177E6,
    };
    float rate;
    std::memcpy(&rate, &bits[index], sizeof rate);
    return rate;
}

} // namespace

void ReferenceConverter::setParameter(int index, float value) {
    if (index == 0) gain = value;
    if (index == 1) {
        // value x 15 truncated; values outside 0..1 (and NaN) select the nearest end of the table.
        const double scaled = static_cast<double>(value) * 15.0;
        if (std::isnan(scaled) || scaled < 0.0)
            rateIndex = 0;
        else if (scaled > 15.0)
            rateIndex = 15;
        else
            rateIndex = static_cast<int>(scaled);
    }
}

float ReferenceConverter::rate() const { return rateAt(rateIndex); }

void ReferenceConverter::process(const float* in0, const float* in1, float* out0, float* out1,
                                 int frames) {
    for (int i = 0; i < frames; ++i) {
        // 1. The frame's inputs.
        const float x0 = in0[i];
        const float x1 = in1[i];
        // 2. Advance the phase.
        const double sum = static_cast<double>(stepPhase) + static_cast<double>(rateAt(rateIndex));
        stepPhase = static_cast<float>(sum);
        // 3. No step below the reference rate.
        if (!(sum < static_cast<double>(referenceRate))) {
            // 4. Wrap the unrounded sum.
            stepPhase = static_cast<float>(sum - static_cast<double>(referenceRate));
            // 5. Target.
            double t = (static_cast<double>(x0) + static_cast<double>(x1)) * 0.5 *
                       static_cast<double>(gain) * 4.0;
            // 6. Clamp.
            if (t > 1.0) t = 1.0;
            if (t < -1.0 || std::isnan(t)) t = -1.0;
            // 7. Quantise.
            const auto q = static_cast<std::int16_t>(std::trunc(t * 32.0));
            // 8. Step.
            if (q > counter)
                counter = static_cast<std::int16_t>(counter + 1);
            else
                counter = static_cast<std::int16_t>(counter - 1);
            // 9. Level and history.
            level = static_cast<float>(counter * 0.03125);
            history[historyIndex] = level;
            historyIndex = historyIndex + 1;
            if (historyIndex == 16) historyIndex = 0;
            // 10. Gate.
            bool anyOutside = false;
            for (float h : history)
                if (h > 0.04 || h < -0.04) anyOutside = true;
            if (!anyOutside) level = 0.0f;
        }
        // 11. Smooth.
        const double y = (static_cast<double>(level) - static_cast<double>(smoothedOutput)) *
                             static_cast<double>(smoothing) +
                         static_cast<double>(smoothedOutput);
        smoothedOutput = static_cast<float>(y);
        // 12. Both outputs.
        out0[i] = smoothedOutput;
        out1[i] = smoothedOutput;
    }
}
