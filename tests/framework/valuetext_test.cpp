// The value-to-text tools. A host meets the tools only through an effect's display, which uses two
// of them at one length, so each tool is called here directly on a minimal effect. Every call
// writes into a sentinel-filled buffer larger than the text, which proves the text, the zeros
// behind it up to position maxLen and that nothing beyond was touched.

#include "audioeffectx.h"
#include "sentinel.h"
#include "valuetext.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <functional>
#include <limits>
#include <string>
#include <vector>

namespace {

// The smallest concrete effect; the tools need an object and its sample rate, nothing more.
class ToolEffect : public AudioEffectX {
public:
    ToolEffect() : AudioEffectX(nullptr, 1, 1) {}
    void processReplacing(float** /*inputs*/, float** /*outputs*/, VstInt32 /*frames*/) override {}
};

using Tool = std::function<void(char* text, VstInt32 maxLen)>;
using Buffer = SentinelBuffer<24>;

// The contract every tool keeps: the text, zeros up to and including position maxLen, and the
// sentinel untouched behind it.
void expectText(const Tool& tool, VstInt32 maxLen, const std::string& expected) {
    Buffer buffer;
    tool(buffer.data(), maxLen);
    EXPECT_EQ(buffer.text(), expected);
    EXPECT_EQ(buffer.touched(), static_cast<std::size_t>(maxLen) + 1);
    EXPECT_TRUE(buffer.zeroFrom(expected.size(), static_cast<std::size_t>(maxLen) + 1));
}

struct FloatCase {
    float value;
    VstInt32 maxLen;
    const char* text;
};

void expectFloatTool(void (AudioEffect::*tool)(float, char*, VstInt32), AudioEffect& effect,
                     const std::vector<FloatCase>& cases) {
    for (const FloatCase& c : cases) {
        SCOPED_TRACE(testing::Message() << c.value << " at maxLen " << c.maxLen);
        expectText([&](char* text, VstInt32 n) { (effect.*tool)(c.value, text, n); }, c.maxLen,
                   c.text);
    }
}

constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
constexpr float kInf = std::numeric_limits<float>::infinity();

} // namespace

TEST(FloatToString, WorkedExamplesAndCutTexts) {
    ToolEffect effect;
    expectFloatTool(&AudioEffect::float2string, effect,
                    {
                        {0.0f, 8, "0.000000"},
                        {-0.0f, 8, "0.000000"},
                        {1.0f, 8, "1.000000"},
                        {0.5f, 8, "0.500000"},
                        {-3.5f, 8, "-3.50000"},
                        {-0.001f, 8, "-0.00100"},
                        {-0.5f, 8, "-0.50000"},
                        {12.5f, 8, "12.50000"},
                        {100.0f, 8, "100.0000"},
                        {123.456f, 8, "123.4560"},
                        {-123.456f, 8, "-123.456"},
                        {99.999f, 8, "99.99900"},
                        {0.001f, 8, "0.001000"},
                        {0.000025f, 8, "0.000024"},
                        {1e-7f, 8, "0.000000"},
                        {1234567.0f, 8, "1234567."},
                        {-123456.0f, 8, "-123456."},
                        {4181.71f, 8, "4181.709"},
                        {33143.9f, 8, "33143.89"},
                        {12604.0f, 8, "12604.00"},
                        {1e8f, 8, "Huge!"},
                        {-1e7f, 8, "Huge!"},
                        {kInf, 8, "Huge!"},
                        {-kInf, 8, "Huge!"},
                        // Cut to maxLen characters.
                        {-3.5f, 4, "-3.5"},
                        {4181.71f, 4, "4181"},
                        {100.0f, 4, "100."},
                        {1e8f, 4, "Huge"},
                        {12.5f, 0, ""},
                        {1e8f, 0, ""},
                        {33143.9f, 12, "33143.89"},
                        {-0.001f, 1, "-"},
                    });
}

// Integer parts too long for eight characters would lose their leading digits, and NaN has none:
// both get a word instead of a wrong number.
TEST(FloatToString, ValuesWithoutAFittingTextGetAWord) {
    ToolEffect effect;
    expectFloatTool(&AudioEffect::float2string, effect,
                    {
                        {9999999.0f, 8, "9999999."},
                        {10000000.0f, 8, "Huge!"},
                        {12345678.0f, 8, "Huge!"},
                        {99999992.0f, 8, "Huge!"},
                        {-999999.0f, 8, "-999999."},
                        {-1000000.0f, 8, "Huge!"},
                        {-9999999.0f, 8, "Huge!"},
                        {kNaN, 8, "NaN"},
                        {-kNaN, 8, "NaN"},
                        {kNaN, 2, "Na"},
                    });
}

