// The converter against the reference vectors, bit for bit, through the loaded module, at the
// block size each vector was made with and at others: the output must not depend on blocking.

#include "floatfile.h"
#include "recordinghost.h"
#include "slopecrushmodule.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

struct ParameterEvent {
    long frame;
    VstInt32 index;
    float value;
};

struct GoldenCase {
    std::string name;
    long frames = 0;
    int block = 0;
    std::vector<ParameterEvent> events;
};

void PrintTo(const GoldenCase& c, std::ostream* os) { *os << c.name; }

std::vector<GoldenCase> readCases() {
    std::ifstream file(std::string(SLOPECRUSH_TEST_DATA) + "/cases.txt");
    std::vector<GoldenCase> cases;
    std::string line;
    while (std::getline(file, line)) {
        if (line.empty() || line[0] == '#') continue;
        std::istringstream words(line);
        GoldenCase c;
        words >> c.name >> c.frames >> c.block;
        std::string event;
        while (words >> event) {
            ParameterEvent e{};
            char colon = 0;
            char equals = 0;
            std::istringstream parts(event);
            parts >> e.frame >> colon >> e.index >> equals >> e.value;
            c.events.push_back(e);
        }
        cases.push_back(c);
    }
    return cases;
}

// Drives a fresh instance as the vectors were made: the start-up sequence, then blocks whose
// sizes come from `nextBlock`, cut so that every event is applied before the frame it names.
template <typename NextBlock>
std::vector<float> render(const GoldenCase& c, const std::vector<float>& input,
                          NextBlock nextBlock) {
    Instance effect(slopeCrushModule());
    effect.start(44100.0f, c.block);
    std::vector<float> left(static_cast<size_t>(c.frames));
    std::vector<float> right(static_cast<size_t>(c.frames));
    for (long i = 0; i < c.frames; ++i) {
        left[i] = input[2 * i];
        right[i] = input[2 * i + 1];
    }
    std::vector<float> out0(left.size());
    std::vector<float> out1(left.size());
    size_t nextEvent = 0;
    for (long at = 0; at < c.frames;) {
        while (nextEvent < c.events.size() && c.events[nextEvent].frame <= at) {
            effect.setParameter(c.events[nextEvent].index, c.events[nextEvent].value);
            ++nextEvent;
        }
        long n = std::min<long>(nextBlock(), c.frames - at);
        if (nextEvent < c.events.size()) n = std::min(n, c.events[nextEvent].frame - at);
        float* ins[2] = {&left[at], &right[at]};
        float* outs[2] = {&out0[at], &out1[at]};
        effect->processReplacing(effect.get(), ins, outs, static_cast<VstInt32>(n));
        at += n;
    }
    EXPECT_EQ(0, std::memcmp(out0.data(), out1.data(), out0.size() * sizeof(float)));
    return out0;
}

// Index of the first frame whose bits differ, or -1.
long firstDifference(const std::vector<float>& a, const std::vector<float>& b) {
    if (a.size() != b.size()) return 0;
    for (size_t i = 0; i < a.size(); ++i)
        if (std::memcmp(&a[i], &b[i], sizeof(float)) != 0) return static_cast<long>(i);
    return -1;
}

class Golden : public ::testing::TestWithParam<GoldenCase> {};

TEST_P(Golden, MatchesBitForBitAtEveryBlockSize) {
    RecordingHost host;
    const GoldenCase& c = GetParam();
    const auto input = readFloats(std::string(SLOPECRUSH_TEST_DATA) + "/" + c.name + ".in.f32");
    const auto expected = readFloats(std::string(SLOPECRUSH_TEST_DATA) + "/" + c.name + ".out.f32");
    ASSERT_EQ(input.size(), static_cast<size_t>(2 * c.frames));
    ASSERT_EQ(expected.size(), static_cast<size_t>(c.frames));

    auto check = [&](const char* how, const std::vector<float>& got) {
        const long at = firstDifference(got, expected);
        EXPECT_EQ(at, -1) << c.name << " " << how << ": frame " << at << " is "
                          << (at >= 0 && at < long(got.size()) ? got[at] : 0.0f) << ", expected "
                          << (at >= 0 ? expected[at] : 0.0f);
    };
    check("own block", render(c, input, [&] { return c.block; }));
    check("block 1", render(c, input, [] { return 1; }));
    check("block 4096", render(c, input, [] { return 4096; }));
    int size = 0; // 1, 2, 3, ... 300, then again: a block size that changes on every call
    check("changing blocks", render(c, input, [&] { return size = size % 300 + 1; }));
}

std::string caseName(const ::testing::TestParamInfo<GoldenCase>& info) {
    std::string name = info.param.name;
    for (char& ch : name)
        if (ch == '-') ch = '_';
    return name;
}

INSTANTIATE_TEST_SUITE_P(Vectors, Golden, ::testing::ValuesIn(readCases()), caseName);

TEST(GoldenCases, AllVectorsAreListed) { EXPECT_EQ(readCases().size(), 8u); }

} // namespace
