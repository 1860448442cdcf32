// The core effect driven as a host's audio thread drives an edition: whole signals in blocks, and
// the parameters as normalised values, the form the golden vectors and the reference take.
#pragma once

#include "effect.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <vector>

struct EffectRun {
    deltamod::Effect effect;

    void setParameter(int index, float value) { effect.setNormalised(index, value); }

    // Returns the left output and checks that the right one equals it.
    std::vector<float> process(const std::vector<float>& left, const std::vector<float>& right,
                               std::size_t blockSize = 512) {
        const std::size_t frames = std::min(left.size(), right.size());
        std::vector<float> out0(frames, -7.0f);
        std::vector<float> out1(frames, 7.0f);
        for (std::size_t at = 0; at < frames; at += blockSize) {
            const std::size_t n = std::min(blockSize, frames - at);
            effect.process(&left[at], &right[at], &out0[at], &out1[at], n);
        }
        EXPECT_EQ(0, std::memcmp(out0.data(), out1.data(), frames * sizeof(float)))
            << "output channels differ";
        return out0;
    }
};
