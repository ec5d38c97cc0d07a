#include "CompressorEngine.h"
#include "EngineSettings.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <random>
#include <string>
#include <vector>

namespace
{
struct Signal
{
    std::vector<double> left;
    std::vector<double> right;
};

/** Noise and tones whose level jumps by 30 dB every 2000 frames: the detector attacks,
    releases and crosses the knee over and over. */
Signal testSignal (int frames, double rate, unsigned seed)
{
    std::mt19937 rng (seed);
    std::normal_distribution<double> noise (0.0, 1.0);
    Signal s { std::vector<double> (static_cast<size_t> (frames)), std::vector<double> (static_cast<size_t> (frames)) };

    for (int i = 0; i < frames; ++i)
    {
        const double level = (i / 2000) % 2 == 0 ? 0.6 : 0.02;
        const double t = i / rate;
        s.left[static_cast<size_t> (i)] = level * (0.6 * std::sin (2.0 * M_PI * 220.0 * t) + 0.3 * noise (rng));
        s.right[static_cast<size_t> (i)] = level * (0.5 * std::sin (2.0 * M_PI * 3100.0 * t) + 0.4 * noise (rng));
    }

    return s;
}

void compressHard (CompressorEngine& engine, double rate, int precise)
{
    engine.setSampleRate (rate);
    engine.setQuality (precise);
    EngineSettings { -30.0, 6.0, 0.25, false, 4.0, 0.5, 40.0, 120.0, 70.0, 0.1f, 0.4, 1.7, 0.3, 0.8 }.applyTo (engine);
    engine.reset();
}

/** The per-frame path over a whole signal, in place; the gain of each frame out. */
std::vector<double> runPerFrame (CompressorEngine& engine, Signal& s)
{
    std::vector<double> gains (s.left.size());
    double peakDb = 0.0;
    double rmsDb = 0.0;

    for (size_t i = 0; i < s.left.size(); ++i)
    {
        if (engine.oversampling)
            engine.processOversampled (s.left[i], s.right[i], gains[i], peakDb, rmsDb);
        else
            engine.processPlain (s.left[i], s.right[i], gains[i], peakDb, rmsDb);
    }

    return gains;
}

/** The block path over a whole signal in blocks of the given size, in place. */
CompressorEngine::Readings runBlocks (CompressorEngine& engine, Signal& s, int blockSize)
{
    CompressorEngine::Readings readings {};
    const int frames = static_cast<int> (s.left.size());

    for (int start = 0; start < frames; start += blockSize)
        readings = engine.process (s.left.data() + start, s.right.data() + start, std::min (blockSize, frames - start));

    return readings;
}

struct Case
{
    Kernel kernel;
    int precise;
    double rate;
};

std::string caseName (const testing::TestParamInfo<Case>& info)
{
    const char* kernels[] = { "Sse2", "Avx2", "Avx512" };
    return std::string (kernels[static_cast<int> (info.param.kernel)]) + (info.param.precise == 1 ? "Precise" : "Eco")
         + std::to_string (static_cast<int> (info.param.rate));
}

std::vector<Case> allCases()
{
    std::vector<Case> cases;

    for (const Kernel kernel : { Kernel::sse2, Kernel::avx2, Kernel::avx512 })
        for (const int precise : { 0, 1 })
            for (const double rate : { 44100.0, 48000.0, 88200.0, 96000.0 })
                cases.push_back ({ kernel, precise, rate });

    return cases;
}

class BlockEngine : public testing::TestWithParam<Case>
{
protected:
    void SetUp() override
    {
        if (! kernelRuns (GetParam().kernel))
            GTEST_SKIP() << "this processor lacks the instruction set";
    }

    void configure (CompressorEngine& engine) const { compressHard (engine, GetParam().rate, GetParam().precise); }
};
} // namespace

INSTANTIATE_TEST_SUITE_P (KernelsQualitiesRates, BlockEngine, testing::ValuesIn (allCases()), caseName);

