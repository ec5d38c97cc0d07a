#include "CompressorEngine.h"
#include "LoopBench.h"
#include "reference/ReferenceEngine.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <random>
#include <vector>

namespace
{
constexpr int blockFrames = 4096;

/** Music-like input: two sines and some noise around -6 dBFS, different per channel. */
std::vector<double> makeInput (double rate)
{
    std::mt19937 rng (1);
    std::normal_distribution<double> noise (0.0, 0.05);
    std::vector<double> frames (2 * blockFrames);

    for (int i = 0; i < blockFrames; ++i)
    {
        const double t = i / rate;
        frames[2 * static_cast<size_t> (i)] = 0.4 * std::sin (2.0 * M_PI * 110.0 * t) + 0.1 * std::sin (2.0 * M_PI * 3300.0 * t) + noise (rng);
        frames[2 * static_cast<size_t> (i) + 1] = 0.35 * std::sin (2.0 * M_PI * 165.0 * t) + 0.1 * std::sin (2.0 * M_PI * 2100.0 * t) + noise (rng);
    }

    return frames;
}

/** An engine compressing a few dB, as a mix bus would. */
void configure (CompressorEngine& engine, double rate, int precise)
{
    EngineSettings s;
    s.thresholdDb = -24.0;
    s.kneeDb = 6.0;
    s.ratioSlope = 0.4;
    s.crestDb = 6.0;
    s.attackMs = 10.0;
    s.releasePeakMs = 100.0;
    s.releaseRmsMs = 200.0;
    s.keyHpHz = 80.0;
    s.keySlope = KeyFilter::slope6Db;
    s.stereoDiff = 0.3;
    s.makeupGain = 1.5;
    s.dryGain = 0.0;
    s.outputGain = 1.0;
    s.precise = precise == 1;
    engine.setSampleRate (rate);
    engine.setSettings (s);
    engine.reset();
}

/** The path a benchmark runs: the tests' plain per-frame reference, or the block engine
    on one instruction set. */
enum Path
{
    perFrame = 0,
    blockSse2 = 1,
    blockAvx2 = 2,
    blockAvx512 = 3
};

/** Runs the engine over a loop of input in host blocks: the first argument picks the
    path (Path), the second the block size. Both paths see the same input. */
void engineFrames (benchmark::State& state, double rate, int precise)
{
    const auto path = static_cast<int> (state.range (0));
    const auto blockSize = static_cast<int> (state.range (1));
    const Kernel kernels[] = { Kernel::sse2, Kernel::sse2, Kernel::avx2, Kernel::avx512 };
    const Kernel kernel = kernels[path];

    if (! kernelRuns (kernel))
    {
        state.SkipWithError ("kernel not available here");
        return;
    }

    CompressorEngine engine (kernel);
    configure (engine, rate, precise);
    ReferenceEngine reference;
    const auto input = makeInput (rate);
    std::vector<double> left (static_cast<size_t> (blockSize));
    std::vector<double> right (static_cast<size_t> (blockSize));
    int position = 0;

    for (auto _ : state)
    {
        for (int start = 0; start + blockSize <= blockFrames; start += blockSize)
        {
            for (int i = 0; i < blockSize; ++i)
            {
                left[static_cast<size_t> (i)] = input[2 * static_cast<size_t> (position + i)];
                right[static_cast<size_t> (i)] = input[2 * static_cast<size_t> (position + i) + 1];
            }

            position = (position + blockSize) % (blockFrames - blockSize);

            if (path != perFrame)
                benchmark::DoNotOptimize (engine.process (left.data(), right.data(), blockSize));
            else
                benchmark::DoNotOptimize (reference.process (engine.getSettings(), rate, left.data(), right.data(), blockSize));

            benchmark::DoNotOptimize (left.data());
            benchmark::ClobberMemory();
        }
    }

    const int framesPerIteration = blockFrames / blockSize * blockSize;
    state.SetItemsProcessed (state.iterations() * framesPerIteration);
    // Seconds per host frame, printed with an SI prefix (n = nanoseconds).
    state.counters["per_frame"] = benchmark::Counter (static_cast<double> (framesPerIteration),
                                                      benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
    // The share of one core this costs at 44.1 kHz, in percent.
    state.counters["core_at_44k1_pct"] = benchmark::Counter (static_cast<double> (framesPerIteration) / (44100.0 * 100.0),
                                                             benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

void EcoAt44100 (benchmark::State& state) { engineFrames (state, 44100.0, 0); }
void PreciseAt44100 (benchmark::State& state) { engineFrames (state, 44100.0, 1); }
void EcoAt96000 (benchmark::State& state) { engineFrames (state, 96000.0, 0); }
void PreciseAt96000 (benchmark::State& state) { engineFrames (state, 96000.0, 1); }

/** The block engine's feedback loop alone, in ns per evaluation: argument 0 on the
    music-like input (a noisy key, crossing the knee often), 1 on a slowly moving key. */
void FeedbackLoopEvaluation (benchmark::State& state)
{
    if (! kernelRuns (Kernel::avx512))
    {
        state.SkipWithError ("no AVX-512 here");
        return;
    }

    constexpr int frames = 256;
    CompressorEngine engine;
    configure (engine, 44100.0, 0);
    const auto curve = engine.getParams().curve;
    const auto input = makeInput (176400.0);
    std::vector<double> sensedLog (input.size());
    std::vector<double> noise (frames, 3e-9);
    std::vector<double> gainsDb (2 * frames);
    FeedbackLoop loop;
    size_t offset = 0;

    const bool steady = state.range (0) == 1;

    for (size_t i = 0; i < input.size(); ++i)
    {
        const double key = steady ? 0.5 * (1.0 + 0.1 * std::sin (0.01 * static_cast<double> (i))) : input[i];
        sensedLog[i] = std::log (std::abs (0.5 * key) + 1e-12);
    }

    for (auto _ : state)
    {
        benchmark::DoNotOptimize (runFeedbackLoopAvx512 (loop, curve, sensedLog.data() + offset, noise.data(), frames, gainsDb.data()));
        offset = (offset + 2 * frames) % (input.size() - 2 * frames);
    }

    state.counters["per_evaluation"] = benchmark::Counter (2.0 * frames, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

/** A chain of dependent fused multiply-adds: 4 cycles each, so the loop's cycles per
    evaluation are 4 x per_evaluation / per_fma. */
void FmaLatency (benchmark::State& state)
{
    if (! kernelRuns (Kernel::avx512))
    {
        state.SkipWithError ("no AVX-512 here");
        return;
    }

    constexpr int length = 4096;
    double x = 0.5;

    for (auto _ : state)
        benchmark::DoNotOptimize (x = fmaChainAvx512 (x, 0.999, 1e-3, length));

    state.counters["per_fma"] = benchmark::Counter (length, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}
} // namespace

/** Every path at 512-frame blocks, and the block engine's widest path at 32 as well. */
void paths (benchmark::internal::Benchmark* b)
{
    b->ArgNames ({ "path", "block" });

    for (const int path : { perFrame, blockSse2, blockAvx2, blockAvx512 })
        b->Args ({ path, 512 });

    b->Args ({ blockAvx512, 32 });
    b->Args ({ blockAvx2, 32 });
}

BENCHMARK (EcoAt44100)->Apply (paths);
BENCHMARK (PreciseAt44100)->Apply (paths);
BENCHMARK (EcoAt96000)->Apply (paths);
BENCHMARK (PreciseAt96000)->Apply (paths);
BENCHMARK (FeedbackLoopEvaluation)->Arg (0)->Arg (1);
BENCHMARK (FmaLatency);

BENCHMARK_MAIN();
