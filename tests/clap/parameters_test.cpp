// The two parameters as a host sees them: descriptions, values received through events, the
// texts (against the VST edition's display) and the saved state.

#include "claphost.h"
#include "deltamodfacts.h"
#include "recordinghost.h"
#include "slopecrushmodule.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

namespace {

constexpr std::uint32_t kInGain = 0;
constexpr std::uint32_t kPitch = 1;
const double kNaN = std::numeric_limits<double>::quiet_NaN();

TEST(ClapParameters, DescribeInGainInDecibelsAndPitchAsSixteenSteps) {
    const ClapInstance instance;
    const clap_plugin_params& params = *instance.params;
    ASSERT_EQ(params.count(instance.plugin), 2u);
    clap_param_info info{};
    EXPECT_FALSE(params.get_info(instance.plugin, 2, &info));
    const auto describe = [&](std::uint32_t index) {
        EXPECT_TRUE(params.get_info(instance.plugin, index, &info));
        return std::to_string(info.id) + " " + info.name + " " + std::to_string(info.flags) + " " +
               std::to_string(info.min_value) + ".." + std::to_string(info.max_value) + " " +
               std::to_string(info.default_value) + " " + info.module;
    };
    EXPECT_EQ(describe(0), "0 InGain 32 -60.000000..12.041200 0.000000 ");
    EXPECT_EQ(info.max_value, 12.0412);
    EXPECT_EQ(describe(1), "1 Pitch 65569 0.000000..15.000000 14.000000 ") << "stepped, enumerated";

    EXPECT_EQ(instance.value(kInGain), 0.0);
    EXPECT_EQ(instance.value(kPitch), 14.0);
    double untouched = 5.0;
    EXPECT_FALSE(params.get_value(instance.plugin, 2, &untouched));
    EXPECT_EQ(untouched, 5.0);
}

// The values are the core effect's (clamped there); events of other kinds change nothing.
TEST(ClapParameters, EventsSetTheValuesAndForeignOnesChangeNothing) {
    const ClapInstance instance;
    instance.flush(EventList().value(0, kInGain, 100.0).value(0, kPitch, 7.9));
    EXPECT_EQ(instance.value(kInGain), 12.0412);
    EXPECT_EQ(instance.value(kPitch), 7.9);
    instance.flush(EventList().value(0, kPitch, 0.0).value(0, kInGain, -60.0).value(0, 2, 1.0));
    instance.flush(EventList().value(0, kPitch, 3.0, 1).other(0, 6)); // another space; modulation
    EXPECT_EQ(instance.value(kPitch), 0.0);
    EXPECT_EQ(instance.value(kInGain), -60.0);
    instance.params->flush(instance.plugin, nullptr, nullptr);
}

TEST(ClapParameters, TextsAreTheVstDisplayWithUnitsAndReadBack) {
    RecordingHost host;
    const Instance vst(slopeCrushModule());
    vst.start();
    const ClapInstance instance;
    for (int i = 0; i < deltamod::kNumRates; ++i) {
        vst.setParameter(1, deltamod::pitchForRateIndex(i));
        const std::string text = instance.text(kPitch, i);
        EXPECT_EQ(text, vst.text(effGetParamDisplay, 1) + " Hz");
        EXPECT_EQ(instance.text(kPitch, i + 0.99), text);
        double back = -1.0;
        ASSERT_TRUE(instance.params->text_to_value(instance.plugin, kPitch, text.c_str(), &back));
        EXPECT_EQ(back, i);
    }
    EXPECT_EQ(instance.text(kPitch, 7), "8363.419 Hz");
    EXPECT_EQ(instance.text(kPitch, 99), "33143.89 Hz");
    EXPECT_EQ(deltamod::rateIndexForPlainPitch(kNaN), 0);
    EXPECT_EQ(instance.text(kPitch, kNaN), "4181.709 Hz") << "NaN is the lowest rate";

    EXPECT_EQ(instance.text(kInGain, -60.0), "-oo dB");
    EXPECT_EQ(instance.text(kInGain, 0.0), "0.000000 dB");
    EXPECT_EQ(instance.text(kInGain, 12.0412), "12.04119 dB");
    for (int step = 0; step <= 988; ++step) { // -60 dB to the top in steps of 0.0731 dB
        const double db = -60.0 + step * 0.0731;
        vst.setParameter(0, deltamod::gainForDecibelControl(db));
        const std::string text = instance.text(kInGain, db);
        ASSERT_EQ(text, vst.text(effGetParamDisplay, 0) + " dB") << db;
        double back = kNaN;
        ASSERT_TRUE(instance.params->text_to_value(instance.plugin, kInGain, text.c_str(), &back));
        EXPECT_EQ(instance.text(kInGain, back), text) << db;
    }
}

// The format is the core's; here the streams: any trickle of bytes, and nothing but a whole state.
TEST(ClapState, RoundTripsThroughTrickleStreamsAndRefusesAnythingElse) {
    const ClapInstance saved;
    saved.flush(EventList().value(0, kInGain, -7.25).value(0, kPitch, 9.5));
    const std::vector<unsigned char> bytes = saved.save(3);
    ASSERT_EQ(bytes.size(), 24u);

    const ClapInstance restored;
    restored.flush(EventList().value(0, kInGain, 3.0).value(0, kPitch, 2.0));
    const int requests = processRequestCount();
    ASSERT_TRUE(restored.load(bytes, 2));
    EXPECT_EQ(processRequestCount(), requests + 1) << "loaded while active: the audio applies it";
    EXPECT_EQ(restored.value(kInGain), -7.25);
    EXPECT_EQ(restored.value(kPitch), 9.5);

    std::vector<unsigned char> longer = bytes;
    longer.push_back(0);
    for (const auto& state : {std::vector<unsigned char>(bytes.begin(), bytes.end() - 1), longer}) {
        EXPECT_FALSE(restored.load(state, 5)) << state.size() << " bytes";
        EXPECT_EQ(restored.value(kInGain), -7.25);
    }

    // A stream that takes nothing fails the save at once; asked again it would be asked forever.
    int calls = 0;
    const clap_ostream full{&calls, [](const clap_ostream* stream, const void*, std::uint64_t) {
                                return ++*static_cast<int*>(stream->ctx) < 100 ? std::int64_t{0}
                                                                               : std::int64_t{-1};
                            }};
    EXPECT_FALSE(restored.state->save(restored.plugin, &full));
    EXPECT_EQ(calls, 1);
}

} // namespace
