// The LV2 edition sounds like the VST edition to the bit: every golden input rendered through the
// bundle (instantiated and run by lilv) and through the VST module (driven through its record) at
// matched settings. The LV2 side runs at other sample rates, in blocks of many sizes (0 included),
// once in place, and after a careless start: runs before its ports are all connected, then junk
// that activate must forget.

#include "deltamodfacts.h"
#include "floatfile.h"
#include "lv2bundle.h"
#include "recordinghost.h"
#include "slopecrushmodule.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <limits>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace {

// A setting from a frame on, as the LV2 ports take it and as the VST parameters do.
struct Setting {
    size_t frame;
    float gainDb;   // the "gain" port
    float pitch;    // the "pitch" port
    float vstGain;  // parameter 0, normalised
    float vstPitch; // parameter 1, normalised
};

struct Row {
    std::string name;
    std::vector<Setting> settings;
};

void PrintTo(const Row& row, std::ostream* os) { *os << row.name; }

float gainAt(double db) { return static_cast<float>(0.25 * std::pow(10.0, db / 20.0)); }

std::vector<Row> rows() {
    using deltamod::pitchForRateIndex;
    std::vector<Row> all;
    all.reserve(deltamod::kNumRates + 2);
    for (int i = 0; i < deltamod::kNumRates; ++i)
        all.push_back({"rate_" + std::to_string(i),
                       {{0, 0.0f, static_cast<float>(i), 0.25f, pitchForRateIndex(i)}}});
    // Values that change between runs; those outside the ports' ranges act as the VST edition's
    // clamped parameters.
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    all.push_back({"hostile_values",
                   {{0, 1e30f, 7.99f, 1.0f, pitchForRateIndex(7)},
                    {500, nan, nan, 0.0f, 0.0f},
                    {1000, inf, inf, 1.0f, 1.0f},
                    {1500, 12.0412f, -0.5f, 1.0f, 0.0f},
                    {2000, -inf, 1e30f, 0.0f, 1.0f},
                    {2500, 6.0f, -inf, gainAt(6.0), 0.0f},
                    {3000, -60.0f, 14.99f, 0.0f, pitchForRateIndex(14)},
                    {3500, 4.0f, 16.0f, gainAt(4.0), 1.0f}}});
    // Back to exactly the value of two changes before.
    all.push_back({"gain_returns",
                   {{0, -6.0f, 14.0f, gainAt(-6.0), pitchForRateIndex(14)},
                    {1000, 0.0f, 14.0f, 0.25f, pitchForRateIndex(14)},
                    {2000, -6.0f, 14.0f, gainAt(-6.0), pitchForRateIndex(14)}}});
    return all;
}

struct Stereo {
    std::vector<float> left, right;
};

std::vector<std::string> goldenInputs() {
    std::vector<std::string> paths;
    for (const auto& entry : std::filesystem::directory_iterator(SLOPECRUSH_GOLDEN_DATA))
        if (entry.path().stem().extension() == ".in") paths.push_back(entry.path().string());
    std::sort(paths.begin(), paths.end());
    return paths;
}

Stereo readStereo(const std::string& path) {
    const std::vector<float> frames = readFloats(path);
    Stereo in;
    for (size_t i = 0; i + 1 < frames.size(); i += 2) {
        in.left.push_back(frames[i]);
        in.right.push_back(frames[i + 1]);
    }
    return in;
}

// The frames [begin, end) in which setting k holds.
std::pair<size_t, size_t> span(const Row& row, size_t k, size_t frames) {
    const size_t end = k + 1 < row.settings.size() ? row.settings[k + 1].frame : frames;
    return {std::min<size_t>(row.settings[k].frame, frames), std::min(end, frames)};
}

std::vector<float> renderVst(const Row& row, const Stereo& in) {
    Instance effect(slopeCrushModule());
    effect.start(44100.0f, 512);
    std::vector<float> out;
    for (size_t k = 0; k < row.settings.size(); ++k) {
        effect.setParameter(0, row.settings[k].vstGain);
        effect.setParameter(1, row.settings[k].vstPitch);
        const auto [begin, end] = span(row, k, in.left.size());
        const auto part = effect.process({in.left.data() + begin, in.left.data() + end},
                                         {in.right.data() + begin, in.right.data() + end});
        out.insert(out.end(), part.begin(), part.end());
    }
    return out;
}

struct InstanceFree {
    void operator()(LilvInstance* instance) const { lilv_instance_free(instance); }
};

