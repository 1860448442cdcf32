// The core effect against the reference vectors, bit for bit, at the block size each vector was
// made with and at others: the output must not depend on blocking.

#include "effectrun.h"
#include "goldenvectors.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <vector>

namespace {

using golden::GoldenCase;

std::vector<float> render(const GoldenCase& c, const std::vector<float>& input,
                          const std::function<long()>& nextBlock) {
    EffectRun run;
    return golden::render(
        c, input, [&](int index, float value) { run.setParameter(index, value); },
        [&](const float* in0, const float* in1, float* out0, float* out1, long frames) {
            run.effect.process(in0, in1, out0, out1, static_cast<std::size_t>(frames));
        },
        nextBlock);
}

class Golden : public ::testing::TestWithParam<GoldenCase> {};

TEST_P(Golden, MatchesBitForBitAtEveryBlockSize) {
    const GoldenCase& c = GetParam();
    const golden::Vectors v = golden::readVectors(c);
    golden::expectVector(c, "own block", render(c, v.input, [&] { return c.block; }), v.expected);
    golden::expectVector(c, "block 1", render(c, v.input, [] { return 1; }), v.expected);
    golden::expectVector(c, "block 4096", render(c, v.input, [] { return 4096; }), v.expected);
    long size = 0; // 1, 2, 3, ... 300, then again: a block size that changes on every call
    golden::expectVector(c, "changing blocks",
                         render(c, v.input, [&] { return size = size % 300 + 1; }), v.expected);
}

INSTANTIATE_TEST_SUITE_P(Vectors, Golden, ::testing::ValuesIn(golden::readCases()),
                         golden::caseName);

TEST(GoldenCases, AllVectorsAreListed) { EXPECT_EQ(golden::readCases().size(), 8u); }

} // namespace
