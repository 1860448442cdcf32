#include "render.h"

#include "interrupt.h"
#include "progress.h"
#include "worker.h"

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstring>
#include <vector>

namespace {

// Files are read and written at least this many frames at a time, whatever the block size: a
// library call per block would cost more than the effect itself, and every chunk is handed
// between threads twice (16384 frames cost a sixth more time than 65536 on a busy machine,
// 131072 no less).
constexpr int kChunkFrames = 65536;
// Chunks read ahead of the one being processed, so that a reader kept waiting by a busy machine
// does not hold up the plug-in at once.
constexpr std::size_t kReadAhead = 3;

using Channels = std::vector<std::vector<float>>;

// The magnitude of a float as its bits: for magnitudes, the order of the bits is the order of the
// values, and whole numbers compare in vector instructions without any float rule in the way.
std::uint32_t magnitudeBits(float sample) {
    std::uint32_t bits = 0;
    std::memcpy(&bits, &sample, sizeof(bits));
    return bits & 0x7FFFFFFFu;
}

constexpr std::uint32_t kFullScaleBits = 0x3F800000u; // 1.0f
constexpr std::uint32_t kInfinityBits = 0x7F800000u;  // NaN counts as infinite

struct Level {
    std::uint32_t peakBits = 0;
    std::int64_t beyondFullScale = 0;
};

Level levelOf(const float* samples, int frames) {
    std::uint32_t peak = 0;
    std::uint32_t beyond = 0; // a chunk holds far fewer than 2^32 samples
    for (int i = 0; i < frames; ++i) {
        const std::uint32_t bits = std::min(magnitudeBits(samples[i]), kInfinityBits);
        peak = std::max(peak, bits);
        beyond += bits > kFullScaleBits ? 1u : 0u;
    }
    return {peak, beyond};
}

} // namespace

RenderResult render(Source& source, PluginHost& plugin, OutputFile& output, OutputFile* dry,
                    int blockFrames, bool showProgress) {
    // Whole blocks fit a chunk, so the plug-in gets full blocks until the very end.
    const int chunkFrames = (kChunkFrames + blockFrames - 1) / blockFrames * blockFrames;
    const auto chunk = static_cast<size_t>(chunkFrames);
    // One chunk is processed while the next ones are read.
    struct Chunk {
        std::vector<float> left, right;
        int frames = 0;
    };
    Chunk chunks[kReadAhead + 1];
    for (Chunk& c : chunks) {
        c.left.resize(chunk);
        c.right.resize(chunk);
    }
    Channels outputs(static_cast<size_t>(plugin.outputs()), std::vector<float>(chunk));
    Channels silence(static_cast<size_t>(std::max(plugin.inputs() - 2, 0)),
                     std::vector<float>(static_cast<size_t>(blockFrames)));
    std::vector<float*> in(static_cast<size_t>(plugin.inputs()));
    std::vector<float*> out(outputs.size());
    for (size_t i = 2; i < in.size(); ++i)
        in[i] = silence[i - 2].data();
    std::vector<const float*> outputPlanes;
    for (auto& channel : outputs)
        outputPlanes.push_back(channel.data());

    RenderResult result;
    std::uint32_t peakBits = 0;
    Progress progress(showProgress, source.frames(), source.sampleRate());
    const auto started = std::chrono::steady_clock::now();
    Worker reader(kReadAhead); // after the buffers: it stops before they go
    // Chunk k goes into the buffer that chunk k - kReadAhead - 1 has left.
    const auto readChunk = [&reader, &chunks, &source, chunkFrames](std::uint64_t k) {
        Chunk* c = &chunks[k % (kReadAhead + 1)];
        reader.post([&source, chunkFrames, c] {
            c->frames = source.read(c->left.data(), c->right.data(), chunkFrames);
        });
    };
    for (std::uint64_t k = 0; k < kReadAhead; ++k)
        readChunk(k);
    for (std::uint64_t k = 0;; ++k) {
        interrupt::stopIfCaught();
        reader.waitFor(k + 1);
        Chunk& chunkRead = chunks[k % (kReadAhead + 1)];
        const int frames = chunkRead.frames;
        if (frames == 0) break;
        readChunk(k + kReadAhead);
        const float* sourcePlanes[2] = {chunkRead.left.data(), chunkRead.right.data()};
        if (dry != nullptr) dry->write(sourcePlanes, frames);

        // Outputs start silent, so one the plug-in leaves alone carries silence rather than an
        // earlier block.
        for (auto& channel : outputs)
            std::fill_n(channel.begin(), frames, 0.0f);
        float* sourceChannels[2] = {chunkRead.left.data(), chunkRead.right.data()};
        for (int at = 0; at < frames; at += blockFrames) {
            interrupt::stopIfCaught();
            const int count = std::min(blockFrames, frames - at);
            for (size_t i = 0; i < in.size() && i < 2; ++i)
                in[i] = sourceChannels[i] + at;
            // The silent extra inputs are renewed in case the plug-in wrote to them.
            for (auto& channel : silence)
                std::fill(channel.begin(), channel.end(), 0.0f);
            for (size_t c = 0; c < out.size(); ++c)
                out[c] = outputs[c].data() + at;
            plugin.process(in.data(), out.data(), count);
        }

        for (int c = 0; c < output.channels(); ++c) {
            const Level level = levelOf(outputs[static_cast<size_t>(c)].data(), frames);
            peakBits = std::max(peakBits, level.peakBits);
            if (output.clips()) result.clipped += level.beyondFullScale;
        }
        output.write(outputPlanes.data(), frames);
        result.frames += frames;
        progress.update(result.frames);
    }
    interrupt::stopIfCaught();
    std::memcpy(&result.peak, &peakBits, sizeof(peakBits));
    result.seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    return result;
}
