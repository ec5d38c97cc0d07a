#include "CompressorEngine.h"
#include "EngineSettings.h"
#include "GainDetector.h"
#include "LoopBench.h"

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
    engine.setSampleRate (rate);
    engine.setQuality (precise);
    EngineSettings { -24.0, 6.0, 0.4, false, 6.0, 10.0, 100.0, 200.0, 80.0, 0.2f, 0.3, 1.5, 0.0, 1.0 }.applyTo (engine);
    engine.reset();
}

/** The path a benchmark runs: the per-frame reference, or the block engine on one
    instruction set. */
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
    const auto input = makeInput (rate);
    std::vector<double> left (static_cast<size_t> (blockSize));
    std::vector<double> right (static_cast<size_t> (blockSize));
    const bool oversampled = CompressorEngine::usesOversampling (rate);
    double gain = 1.0;
    double peakDb = 0.0;
    double rmsDb = 0.0;
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
            {
                benchmark::DoNotOptimize (engine.process (left.data(), right.data(), blockSize));
            }
            else
            {
                for (int i = 0; i < blockSize; ++i)
                {
                    if (oversampled)
                        engine.processOversampled (left[static_cast<size_t> (i)], right[static_cast<size_t> (i)], gain, peakDb, rmsDb);
                    else
                        engine.processPlain (left[static_cast<size_t> (i)], right[static_cast<size_t> (i)], gain, peakDb, rmsDb);
                }
            }

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

/** A detector set up as configure() sets the engine's, fed a key that keeps it reducing. */
void configureDetector (GainDetector& d, double rate)
{
    d.setRate (rate);
    d.lowerKneeDb = -30.0;
    d.kneeDb = 6.0;
    d.crestDb = 6.0;
    d.peakSlopeMinusOne = -1.0;
    d.rmsSlopeMinusOne = -0.6;
    d.setAttack (10.0);
    d.setReleasePeak (100.0);
    d.setReleaseRms (200.0);
}

/** One step of the gain computer: its feedback loop (log, curve, envelopes, exp) is
    serial, so this is the latency every evaluation adds to a frame. */
void DetectorEvaluation (benchmark::State& state)
{
    GainDetector d;
    configureDetector (d, 88200.0);
    const auto input = makeInput (176400.0);
    int i = 0;

    for (auto _ : state)
    {
        const double key = input[static_cast<size_t> (i)];
        benchmark::DoNotOptimize (d.evaluate (key, 0.9 * key, 1e-9));
        i = (i + 1) & (2 * blockFrames - 1);
    }
}

/** One detector frame: interpolation, two or four evaluations, decimation. */
void DetectorFrame (benchmark::State& state)
{
    const bool precise = state.range (0) == 1;
    GainDetector d;
    configureDetector (d, precise ? 176400.0 : 88200.0);
    const auto input = makeInput (88200.0);
    int i = 0;

    for (auto _ : state)
    {
        const double key = input[static_cast<size_t> (i)];
        benchmark::DoNotOptimize (precise ? d.detectPrecise (key, 0.9 * key, 1e-9) : d.detectEco (key, 0.9 * key, 1e-9));
        i = (i + 1) & (2 * blockFrames - 1);
    }
}

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
    GainDetector detector;
    configureDetector (detector, 88200.0);
    const auto curve = detector.loadCurve();
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
BENCHMARK (DetectorEvaluation);
BENCHMARK (FeedbackLoopEvaluation)->Arg (0)->Arg (1);
BENCHMARK (FmaLatency);
BENCHMARK (DetectorFrame)->Arg (0)->Arg (1);

BENCHMARK_MAIN();
