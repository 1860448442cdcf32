// The texts the effect shows, asked for as a host asks: through the record's dispatcher, into
// sentinel-filled buffers larger than the interface grants, so each check also proves how many
// bytes the effect wrote.

#include "deltamodfacts.h"
#include "recordinghost.h"
#include "sentinel.h"
#include "slopecrushmodule.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

namespace {

using Buffer = SentinelBuffer<80>;

// Sends a text request and checks the text, the zeros behind it and that exactly length + 1
// bytes were written. Returns the dispatcher's answer.
VstIntPtr expectText(const Instance& effect, VstInt32 opcode, VstInt32 index, std::size_t length,
                     const std::string& expected) {
    Buffer buffer;
    const VstIntPtr answer = effect.dispatch(opcode, index, 0, buffer.data());
    EXPECT_EQ(buffer.text(), expected);
    EXPECT_EQ(buffer.touched(), length + 1);
    EXPECT_TRUE(buffer.zeroFrom(expected.size(), length + 1));
    return answer;
}

} // namespace

TEST(EffectTexts, NamesAndLabelsOfBothParameters) {
    RecordingHost host;
    Instance effect(slopeCrushModule());
    struct Case {
        VstInt32 opcode;
        VstInt32 index;
        const char* text;
    };
    for (const Case& c : {Case{effGetParamName, 0, "InGain"}, Case{effGetParamName, 1, "Pitch"},
                          Case{effGetParamLabel, 0, "dB"}, Case{effGetParamLabel, 1, "Hz"}}) {
        SCOPED_TRACE(testing::Message() << "opcode " << c.opcode << " index " << c.index);
        expectText(effect, c.opcode, c.index, 8, c.text);
    }
}

TEST(EffectTexts, OtherIndicesLeaveTheBufferUntouched) {
    RecordingHost host;
    Instance effect(slopeCrushModule());
    for (VstInt32 opcode : {effGetParamName, effGetParamLabel, effGetParamDisplay}) {
        for (VstInt32 index : {2, 3, -1, 1000, std::numeric_limits<VstInt32>::min()}) {
            Buffer buffer;
            EXPECT_EQ(effect.dispatch(opcode, index, 0, buffer.data()), 0);
            EXPECT_EQ(buffer.touched(), 0u) << "opcode " << opcode << " index " << index;
        }
    }
}

TEST(EffectTexts, PitchShowsTheSelectedRate) {
    const char* const rates[] = {"4181.709", "4709.930", "5264.040", "5593.040",
                                 "6257.950", "7046.350", "7919.350", "8363.419",
                                 "9419.860", "11186.09", "12604.00", "13982.59",
                                 "16884.69", "21056.19", "24857.90", "33143.89"};
    RecordingHost host;
    Instance effect(slopeCrushModule());
    expectText(effect, effGetParamDisplay, 1, 8, "24857.90"); // the default, 0.95
    for (int i = 0; i < 16; ++i) {
        SCOPED_TRACE(testing::Message() << "rate index " << i);
        effect.setParameter(1, deltamod::pitchForRateIndex(i));
        expectText(effect, effGetParamDisplay, 1, 8, rates[i]);
    }
    // Values outside 0..1 select the nearest end of the table, and the display follows.
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    for (float low : {-0.1f, -inf, nan}) {
        effect.setParameter(1, low);
        expectText(effect, effGetParamDisplay, 1, 8, rates[0]);
    }
    for (float high : {1.5f, inf}) {
        effect.setParameter(1, high);
        expectText(effect, effGetParamDisplay, 1, 8, rates[15]);
    }
}

TEST(EffectTexts, InGainShowsDecibels) {
    struct Case {
        float gain;
        const char* text;
    };
    RecordingHost host;
    Instance effect(slopeCrushModule());
    expectText(effect, effGetParamDisplay, 0, 8, "0.000000"); // the default, unity
    const float nan = std::numeric_limits<float>::quiet_NaN();
    for (const Case& c :
         {Case{0.0f, "-oo"}, Case{0.1f, "-7.95879"}, Case{0.25f, "0.000000"},
          Case{0.5f, "6.020599"}, Case{0.75f, "9.542425"}, Case{1.0f, "12.04119"},
          Case{-0.5f, "-oo"}, Case{nan, "-oo"}, Case{std::numeric_limits<float>::max(), "Huge!"}}) {
        SCOPED_TRACE(testing::Message() << "gain " << c.gain);
        effect.setParameter(0, c.gain);
        expectText(effect, effGetParamDisplay, 0, 8, c.text);
    }
}

TEST(EffectTexts, ProgramNameRoundTrip) {
    RecordingHost host;
    Instance effect(slopeCrushModule());
    EXPECT_EQ(expectText(effect, effGetProgramName, 0, 24, "Default"), 0);

    // Thirty characters are cut to the first 24, and a shorter name leaves no trace of it.
    char longName[] = "abcdefghijklmnopqrstuvwxyz0123";
    EXPECT_EQ(effect.dispatch(effSetProgramName, 0, 0, longName), 0);
    expectText(effect, effGetProgramName, 0, 24, "abcdefghijklmnopqrstuvwx");
    char shortName[] = "Crunch";
    effect.dispatch(effSetProgramName, 0, 0, shortName);
    expectText(effect, effGetProgramName, 0, 24, "Crunch");

    // A name of exactly 24 characters without a terminator is read no further (the sanitizer
    // build reports a read past the allocation).
    std::vector<char> unterminated(24, 'q');
    effect.dispatch(effSetProgramName, 0, 0, unterminated.data());
    expectText(effect, effGetProgramName, 0, 24, std::string(24, 'q'));

    // No name at all keeps the old one.
    effect.dispatch(effSetProgramName, 0, 0, nullptr);
    expectText(effect, effGetProgramName, 0, 24, std::string(24, 'q'));
}

TEST(EffectTexts, IdentityOfTheEffect) {
    RecordingHost host;
    Instance effect(slopeCrushModule());
    struct Case {
        VstInt32 opcode;
        std::size_t length;
        const char* text;
    };
    for (const Case& c :
         {Case{effGetEffectName, 32, "SlopeCrush"}, Case{effGetVendorString, 64, "Tervik"},
          Case{effGetProductString, 64, "SlopeCrush"}}) {
        SCOPED_TRACE(testing::Message() << "opcode " << c.opcode);
        EXPECT_EQ(expectText(effect, c.opcode, 0, c.length, c.text), 1);
    }
    EXPECT_EQ(effect.dispatch(effGetVendorVersion), 1001);
}