namespace
{
/** The cases at host rates whose audio is not oversampled. */
class PlainBlockEngine : public BlockEngine
{
};

std::vector<Case> plainCases()
{
    std::vector<Case> cases;

    for (const auto& c : allCases())
        if (! CompressorEngine::usesOversampling (c.rate))
            cases.push_back (c);

    return cases;
}
} // namespace

INSTANTIATE_TEST_SUITE_P (KernelsQualitiesRates, PlainBlockEngine, testing::ValuesIn (plainCases()), caseName);

TEST_P (BlockEngine, AgreesWithThePerFramePathWithin1e9OfFullScale)
{
    CompressorEngine reference;
    CompressorEngine engine (GetParam().kernel);
    configure (reference);
    configure (engine);
    auto expected = testSignal (12000, GetParam().rate, 1);
    auto actual = expected;

    const auto gains = runPerFrame (reference, expected);
    const auto readings = runBlocks (engine, actual, 512);

    double worst = 0.0;
    for (size_t i = 0; i < expected.left.size(); ++i)
        worst = std::max ({ worst, std::abs (actual.left[i] - expected.left[i]), std::abs (actual.right[i] - expected.right[i]) });

    EXPECT_LE (worst, 1e-9);
    EXPECT_NEAR (readings.gain, gains.back(), 1e-9);
    EXPECT_NEAR (readings.peakDb, reference.detector.peakGainDb, 1e-7);
    EXPECT_NEAR (readings.rmsDb, reference.detector.rmsGainDb, 1e-7);
    EXPECT_LT (readings.peakDb, -3.0) << "the signal must compress";
}

TEST_P (BlockEngine, OutputDoesNotDependOnTheBlockSize)
{
    Signal whole;

    for (const int blockSize : { 8192, 1, 13, 512, 127, 129 })
    {
        SCOPED_TRACE (blockSize);
        CompressorEngine engine (GetParam().kernel);
        configure (engine);
        auto s = testSignal (9000, GetParam().rate, 2);
        runBlocks (engine, s, blockSize);

        if (whole.left.empty())
        {
            whole = s;
            continue;
        }

        for (size_t i = 0; i < s.left.size(); ++i)
        {
            ASSERT_EQ (s.left[i], whole.left[i]) << "frame " << i;
            ASSERT_EQ (s.right[i], whole.right[i]) << "frame " << i;
        }
    }
}

TEST_P (BlockEngine, BypassIsTheInputDelayedAndSilenceStaysSilent)
{
    CompressorEngine engine (GetParam().kernel);
    configure (engine);
    engine.bypassOn = true;
    engine.deltaOn = true;
    const auto input = testSignal (3000, GetParam().rate, 3);
    auto s = input;
    runBlocks (engine, s, 333);
    const auto latency = static_cast<size_t> (CompressorEngine::latencyForRate (GetParam().rate));

    for (size_t i = 0; i < s.left.size(); ++i)
    {
        ASSERT_EQ (s.left[i], i < latency ? 0.0 : input.left[i - latency]) << "frame " << i;
        ASSERT_EQ (s.right[i], i < latency ? 0.0 : input.right[i - latency]) << "frame " << i;
    }

    engine.bypassOn = false;
    engine.deltaOn = false;
    engine.reset();
    Signal silence { std::vector<double> (4000, 0.0), std::vector<double> (4000, 0.0) };
    runBlocks (engine, silence, 500);

    for (size_t i = 0; i < silence.left.size(); ++i)
    {
        ASSERT_EQ (silence.left[i], 0.0) << "frame " << i;
        ASSERT_EQ (silence.right[i], 0.0) << "frame " << i;
    }
}

// Oversampled, the delta passes the half-band filters; at the host rate the identity is
// exact frame by frame.
TEST_P (PlainBlockEngine, DeltaIsGainMinusOneTimesTheDelayedInput)
{
    CompressorEngine engine (GetParam().kernel);
    configure (engine);
    engine.deltaOn = true;
    const auto input = testSignal (3000, GetParam().rate, 4);
    auto s = input;
    const size_t latency = CompressorEngine::plainLatency;

    for (size_t i = 0; i < s.left.size(); ++i)
    {
        const double g = engine.process (&s.left[i], &s.right[i], 1).gain;

        if (i >= latency)
        {
            ASSERT_EQ (s.left[i], g * input.left[i - latency] - input.left[i - latency]) << "frame " << i;
            ASSERT_EQ (s.right[i], g * input.right[i - latency] - input.right[i - latency]) << "frame " << i;
        }
    }
}

