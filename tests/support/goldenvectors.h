// The golden vectors (tests/golden): the cases of cases.txt and a render of one case through any
// edition, in blocks cut so that every parameter change lands before the frame it names.
#pragma once

#include "floatfile.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace golden {

struct ParameterEvent {
    long frame;
    int index;
    float value;
};

struct GoldenCase {
    std::string name;
    long frames = 0;
    int block = 0;
    std::vector<ParameterEvent> events;
};

inline void PrintTo(const GoldenCase& c, std::ostream* os) { *os << c.name; }

inline std::vector<GoldenCase> readCases() {
    std::ifstream file(std::string(SLOPECRUSH_GOLDEN_DATA) + "/cases.txt");
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

// Drives a fresh effect as the vectors were made: blocks whose sizes come from `nextBlock`, cut so
// that every change is set (through `set(index, normalised value)`) before the frame it names.
// `process(in0, in1, out0, out1, frames)` runs one block.
template <typename Set, typename Process, typename NextBlock>
std::vector<float> render(const GoldenCase& c, const std::vector<float>& input, Set set,
                          Process process, NextBlock nextBlock) {
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
            set(c.events[nextEvent].index, c.events[nextEvent].value);
            ++nextEvent;
        }
        long n = std::min<long>(nextBlock(), c.frames - at);
        if (nextEvent < c.events.size()) n = std::min(n, c.events[nextEvent].frame - at);
        process(&left[at], &right[at], &out0[at], &out1[at], n);
        at += n;
    }
    EXPECT_EQ(0, std::memcmp(out0.data(), out1.data(), out0.size() * sizeof(float)));
    return out0;
}

// Index of the first frame whose bits differ, or -1.
inline long firstDifference(const std::vector<float>& a, const std::vector<float>& b) {
    if (a.size() != b.size()) return 0;
    for (size_t i = 0; i < a.size(); ++i)
        if (std::memcmp(&a[i], &b[i], sizeof(float)) != 0) return static_cast<long>(i);
    return -1;
}

// A case's interleaved input and its expected output, checked for the lengths cases.txt gives.
struct Vectors {
    std::vector<float> input;
    std::vector<float> expected;
};
inline Vectors readVectors(const GoldenCase& c) {
    const std::string path = std::string(SLOPECRUSH_GOLDEN_DATA) + "/" + c.name;
    Vectors v{readFloats(path + ".in.f32"), readFloats(path + ".out.f32")};
    EXPECT_EQ(v.input.size(), static_cast<size_t>(2 * c.frames));
    EXPECT_EQ(v.expected.size(), static_cast<size_t>(c.frames));
    return v;
}

// Expects got to be the expected output to the bit, else names the first frame that is not.
inline void expectVector(const GoldenCase& c, const char* how, const std::vector<float>& got,
                         const std::vector<float>& expected) {
    const long at = firstDifference(got, expected);
    EXPECT_EQ(at, -1) << c.name << " " << how << ": frame " << at << " is "
                      << (at >= 0 && at < long(got.size()) ? got[at] : 0.0f) << ", expected "
                      << (at >= 0 ? expected[at] : 0.0f);
}

inline std::string caseName(const ::testing::TestParamInfo<GoldenCase>& info) {
    std::string name = info.param.name;
    for (char& ch : name)
        if (ch == '-') ch = '_';
    return name;
}

} // namespace golden