// The fraction is the exact decimal value of the float, truncated. Checked against integer
// arithmetic on the float's bits over a spread of every exponent and sign.
TEST(FloatToString, FractionIsTheExactValueTruncated) {
    const auto exactText = [](float value) -> std::string {
        std::uint32_t bits;
        std::memcpy(&bits, &value, sizeof bits);
        const int biased = static_cast<int>((bits >> 23) & 0xFFu);
        const std::uint64_t mantissa = (bits & 0x7FFFFFu) | (biased != 0 ? 0x800000u : 0u);
        // |value| = mantissa / 2^shift, and shift >= 0 for every value below 2^24.
        const int shift = biased != 0 ? 150 - biased : 149;
        const std::uint64_t whole = shift >= 64 ? 0 : mantissa >> shift;
        const std::uint64_t rest = shift >= 64 ? mantissa : mantissa - (whole << shift);
        std::string text = (value < 0.0f ? "-" : "") + std::to_string(whole) + ".";
        const std::size_t places = 8 - std::min<std::size_t>(text.size(), 8);
        std::uint64_t scale = 1;
        for (std::size_t i = 0; i < places; ++i)
            scale *= 10;
        // rest * scale < 2^44, so any shift from 64 up leaves nothing.
        const std::uint64_t fraction = shift >= 64 ? 0 : (rest * scale) >> shift;
        const std::string digits = places > 0 ? std::to_string(fraction) : "";
        return text + std::string(places - digits.size(), '0') + digits;
    };
    ToolEffect effect;
    int checked = 0;
    // Every float below the limits: positive under 10^7, negative above -10^6.
    for (std::uint64_t bits = 0; bits < 0x100000000u; bits += 40009) {
        const auto pattern = static_cast<std::uint32_t>(bits);
        float value;
        std::memcpy(&value, &pattern, sizeof value);
        if (std::isnan(value) || std::fabs(value) >= (value < 0.0f ? 1e6f : 1e7f)) continue;
        Buffer buffer;
        effect.float2string(value, buffer.data(), 8);
        ASSERT_EQ(buffer.text(), exactText(value)) << std::hex << pattern;
        ++checked;
    }
    EXPECT_GT(checked, 50000);
}

TEST(DecibelsToString, WorkedExamples) {
    ToolEffect effect;
    expectFloatTool(&AudioEffect::dB2string, effect,
                    {
                        {0.0f, 8, "-oo"},
                        {-0.0f, 8, "-oo"},
                        {-1.0f, 8, "-oo"},
                        {kNaN, 8, "-oo"},
                        {0.4f, 8, "-7.95879"},
                        {0.5f, 8, "-6.02059"},
                        {1.0f, 8, "0.000000"},
                        {2.0f, 8, "6.020599"},
                        {3.0f, 8, "9.542425"},
                        {4.0f, 8, "12.04119"},
                        {0.1f, 8, "-20.0000"},
                        {10.0f, 8, "20.00000"},
                        {kInf, 8, "Huge!"},
                        {0.0f, 2, "-o"},
                        {2.0f, 4, "6.02"},
                    });
}

TEST(HertzToString, AtTheDefaultAndAChangedSampleRate) {
    ToolEffect effect;
    expectFloatTool(&AudioEffect::Hz2string, effect,
                    {
                        {0.0f, 8, "0.000000"},
                        {-0.0f, 8, "0.000000"},
                        {kNaN, 8, "0.000000"},
                        {1.0f, 8, "44100.00"},
                        {100.0f, 8, "441.0000"},
                        {44100.0f, 8, "1.000000"},
                        {-100.0f, 8, "-441.000"},
                        {1e-45f, 8, "Huge!"}, // beyond float's range: no undefined narrowing
                    });
    effect.dispatcher(effSetSampleRate, 0, 0, nullptr, 48000.0f);
    expectFloatTool(&AudioEffect::Hz2string, effect,
                    {
                        {0.0f, 8, "0.000000"},
                        {1.0f, 8, "48000.00"},
                        {100.0f, 8, "480.0000"},
                        {7.0f, 8, "6857.143"},
                        {44100.0f, 8, "1.088435"},
                    });
}