TEST (BlockEngine, FloatBlocksAreTheDoubleBlocksNarrowed)
{
    CompressorEngine wide;
    CompressorEngine narrow;
    compressHard (wide, 44100.0, 0);
    compressHard (narrow, 44100.0, 0);
    auto s = testSignal (1000, 44100.0, 5);
    std::vector<float> left (s.left.begin(), s.left.end());
    std::vector<float> right (s.right.begin(), s.right.end());

    for (size_t i = 0; i < left.size(); ++i)
    {
        s.left[i] = left[i];
        s.right[i] = right[i];
    }

    runBlocks (wide, s, 300);
    narrow.process (left.data(), right.data(), static_cast<int> (left.size()));

    for (size_t i = 0; i < left.size(); ++i)
    {
        ASSERT_EQ (left[i], static_cast<float> (s.left[i])) << "frame " << i;
        ASSERT_EQ (right[i], static_cast<float> (s.right[i])) << "frame " << i;
    }
}

TEST_P (BlockEngine, ChangesBetweenBlocksMatchThePerFramePath)
{
    // Every key slope, both qualities and a moved curve, changed between blocks of 700
    // frames in both engines at the same frame.
    CompressorEngine reference;
    CompressorEngine engine (GetParam().kernel);
    configure (reference);
    configure (engine);
    const auto expected = testSignal (700 * 8, GetParam().rate, 6);
    const float slopes[] = { 0.0f, 0.1f, 0.2f, 0.3f };

    for (int block = 0; block < 8; ++block)
    {
        for (CompressorEngine* e : { &reference, &engine })
        {
            e->setKeySlope (slopes[block % 4]);
            e->setQuality (block / 4 == GetParam().precise ? 0 : 1);
            e->thresholdDb = -20.0 - 3.0 * block;
            e->updateCurve();
        }

        Signal expectedBlock { { expected.left.begin() + 700 * block, expected.left.begin() + 700 * (block + 1) },
                               { expected.right.begin() + 700 * block, expected.right.begin() + 700 * (block + 1) } };
        Signal actualBlock = expectedBlock;
        runPerFrame (reference, expectedBlock);
        engine.process (actualBlock.left.data(), actualBlock.right.data(), 700);

        for (size_t i = 0; i < 700; ++i)
        {
            ASSERT_NEAR (actualBlock.left[i], expectedBlock.left[i], 1e-9) << "block " << block << " frame " << i;
            ASSERT_NEAR (actualBlock.right[i], expectedBlock.right[i], 1e-9) << "block " << block << " frame " << i;
        }
    }
}

TEST_P (BlockEngine, NonFiniteInputIsSilenceAndResetRestoresAFreshEngine)
{
    CompressorEngine engine (GetParam().kernel);
    CompressorEngine fresh (GetParam().kernel);
    configure (engine);
    configure (fresh);

    // A history full of signal, then a reset: the engine must sound like a new one.
    auto warmUp = testSignal (3000, GetParam().rate, 7);
    runBlocks (engine, warmUp, 512);
    engine.reset();

    auto input = testSignal (3000, GetParam().rate, 8);
    auto cleaned = input;
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();

    for (size_t i = 1000; i < 1040; ++i)
    {
        input.left[i] = i % 2 == 0 ? nan : inf;
        input.right[i] = -inf;
        cleaned.left[i] = 0.0;
        cleaned.right[i] = 0.0;
    }

    runBlocks (engine, input, 300);
    runBlocks (fresh, cleaned, 300);

    for (size_t i = 0; i < input.left.size(); ++i)
    {
        ASSERT_EQ (input.left[i], cleaned.left[i]) << "frame " << i;
        ASSERT_EQ (input.right[i], cleaned.right[i]) << "frame " << i;
    }
}
