#include "render.h"

#include "failure.h"
#include "interrupt.h"
#include "progress.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <vector>

namespace {

using Channels = std::vector<std::vector<float>>;

std::vector<float*> pointersTo(Channels& channels) {
    std::vector<float*> pointers;
    for (auto& channel : channels)
        pointers.push_back(channel.data());
    return pointers;
}

} // namespace

RenderResult render(Source& source, PluginHost& plugin, OutputFile& output, OutputFile* dry,
                    int blockFrames, bool showProgress) {
    const auto block = static_cast<size_t>(blockFrames);
    // Two source channels always exist; the plug-in's own inputs map onto them.
    Channels sourceChannels(2, std::vector<float>(block));
    Channels silence(static_cast<size_t>(std::max(plugin.inputs() - 2, 0)),
                     std::vector<float>(block));
    Channels outputs(static_cast<size_t>(plugin.outputs()), std::vector<float>(block));
    std::vector<float*> in = pointersTo(sourceChannels);
    in.resize(static_cast<size_t>(plugin.inputs()));
    for (size_t i = 2; i < in.size(); ++i)
        in[i] = silence[i - 2].data();
    std::vector<float*> out = pointersTo(outputs);
    const float* sourcePlanes[2] = {sourceChannels[0].data(), sourceChannels[1].data()};

    RenderResult result;
    Progress progress(showProgress, source.frames(), source.sampleRate());
    const auto started = std::chrono::steady_clock::now();
    for (;;) {
        if (const int signal = interrupt::caughtSignal())
            throw Failure(128 + signal, "interrupted; no output was written");
        const int frames =
            source.read(sourceChannels[0].data(), sourceChannels[1].data(), blockFrames);
        if (frames == 0) break;
        if (dry != nullptr) dry->write(sourcePlanes, frames);

        // Outputs start silent every block, so one the plug-in leaves alone carries silence rather
        // than the previous block; the silent extra inputs are renewed in case it wrote to them.
        for (auto& channel : silence)
            std::fill(channel.begin(), channel.end(), 0.0f);
        for (auto& channel : outputs)
            std::fill(channel.begin(), channel.end(), 0.0f);
        plugin.process(in.data(), out.data(), frames);

        for (int c = 0; c < output.channels(); ++c) {
            for (int i = 0; i < frames; ++i) {
                const float magnitude = std::fabs(out[static_cast<size_t>(c)][i]);
                result.peak = std::max(result.peak, magnitude);
                if (output.clips() && magnitude > 1.0f) ++result.clipped;
            }
        }
        output.write(out.data(), frames);
        result.frames += frames;
        progress.update(result.frames);
    }
    result.seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    return result;
}
