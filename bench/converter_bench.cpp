// Frames per second of the converter, called as a host calls it (through the record's
// processReplacing), against its floor: the bare smoother recurrence over the same frames.
//
//   slopecrush_bench                      everything, 5 repetitions, medians, and a summary
//   slopecrush_bench --benchmark_filter=block:512     the usual Google Benchmark flags work too

#include "audioeffect.h"
#include "benchsignals.h"
#include "deltamodfacts.h"
#include "floorratioreporter.h"
#include "smootherfloor.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <string>
#include <vector>

namespace {

constexpr int kSignalFrames = 16384; // cycled through, so blocks do not see the same frames
constexpr int kBlockSizes[] = {1, 16, 64, 512, 4096};
constexpr int kBatchFrames = 4096; // frames per timed batch when comparing with the floor
constexpr int kRatioPairs = 101;   // converter and floor batches compared per repetition

// The host side of the conversation: the effect only asks for the version.
VstIntPtr VSTCALLBACK benchHost(AEffect* /*effect*/, VstInt32 opcode, VstInt32 /*index*/,
                                VstIntPtr /*value*/, void* /*ptr*/, float /*opt*/) {
    return opcode == audioMasterVersion ? 2400 : 0;
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

// Plays consecutive blocks of one signal through one effect instance.
class ConverterPlayer {
public:
    ConverterPlayer(BenchSignal kind, int rateIndex, int block)
        : signal(makeSignal(kind, kSignalFrames)), out0(block), out1(block), effect(block),
          block(block) {
        effect->setParameter(effect.operator->(), 1, deltamod::pitchForRateIndex(rateIndex));
        if (kind == BenchSignal::Silence) {
            // Silence after noise: the gate has been open and the smoother busy.
            StereoSignal noise = makeSignal(BenchSignal::Noise, kSignalFrames);
            std::vector<float> scratch(kSignalFrames);
            effect.process(noise.left.data(), noise.right.data(), scratch.data(), scratch.data(),
                           kSignalFrames);
        }
    }
    void next() {
        effect.process(&signal.left[at], &signal.right[at], out0.data(), out1.data(), block);
        at += block;
        if (at + block > kSignalFrames) at = 0;
    }

private:
    StereoSignal signal;
    std::vector<float> out0;
    std::vector<float> out1;
    HostedEffect effect;
    int block;
    int at = 0;
};

// Plays consecutive blocks of precomputed levels through the bare smoother.
class FloorPlayer {
public:
    explicit FloorPlayer(int block) : levels(makeLevels(kSignalFrames)), out(block), block(block) {}
    void next() {
        smootherFloor(&levels[at], out.data(), block, deltamod::kSmoothing, memory);
        at += block;
        if (at + block > kSignalFrames) at = 0;
    }

private:
    std::vector<float> levels;
    std::vector<float> out;
    int block;
    float memory = 0.0f;
    int at = 0;
};

// The converter's time over the floor's for the same frames, measured in short alternating
// batches and summarised by the median: other programs on the machine slow both sides of a pair
// alike, and a batch that was interrupted is an outlier the median ignores.
double pairedRatio(ConverterPlayer& converter, FloorPlayer& floor, int block) {
    using Clock = std::chrono::steady_clock;
    const int calls = std::max(1, kBatchFrames / block);
    auto timed = [calls](auto& player) {
        const auto start = Clock::now();
        for (int i = 0; i < calls; ++i)
            player.next();
        return std::chrono::duration<double>(Clock::now() - start).count();
    };
    std::vector<double> ratios;
    for (int pair = 0; pair < kRatioPairs; ++pair) {
        // Alternate which side goes first, so neither always runs on a warmer machine.
        const double first = pair % 2 ? timed(floor) : timed(converter);
        const double second = pair % 2 ? timed(converter) : timed(floor);
        ratios.push_back(pair % 2 ? second / first : first / second);
    }
    std::nth_element(ratios.begin(), ratios.begin() + kRatioPairs / 2, ratios.end());
    return ratios[kRatioPairs / 2];
}

void converterBench(benchmark::State& state, BenchSignal kind, int rateIndex, int block) {
    ConverterPlayer converter(kind, rateIndex, block);
    for (auto _ : state) // NOLINT(clang-analyzer-deadcode.DeadStores)
        converter.next();
    state.SetItemsProcessed(state.iterations() * block);
    FloorPlayer floor(block);
    state.counters[FloorRatioReporter::kRatioCounter] = pairedRatio(converter, floor, block);
}

void floorBench(benchmark::State& state, int block) {
    FloorPlayer floor(block);
    for (auto _ : state) // NOLINT(clang-analyzer-deadcode.DeadStores)
        floor.next();
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
        for (int rateIndex = 0; rateIndex < deltamod::kNumRates; ++rateIndex)
            for (int block : kBlockSizes) {
                const bool namedRate = rateIndex == deltamod::kDefaultRateIndex || rateIndex == 0 ||
                                       rateIndex == deltamod::kMaxRateIndex;
                if (!namedRate && FloorRatioReporter::goalFor(block) == 0.0) continue;
                benchmark::RegisterBenchmark(converterName(kind, rateIndex, block).c_str(),
                                             converterBench, kind, rateIndex, block);
            }
    // The smoother decaying into subnormal floats after every burst, and subnormal input: neither
    // may stall.
    for (BenchSignal kind : {BenchSignal::BurstThenSilence, BenchSignal::Subnormal})
        for (int block : kBlockSizes)
            benchmark::RegisterBenchmark(
                converterName(kind, deltamod::kDefaultRateIndex, block).c_str(), converterBench,
                kind, deltamod::kDefaultRateIndex, block);
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
