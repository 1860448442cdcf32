// Frames per second of the converter, called as a host calls it (through the record's
// processReplacing), against its floor: the bare smoother recurrence over the same frames.
//
//   slopecrush_bench                      everything, 5 repetitions, medians, and a summary
//   slopecrush_bench --benchmark_filter=block:512     the usual Google Benchmark flags work too

#include "audioeffect.h"
#include "benchsignals.h"
#include "floorratioreporter.h"
#include "smootherfloor.h"

#include <benchmark/benchmark.h>

#include <string>
#include <vector>

namespace {

constexpr int kSignalFrames = 16384; // cycled through, so blocks do not see the same frames
constexpr int kBlockSizes[] = {1, 16, 64, 512, 4096};
constexpr int kDefaultRateIndex = 14;
constexpr int kNumRates = 16;
constexpr float kSmoothing = 0.65f;

// The host side of the conversation: the effect only asks for the version.
VstIntPtr VSTCALLBACK benchHost(AEffect* /*effect*/, VstInt32 opcode, VstInt32 /*index*/,
                                VstIntPtr /*value*/, void* /*ptr*/, float /*opt*/) {
    return opcode == audioMasterVersion ? 2400 : 0;
}

// A "Pitch" value that selects the rate index exactly.
float pitchFor(int rateIndex) {
    return rateIndex == kNumRates - 1 ? 1.0f : (static_cast<float>(rateIndex) + 0.5f) / 15.0f;
}

// One effect instance, opened and started the way a host does.
class HostedEffect {
public:
    explicit HostedEffect(int blockSize) : effect(createEffectInstance(benchHost)->getAeffect()) {
        effect->dispatcher(effect, effOpen, 0, 0, nullptr, 0.0f);
        effect->dispatcher(effect, effSetSampleRate, 0, 0, nullptr, 44100.0f);
        effect->dispatcher(effect, effSetBlockSize, 0, blockSize, nullptr, 0.0f);
        effect->dispatcher(effect, effMainsChanged, 0, 1, nullptr, 0.0f);
    }
    ~HostedEffect() {
        effect->dispatcher(effect, effMainsChanged, 0, 0, nullptr, 0.0f);
        effect->dispatcher(effect, effClose, 0, 0, nullptr, 0.0f);
    }
    HostedEffect(const HostedEffect&) = delete;
    HostedEffect& operator=(const HostedEffect&) = delete;

    AEffect* operator->() const { return effect; }
    void process(float* left, float* right, float* out0, float* out1, int frames) const {
        float* ins[2] = {left, right};
        float* outs[2] = {out0, out1};
        effect->processReplacing(effect, ins, outs, frames);
    }

private:
    AEffect* effect;
};

void converterBench(benchmark::State& state, BenchSignal kind, int rateIndex, int block) {
    StereoSignal signal = makeSignal(kind, kSignalFrames);
    std::vector<float> out0(block);
    std::vector<float> out1(block);
    HostedEffect effect(block);
    effect->setParameter(effect.operator->(), 1, pitchFor(rateIndex));
    if (kind == BenchSignal::Silence) {
        // Silence after noise: the gate has been open and the smoother busy.
        StereoSignal noise = makeSignal(BenchSignal::Noise, kSignalFrames);
        std::vector<float> scratch(kSignalFrames);
        effect.process(noise.left.data(), noise.right.data(), scratch.data(), scratch.data(),
                       kSignalFrames);
    }
    int at = 0;
    for (auto _ : state) {
        effect.process(&signal.left[at], &signal.right[at], out0.data(), out1.data(), block);
        at += block;
        if (at + block > kSignalFrames) at = 0;
    }
    benchmark::DoNotOptimize(out0.data());
    state.SetItemsProcessed(state.iterations() * block);
}

void floorBench(benchmark::State& state, int block) {
    const std::vector<float> levels = makeLevels(kSignalFrames);
    std::vector<float> out(block);
    float memory = 0.0f;
    int at = 0;
    for (auto _ : state) {
        smootherFloor(&levels[at], out.data(), block, kSmoothing, memory);
        at += block;
        if (at + block > kSignalFrames) at = 0;
    }
    benchmark::DoNotOptimize(out.data());
    state.SetItemsProcessed(state.iterations() * block);
}

std::string converterName(BenchSignal kind, int rateIndex, int block) {
    return nameOf(kind) + "/rate:" + std::to_string(rateIndex) + "/block:" + std::to_string(block);
}

void registerAll() {
    for (int block : kBlockSizes)
        benchmark::RegisterBenchmark(FloorRatioReporter::floorName(block).c_str(), floorBench,
                                     block);
    // Noise, sine and silence at every block size for the default, lowest and highest rate, and at
    // every rate for the block sizes the goals name.
    for (BenchSignal kind : {BenchSignal::Noise, BenchSignal::Sine, BenchSignal::Silence})
        for (int rateIndex = 0; rateIndex < kNumRates; ++rateIndex)
            for (int block : kBlockSizes) {
                const bool namedRate =
                    rateIndex == kDefaultRateIndex || rateIndex == 0 || rateIndex == kNumRates - 1;
                if (!namedRate && FloorRatioReporter::goalFor(block) == 0.0) continue;
                benchmark::RegisterBenchmark(converterName(kind, rateIndex, block).c_str(),
                                             converterBench, kind, rateIndex, block);
            }
    // The smoother decaying into subnormal floats after every burst, and subnormal input: neither
    // may stall.
    for (BenchSignal kind : {BenchSignal::BurstThenSilence, BenchSignal::Subnormal})
        for (int block : kBlockSizes)
            benchmark::RegisterBenchmark(converterName(kind, kDefaultRateIndex, block).c_str(),
                                         converterBench, kind, kDefaultRateIndex, block);
}

} // namespace

int main(int argc, char** argv) {
    // Defaults for a noisy shared machine; flags given on the command line come later and win.
    std::vector<char*> args{argv[0]};
    std::string defaults[] = {"--benchmark_repetitions=5", "--benchmark_min_time=0.05",
                              "--benchmark_report_aggregates_only=true"};
    for (std::string& flag : defaults)
        args.push_back(flag.data());
    for (int i = 1; i < argc; ++i)
        args.push_back(argv[i]);
    int count = static_cast<int>(args.size());
    args.push_back(nullptr);

    benchmark::Initialize(&count, args.data());
    if (benchmark::ReportUnrecognizedArguments(count, args.data())) return 1;
    registerAll();
    FloorRatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
