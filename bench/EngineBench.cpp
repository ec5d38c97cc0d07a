#include "CompressorEngine.h"
#include "FilterTables.h"
#include "GainDetector.h"
#include "StereoFir.h"

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
    engine.thresholdDb = -24.0;
    engine.kneeDb = 6.0;
    engine.ratioSlope = 0.4;
    engine.peakFollowsRatio = false;
    engine.updateCurve();
    engine.detector.crestDb = 6.0;
    engine.setAttack (10.0);
    engine.setReleasePeak (100.0);
    engine.detector.setReleaseRms (200.0);
    engine.keyHpHz = 80.0;
    engine.setKeySlope (0.2f);
    engine.stereoDiff = 0.3;
    engine.makeupGain = 1.5;
    engine.dryGain = 0.0;
    engine.outputGain = 1.0;
    engine.reset();
}

/** Runs the engine on a loop of input; the benchmark's argument picks the code: 1 the
    AVX kernels and fused maths where the processor has them, 0 the SSE2 kernels and
    the library's maths that any x86-64 runs. */
void engineFrames (benchmark::State& state, double rate, int precise)
{
    const bool wide = StereoFir::avxKernels;
    const bool fused = CompressorEngine::fusedMaths;
    StereoFir::avxKernels = wide && state.range (0) == 1;
    CompressorEngine::fusedMaths = fused && state.range (0) == 1;
    CompressorEngine engine;
    configure (engine, rate, precise);
    const auto input = makeInput (rate);
    const bool oversampled = CompressorEngine::usesOversampling (rate);
    double gain = 1.0;
    double peakDb = 0.0;
    double rmsDb = 0.0;

    for (auto _ : state)
    {
        for (int i = 0; i < blockFrames; ++i)
        {
            double left = input[2 * static_cast<size_t> (i)];
            double right = input[2 * static_cast<size_t> (i) + 1];

            if (oversampled)
                engine.processOversampled (left, right, gain, peakDb, rmsDb);
            else
                engine.processPlain (left, right, gain, peakDb, rmsDb);

            benchmark::DoNotOptimize (left);
            benchmark::DoNotOptimize (right);
        }
    }

    StereoFir::avxKernels = wide;
    CompressorEngine::fusedMaths = fused;
    state.SetItemsProcessed (state.iterations() * blockFrames);
    // Seconds per host frame, printed with an SI prefix (n = nanoseconds).
    state.counters["per_frame"] = benchmark::Counter (static_cast<double> (blockFrames),
                                                      benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

void EcoAt44100 (benchmark::State& state) { engineFrames (state, 44100.0, 0); }
void PreciseAt44100 (benchmark::State& state) { engineFrames (state, 44100.0, 1); }
void EcoAt96000 (benchmark::State& state) { engineFrames (state, 96000.0, 0); }
void PreciseAt96000 (benchmark::State& state) { engineFrames (state, 96000.0, 1); }

/** The half-band evaluation against the plain loop it replaces. */
void HalfBandEvaluation (benchmark::State& state)
{
    const bool wide = StereoFir::avxKernels;
    StereoFir::avxKernels = wide && state.range (0) == 1;
    const auto taps = FilterTables::designHalfBand();
    StereoFir fir (FilterTables::halfBandLength, taps.data(), 0.0);
    double x = 0.25;

    for (auto _ : state)
    {
        double a = x;
        double b = -x;
        fir.processHalfBand (a, b);
        benchmark::DoNotOptimize (a);
        benchmark::DoNotOptimize (b);
        x = -x;
    }

    StereoFir::avxKernels = wide;
}

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

void HalfBandPlainLoop (benchmark::State& state)
{
    const auto taps = FilterTables::designHalfBand();
    const int n = FilterTables::halfBandLength;
    std::vector<double> left (static_cast<size_t> (n)), right (static_cast<size_t> (n));
    int newest = 0;
    double x = 0.25;

    for (auto _ : state)
    {
        newest = newest == 0 ? n - 1 : newest - 1;
        left[static_cast<size_t> (newest)] = x;
        right[static_cast<size_t> (newest)] = -x;
        double a = 0.0;
        double b = 0.0;

        for (int k = 0; k < n; ++k)
        {
            const auto slot = static_cast<size_t> ((newest + k) % n);
            a += taps[static_cast<size_t> (k)] * left[slot];
            b += taps[static_cast<size_t> (k)] * right[slot];
        }

        benchmark::DoNotOptimize (a);
        benchmark::DoNotOptimize (b);
        x = -x;
    }
}
} // namespace

BENCHMARK (EcoAt44100)->Arg (1)->Arg (0);
BENCHMARK (PreciseAt44100)->Arg (1)->Arg (0);
BENCHMARK (EcoAt96000)->Arg (1)->Arg (0);
BENCHMARK (PreciseAt96000)->Arg (1)->Arg (0);
BENCHMARK (HalfBandEvaluation)->Arg (1)->Arg (0);
BENCHMARK (HalfBandPlainLoop);
BENCHMARK (DetectorEvaluation);
BENCHMARK (DetectorFrame)->Arg (0)->Arg (1);

BENCHMARK_MAIN();
