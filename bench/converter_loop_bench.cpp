// The converter's bare loop natively, the counterpart of bench/wasm_bench.mjs: ns per stereo frame
// of the same fixed-seed noise at the default rate, blocks of 128, 512 and 4096 frames, medians
// of 7 rounds of about 0.3 s.
//   build/default/bin/slopecrush_loop_bench
#include "deltamodconverter.h"

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <vector>

namespace {

constexpr int kFrames = 1 << 16;

// The benchmark's own noise, as bench/wasm_bench.mjs makes it.
std::vector<float> noise(std::uint32_t& state) {
    std::vector<float> samples(kFrames);
    for (float& sample : samples) {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        sample = static_cast<float>(state / 2147483648.0 - 1.0);
    }
    return samples;
}

double nsPerFrame(deltamod::Converter& converter, const std::vector<float>& left,
                  const std::vector<float>& right, int block) {
    std::vector<float> out0(static_cast<std::size_t>(block));
    std::vector<float> out1(out0.size());
    std::vector<double> rounds;
    for (int round = 0; round < 7; ++round) {
        const auto start = std::chrono::steady_clock::now();
        std::chrono::duration<double, std::nano> elapsed{};
        long passes = 0;
        while (elapsed < std::chrono::milliseconds(300)) {
            for (int at = 0; at < kFrames; at += block)
                converter.process(&left[at], &right[at], out0.data(), out1.data(), block);
            ++passes;
            elapsed = std::chrono::steady_clock::now() - start;
        }
        rounds.push_back(elapsed.count() / (static_cast<double>(passes) * kFrames));
    }
    std::sort(rounds.begin(), rounds.end());
    return rounds[rounds.size() / 2];
}

} // namespace

int main() {
    std::uint32_t state = 0x2545F491u;
    const std::vector<float> left = noise(state);
    const std::vector<float> right = noise(state);
    deltamod::Converter converter;
    for (const int block : {128, 512, 4096}) {
        const double ns = nsPerFrame(converter, left, right, block);
        std::printf("process, %4d frames       %6.2f ns/frame  %4.0f M frames/s\n", block, ns,
                    1e3 / ns);
    }
}