TEST(MillisecondsToString, AtTheDefaultAndAChangedSampleRate) {
    ToolEffect effect;
    expectFloatTool(&AudioEffect::ms2string, effect,
                    {
                        {0.0f, 8, "0.000000"},
                        {1.0f, 8, "0.022675"},
                        {441.0f, 8, "10.00000"},
                        {44100.0f, 8, "1000.000"},
                        {441.0f, 4, "10.0"},
                    });
    effect.dispatcher(effSetSampleRate, 0, 0, nullptr, 48000.0f);
    expectFloatTool(&AudioEffect::ms2string, effect,
                    {
                        {1.0f, 8, "0.020833"},
                        {48.0f, 8, "1.000000"},
                        {441.0f, 8, "9.187500"},
                        {48000.0f, 8, "1000.000"},
                    });
    // No test of the rate: zero gives a word, never a crash.
    effect.dispatcher(effSetSampleRate, 0, 0, nullptr, 0.0f);
    expectFloatTool(&AudioEffect::ms2string, effect, {{1.0f, 8, "Huge!"}, {0.0f, 8, "NaN"}});
}

// The three tools end in the object's own float2string, with the value rounded to a float, and
// the two sample-based ones read the rate through getSampleRate even when they need not divide.
TEST(ValueTextTools, EndInTheVirtualFloatToString) {
    class Recording : public ToolEffect {
    public:
        std::vector<float> values;
        int rateReads = 0;
        void float2string(float value, char* text, VstInt32 maxLen) override {
            values.push_back(value);
            ToolEffect::float2string(value, text, maxLen);
        }
        float getSampleRate() override {
            ++rateReads;
            return 22050.0f;
        }
    } effect;
    Buffer buffer;
    effect.Hz2string(0.0f, buffer.data(), 8);
    effect.Hz2string(3.0f, buffer.data(), 8);
    effect.ms2string(1.0f, buffer.data(), 8);
    effect.dB2string(2.0f, buffer.data(), 8);
    effect.dB2string(0.0f, buffer.data(), 8);
    EXPECT_EQ(effect.rateReads, 3);
    const std::vector<float> expected = {0.0f, 7350.0f, static_cast<float>(1000.0 / 22050.0),
                                         static_cast<float>(20.0 * std::log10(2.0))};
    EXPECT_EQ(effect.values, expected);
}

TEST(IntToString, WorkedExamplesAndTheEnds) {
    struct IntCase {
        VstInt32 value;
        VstInt32 maxLen;
        const char* text;
    };
    const IntCase cases[] = {
        {7, 8, "7"},
        {42, 8, "42"},
        {-42, 8, "-42"},
        {1000, 8, "1000"},
        {12345678, 8, "12345678"},
        {99999999, 8, "99999999"},
        {100000000, 8, "Huge!"},
        {std::numeric_limits<VstInt32>::max(), 8, "Huge!"},
        {-99999999, 8, "-9999999"},
        {-99999999, 9, "-99999999"},
        {-999999999, 12, "-999999999"},
        {-42, 2, "-4"},
        {12345678, 4, "1234"},
        {42, 0, ""},
        // A lone zero, and a word for values whose digits the loop cannot write.
        {0, 8, "0"},
        {-1000000000, 12, "Huge!"},
        {std::numeric_limits<VstInt32>::min(), 12, "Huge!"},
    };
    ToolEffect effect;
    for (const IntCase& c : cases) {
        SCOPED_TRACE(testing::Message() << c.value << " at maxLen " << c.maxLen);
        expectText([&](char* text, VstInt32 n) { effect.int2string(c.value, text, n); }, c.maxLen,
                   c.text);
    }
}

TEST(ValueTextTools, NegativeLengthWritesNothing) {
    ToolEffect effect;
    const Tool tools[] = {
        [&](char* t, VstInt32 n) { effect.float2string(1.5f, t, n); },
        [&](char* t, VstInt32 n) { effect.dB2string(0.0f, t, n); },
        [&](char* t, VstInt32 n) { effect.Hz2string(1.0f, t, n); },
        [&](char* t, VstInt32 n) { effect.ms2string(1.0f, t, n); },
        [&](char* t, VstInt32 n) { effect.int2string(-5, t, n); },
        [&](char* t, VstInt32 n) { numbertext::copyText(t, "abc", n); },
        [&](char* t, VstInt32 n) { numbertext::appendText(t, "abc", n); },
    };
    for (const Tool& tool : tools) {
        Buffer buffer;
        tool(buffer.data(), -1);
        EXPECT_EQ(buffer.touched(), 0u);
    }
}