template <typename NextBlock>
std::vector<float> renderLv2(const Row& row, Stereo in, double sampleRate, NextBlock nextBlock,
                             bool inPlace) {
    const std::unique_ptr<LilvInstance, InstanceFree> owner(
        lilv_plugin_instantiate(lv2Bundle().plugin, sampleRate, nullptr));
    LilvInstance* lv2 = owner.get();
    EXPECT_NE(lv2, nullptr);
    if (lv2 == nullptr) return {};
    float gainDb = 0.0f;
    float pitch = 14.0f;

    // A careless host: runs with no port connected, then without outputs, then junk.
    std::vector<float> junk(300, 0.9f);
    lilv_instance_activate(lv2);
    lilv_instance_run(lv2, 64);
    lilv_instance_connect_port(lv2, 0, junk.data());
    lilv_instance_connect_port(lv2, 1, junk.data());
    lilv_instance_connect_port(lv2, 4, &gainDb);
    lilv_instance_connect_port(lv2, 5, &pitch);
    lilv_instance_run(lv2, 64);
    lilv_instance_connect_port(lv2, 2, junk.data());
    lilv_instance_connect_port(lv2, 3, junk.data());
    lilv_instance_run(lv2, static_cast<std::uint32_t>(junk.size()));
    // Any one audio port unconnected: nothing is written.
    for (std::uint32_t missing = 0; missing < 4; ++missing) {
        std::vector<float> untouched(64, 7.0f);
        for (std::uint32_t port = 0; port < 4; ++port)
            lilv_instance_connect_port(lv2, port,
                                       port == missing ? nullptr
                                       : port < 2      ? junk.data()
                                                       : untouched.data());
        lilv_instance_run(lv2, 64);
        EXPECT_EQ(untouched, std::vector<float>(64, 7.0f)) << "port " << missing << " unconnected";
    }
    lilv_instance_deactivate(lv2);
    lilv_instance_activate(lv2);

    Stereo separate{std::vector<float>(in.left.size()), std::vector<float>(in.left.size())};
    Stereo& out = inPlace ? in : separate;
    for (size_t k = 0; k < row.settings.size(); ++k) {
        gainDb = row.settings[k].gainDb;
        pitch = row.settings[k].pitch;
        const auto [begin, end] = span(row, k, in.left.size());
        for (size_t at = begin, n = 0; at < end; at += n) {
            n = std::min<size_t>(nextBlock(), end - at);
            lilv_instance_connect_port(lv2, 0, &in.left[at]);
            lilv_instance_connect_port(lv2, 1, &in.right[at]);
            lilv_instance_connect_port(lv2, 2, &out.left[at]);
            lilv_instance_connect_port(lv2, 3, &out.right[at]);
            lilv_instance_run(lv2, static_cast<std::uint32_t>(n));
        }
    }
    lilv_instance_deactivate(lv2);
    EXPECT_EQ(out.left, out.right);
    return out.left;
}

std::uint32_t bitsOf(float value) {
    std::uint32_t bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}

// The first frame whose bits differ, or -1.
long firstDifference(const std::vector<float>& a, const std::vector<float>& b) {
    if (a.size() != b.size()) return 0;
    for (size_t i = 0; i < a.size(); ++i)
        if (bitsOf(a[i]) != bitsOf(b[i])) return static_cast<long>(i);
    return -1;
}

class Lv2Sound : public ::testing::TestWithParam<Row> {};

TEST_P(Lv2Sound, IsTheVstEditionsToTheBit) {
    ASSERT_NE(lv2Bundle().plugin, nullptr);
    RecordingHost host;
    const Row& row = GetParam();
    const std::vector<std::string> inputs = goldenInputs();
    ASSERT_EQ(inputs.size(), 8u);
    for (const std::string& input : inputs) {
        const Stereo in = readStereo(input);
        const std::vector<float> vst = renderVst(row, in);
        auto check = [&](const char* how, const std::vector<float>& lv2) {
            EXPECT_EQ(firstDifference(lv2, vst), -1) << input << ", " << how;
        };
        int size = 0; // 1, 2, ... 300, 0, 1, ...
        check("blocks of 512 at 48 kHz", renderLv2(
                                             row, in, 48000.0, [] { return 512L; }, false));
        check("blocks of 1 at 22.05 kHz", renderLv2(
                                              row, in, 22050.0, [] { return 1L; }, false));
        check("blocks of 0 to 300 in place at 96 kHz",
              renderLv2(
                  row, in, 96000.0, [&] { return size = (size + 1) % 301; }, true));
    }
}

// Blocks of the input through a fresh instance made from the descriptor, the controls moving
// between runs as a host moves them.
std::vector<float> renderMoving(const LV2_Descriptor* d, Stereo in) {
    const LV2_Feature* const none[] = {nullptr};
    LV2_Handle lv2 = d->instantiate(d, 48000.0, SLOPECRUSH_LV2_BUNDLE, none);
    float controls[2] = {};
    for (std::uint32_t port = 0; port < 6; ++port)
        d->connect_port(lv2, port,
                        port < 4 ? (port % 2 == 0 ? in.left : in.right).data()
                                 : &controls[port - 4]);
    d->activate(lv2);
    for (size_t at = 0, block = 0; at + 256 <= in.left.size(); at += 256, ++block) {
        controls[0] = static_cast<float>(block % 7) * 3.0f - 12.0f;
        controls[1] = static_cast<float>(block % 16);
        for (std::uint32_t port = 0; port < 4; ++port)
            d->connect_port(lv2, port, &(port % 2 == 0 ? in.left : in.right)[at]);
        d->run(lv2, 256);
    }
    if (d->deactivate != nullptr) d->deactivate(lv2);
    d->cleanup(lv2);
    return in.left;
}

// What LV2 lets a host do at once: run one instance while another is made, activated, run and
// freed on another thread. Run under ThreadSanitizer by the tsan preset; neither hears the other.
TEST(Lv2Threads, OneInstanceRunsWhileAnotherIsMadeOnAnotherThread) {
    const std::unique_ptr<LilvInstance, InstanceFree> first(
        lilv_plugin_instantiate(lv2Bundle().plugin, 48000.0, nullptr));
    ASSERT_NE(first, nullptr);
    const LV2_Descriptor* d = lilv_instance_get_descriptor(first.get());
    Stereo in = readStereo(std::string(SLOPECRUSH_GOLDEN_DATA) + "/noise-every-rate.in.f32");
    in.left.resize(16384);
    in.right.resize(16384);
    const std::vector<float> alone = renderMoving(d, in);
    std::atomic<bool> done{false};
    std::thread other([&] {
        while (!done)
            (void)renderMoving(d, in);
    });
    for (int round = 0; round < 20; ++round)
        EXPECT_EQ(firstDifference(renderMoving(d, in), alone), -1) << round;
    done = true;
    other.join();
}

INSTANTIATE_TEST_SUITE_P(Settings, Lv2Sound, ::testing::ValuesIn(rows()),
                         [](const ::testing::TestParamInfo<Row>& info) { return info.param.name; });

} // namespace
