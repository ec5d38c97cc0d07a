#include "CompressorEngine.h"
#include "FilterTables.h"
#include "FrequencyResponse.h"
#include "TestSignals.h"
#include "reference/ReferenceEngine.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <memory>
#include <string>
#include <tuple>

using TestSignals::Signal;

namespace
{
/** Who processes: the per-frame reference, or the block engine on one instruction set. */
enum class Path
{
    reference,
    sse2,
    avx2,
    avx512
};

Kernel kernelOf (Path path)
{
    return path == Path::avx512 ? Kernel::avx512 : path == Path::avx2 ? Kernel::avx2 : Kernel::sse2;
}

/** Settings that compress hard, so an identity that holds here holds anywhere; the peak
    path limits in Eco and follows the ratio in Precise. */
EngineSettings compressHard (bool precise)
{
    EngineSettings s;
    s.thresholdDb = -30.0;
    s.kneeDb = 6.0;
    s.ratioSlope = 0.25;
    s.peakFollowsRatio = precise;
    s.crestDb = 4.0;
    s.attackMs = 0.5;
    s.releasePeakMs = 40.0;
    s.releaseRmsMs = 120.0;
    s.keyHpHz = 70.0;
    s.keySlope = KeyFilter::slope3Db;
    s.stereoDiff = 0.4;
    s.makeupGain = 1.7;
    s.dryGain = 0.3;
    s.outputGain = 0.8;
    s.precise = precise;
    return s;
}

/** An engine that holds the settings, and processes through its block path or through
    the reference with those settings. */
class Subject
{
public:
    Subject (Path p, double rate) : path (p), hostRate (rate), engine (kernelOf (p)) { engine.setSampleRate (rate); }

    CompressorEngine::Readings process (double* left, double* right, int n)
    {
        return path == Path::reference ? reference.process (engine.getSettings(), hostRate, left, right, n)
                                       : engine.process (left, right, n);
    }

    /** The whole signal in place, in blocks of the given size. */
    CompressorEngine::Readings run (Signal& s, int blockSize = 512)
    {
        CompressorEngine::Readings readings {};
        const int frames = static_cast<int> (s.left.size());

        for (int start = 0; start < frames; start += blockSize)
            readings = process (s.left.data() + start, s.right.data() + start, std::min (blockSize, frames - start));

        return readings;
    }

    /** The gain of every frame from `first` on, processing those frame by frame and
        the ones before in blocks. */
    std::vector<double> gains (Signal& s, size_t first = 0)
    {
        std::vector<double> g (s.left.size());

        for (size_t i = 0; i < first; i += 512)
            process (&s.left[i], &s.right[i], static_cast<int> (std::min<size_t> (512, first - i)));

        for (size_t i = first; i < g.size(); ++i)
            g[i] = process (&s.left[i], &s.right[i], 1).gain;

        return g;
    }

    void reset()
    {
        engine.reset();
        reference.reset();
    }

    Path path;
    double hostRate;
    CompressorEngine engine;
    ReferenceEngine reference;
};

using Case = std::tuple<Path, double>;

std::string caseName (const testing::TestParamInfo<Case>& info)
{
    const char* paths[] = { "Reference", "Sse2", "Avx2", "Avx512" };
    return paths[static_cast<int> (std::get<0> (info.param))] + std::to_string (static_cast<int> (std::get<1> (info.param)));
}

class EnginePaths : public testing::TestWithParam<Case>
{
protected:
    void SetUp() override
    {
        if (path() != Path::reference && ! kernelRuns (kernelOf (path())))
            GTEST_SKIP() << "this processor lacks the instruction set";
    }

    Path path() const { return std::get<0> (GetParam()); }
    double rate() const { return std::get<1> (GetParam()); }
    size_t latency() const { return static_cast<size_t> (CompressorEngine::latencyForRate (rate())); }
    std::unique_ptr<Subject> subject (const EngineSettings& s) const
    {
        auto made = std::make_unique<Subject> (path(), rate());
        made->engine.setSettings (s);
        return made;
    }
};

/** The block engine's paths only: they are compared with the reference. */
class BlockPaths : public EnginePaths
{
};

double dbOf (double gain) { return 20.0 * std::log10 (gain); }

void expectEqualSignals (const Signal& actual, const Signal& expected)
{
    for (size_t i = 0; i < expected.left.size(); ++i)
    {
        ASSERT_EQ (actual.left[i], expected.left[i]) << "frame " << i;
        ASSERT_EQ (actual.right[i], expected.right[i]) << "frame " << i;
    }
}

double worstDifference (const Signal& a, const Signal& b)
{
    double worst = 0.0;

    for (size_t i = 0; i < a.left.size(); ++i)
        worst = std::max ({ worst, std::abs (a.left[i] - b.left[i]), std::abs (a.right[i] - b.right[i]) });

    return worst;
}

const auto rates = testing::Values (44100.0, 48000.0, 88200.0, 96000.0);
} // namespace

INSTANTIATE_TEST_SUITE_P (PathsRates, EnginePaths,
                          testing::Combine (testing::Values (Path::reference, Path::sse2, Path::avx2, Path::avx512), rates),
                          caseName);
INSTANTIATE_TEST_SUITE_P (PathsRates, BlockPaths,
                          testing::Combine (testing::Values (Path::sse2, Path::avx2, Path::avx512), rates), caseName);

TEST_P (EnginePaths, BypassIsTheInputDelayedByTheLatencyAndSilenceStaysSilent)
{
    auto settings = compressHard (false);
    settings.bypass = true;
    settings.delta = true;
    auto s = subject (settings);
    const auto input = TestSignals::levelJumps (3000, rate(), 3);
    auto output = input;
    s->run (output, 333);

    for (size_t i = 0; i < output.left.size(); ++i)
    {
        ASSERT_EQ (output.left[i], i < latency() ? 0.0 : input.left[i - latency()]) << "frame " << i;
        ASSERT_EQ (output.right[i], i < latency() ? 0.0 : input.right[i - latency()]) << "frame " << i;
    }

    s->engine.setBypass (false);
    s->engine.setDelta (false);
    s->reset();
    Signal silence { std::vector<double> (4000, 0.0), std::vector<double> (4000, 0.0) };
    s->run (silence, 500);
    expectEqualSignals (silence, { std::vector<double> (4000, 0.0), std::vector<double> (4000, 0.0) });
}

TEST_P (EnginePaths, DeltaIsGainMinusOneTimesTheDelayedInput)
{
    auto settings = compressHard (false);
    settings.delta = true;

    if (! CompressorEngine::usesOversampling (rate()))
    {
        // At the host rate the identity holds frame by frame, with a moving gain.
        auto s = subject (settings);
        const auto input = TestSignals::levelJumps (3000, rate(), 4);
        auto output = input;
        const auto g = s->gains (output);

        for (size_t i = latency(); i < output.left.size(); ++i)
        {
            const double l = input.left[i - latency()];
            const double r = input.right[i - latency()];
            ASSERT_EQ (output.left[i], g[i] * l - l) << "frame " << i;
            ASSERT_EQ (output.right[i], g[i] * r - r) << "frame " << i;
        }

        return;
    }

    // Oversampled, the delta passes the half-band filters: check it once the gain is steady.
    settings.attackMs = 0.01;
    settings.releasePeakMs = 2000.0;
    auto s = subject (settings);
    const auto input = TestSignals::sine (static_cast<int> (rate()), rate(), 1000.0, 0.5);
    auto output = input;
    const double g = s->run (output).gain;
    EXPECT_LT (dbOf (g), -6.0);

    for (size_t i = input.left.size() - 2000; i < input.left.size(); ++i)
    {
        ASSERT_NEAR (output.left[i], (g - 1.0) * input.left[i - latency()], 1e-3) << "frame " << i;
        ASSERT_NEAR (output.right[i], (g - 1.0) * input.right[i - latency()], 1e-3) << "frame " << i;
    }
}

TEST_P (EnginePaths, WithoutReductionOutputIsMakeupPlusDryTimesOutGainTimesDelayedInput)
{
    EngineSettings settings;
    settings.makeupGain = 1.8;
    settings.dryGain = 0.3;
    settings.outputGain = 0.6;
    auto s = subject (settings);
    const auto input = TestSignals::noise (2000, 9, 0.008);
    auto output = input;
    s->run (output, 13);
    const double scale = (1.8 + 0.3) * 0.6;

    for (size_t i = 0; i < input.left.size(); ++i)
    {
        ASSERT_NEAR (output.left[i], i < latency() ? 0.0 : scale * input.left[i - latency()], 1e-9) << "frame " << i;
        ASSERT_NEAR (output.right[i], i < latency() ? 0.0 : scale * input.right[i - latency()], 1e-9) << "frame " << i;
    }
}

TEST_P (EnginePaths, UnityRatioNeverReducesEvenWithThePeakPathFollowingIt)
{
    EngineSettings settings;
    settings.thresholdDb = -60.0;
    settings.peakFollowsRatio = true;
    settings.outputGain = 1.0;
    auto s = subject (settings);
    auto input = TestSignals::sine (5000, rate(), 440.0, 1.0);
    // Only the noise offsets (far below -170 dB) move it.
    EXPECT_NEAR (s->run (input).gain, 1.0, 1e-9);
}

TEST_P (EnginePaths, NonFiniteInputIsSilenceAndResetRestoresAFreshEngine)
{
    auto s = subject (compressHard (false));
    auto fresh = subject (compressHard (false));

    // A history full of signal, then a reset: the engine must sound like a new one.
    auto warmUp = TestSignals::levelJumps (3000, rate(), 7);
    s->run (warmUp);
    s->reset();

    auto input = TestSignals::levelJumps (3000, rate(), 8);
    auto cleaned = input;
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();

    for (size_t i = 1000; i < 1040; ++i)
    {
        input.left[i] = i % 2 == 0 ? nan : inf;
        input.right[i] = -inf;
        cleaned.left[i] = cleaned.right[i] = 0.0;
    }

    input.left[1600] = nan;
    cleaned.left[1600] = 0.0;
    const auto readings = s->run (input, 300);
    const auto expected = fresh->run (cleaned, 300);
    expectEqualSignals (input, cleaned);
    EXPECT_EQ (readings.gain, expected.gain);
}

TEST_P (EnginePaths, SampleRateUpdateKeepsTheState)
{
    auto s = subject (compressHard (false));
    auto untouched = subject (compressHard (false));
    auto first = TestSignals::levelJumps (600, rate(), 19);
    auto firstAgain = first;
    s->run (first);
    untouched->run (firstAgain);

    s->engine.setSampleRate (rate());
    s->engine.setReleaseRmsMs (compressHard (false).releaseRmsMs);
    auto second = TestSignals::levelJumps (600, rate(), 20);
    auto secondAgain = second;
    s->run (second);
    untouched->run (secondAgain);
    expectEqualSignals (second, secondAgain);
}

TEST_P (EnginePaths, SideOnlySignalIsIgnoredByALinkedKey)
{
    EngineSettings settings;
    settings.thresholdDb = -30.0;
    settings.ratioSlope = 0.0;
    settings.keySlope = KeyFilter::slope6Db;
    settings.outputGain = 1.0;
    auto s = subject (settings);
    auto input = TestSignals::sine (static_cast<int> (rate() / 4), rate(), 1000.0, 0.5);
    for (size_t i = 0; i < input.left.size(); ++i)
        input.right[i] = -input.left[i];

    auto linked = input;
    EXPECT_NEAR (s->run (linked).gain, 1.0, 1e-6);

    s->reset();
    s->engine.setStereoDiff (1.0);
    auto perChannel = input;
    EXPECT_LT (dbOf (s->run (perChannel).gain), -10.0);
}

namespace
{
/** Gain of the key path at hz before the detector's sensing: the key high-pass (slope
    "6 dB/oct") and the detector's interpolator. */
double keyPathGain (const CompressorEngine& engine, double hz, bool precise)
{
    const double r = engine.getParams().processRate;
    const double w = 2.0 * M_PI * engine.getSettings().keyHpHz;
    const std::complex<double> zInv = std::polar (1.0, -2.0 * M_PI * hz / r);
    const double highPass = std::abs (2.0 * r * (1.0 - zInv) / ((2.0 * r + w) - (2.0 * r - w) * zInv));

    const std::vector<double> lp32 (FilterTables::lowpass32.begin(), FilterTables::lowpass32.end());
    const std::vector<double> lp64 (FilterTables::lowpass64.begin(), FilterTables::lowpass64.end());
    // Zero-stuffing halves (quarters) the level and the doubled (quadrupled) input
    // restores it: what remains is the low-pass response at the interpolated rate.
    const double interpolator = precise ? std::abs (Spectrum::at (lp64, hz / (4.0 * r)))
                                        : std::abs (Spectrum::at (lp32, hz / (2.0 * r)));
    return highPass * interpolator;
}

double knee (double o, double k)
{
    if (o <= -k)
        return 0.0;
    if (o >= k)
        return o;
    return (o + k) * (o + k) / (4.0 * k);
}

/** Solves gainDb = -slope * knee(sensedDb(gainDb) - threshold), where the detector senses
    the key scaled by (1 + gain) / 2: its own output. */
double solveFeedback (double keyDb, double thresholdDb, double kneeDb, double reduction)
{
    double lo = -80.0;
    double hi = 0.0;

    for (int i = 0; i < 200; ++i)
    {
        const double mid = 0.5 * (lo + hi);
        const double sensedDb = keyDb + dbOf ((1.0 + std::pow (10.0, mid / 20.0)) * 0.5);
        const double residual = mid + reduction * knee (sensedDb - thresholdDb, kneeDb);
        (residual > 0.0 ? hi : lo) = mid;
    }

    return 0.5 * (lo + hi);
}

struct CurveCase
{
    const char* name;
    bool peakPath;       // peak path limiting, or RMS path at a ratio
    double thresholdDb;
    double kneeDb;
    double crestDb;
    double ratioSlope;
    double amplitude;
};
} // namespace

TEST_P (EnginePaths, SineSettlesWhereTheStaticCurveAndFeedbackPredict)
{
    const CurveCase cases[] = {
        { "peak limiting, hard knee", true, -20.0, 0.0, 4.0, 1.0, 0.5 },
        { "peak limiting, inside the knee", true, -10.0, 6.0, 0.0, 1.0, 0.5 },
        { "RMS at ratio 2", false, -30.0, 0.0, 12.0, 0.5, 0.5 },
        { "RMS at ratio 4 in a soft knee", false, -24.0, 10.0, 12.0, 0.25, 0.3 },
    };
    const double hz = 1000.0;
    // The mean of 20 log10 |sin| over a cycle: what the averaged level sees of a sine.
    const double sineLogMeanDb = 20.0 * std::log10 (0.5);

    for (const auto& c : cases)
    {
        for (const bool precise : { false, true })
        {
            SCOPED_TRACE (testing::Message() << c.name << (precise ? ", Precise" : ", Eco"));
            EngineSettings settings;
            settings.precise = precise;
            settings.thresholdDb = c.thresholdDb;
            settings.kneeDb = c.kneeDb;
            settings.ratioSlope = c.ratioSlope;
            settings.peakFollowsRatio = ! c.peakPath;
            settings.crestDb = c.crestDb;
            settings.attackMs = c.peakPath ? 0.01 : 50.0;
            settings.releasePeakMs = 200.0;
            settings.releaseRmsMs = 100.0;
            settings.keySlope = KeyFilter::slope6Db;
            auto s = subject (settings);

            // Peak: the envelope meets its target at each crest and releases a little in
            // between, so compare the deepest gain. RMS: compare the mean.
            auto input = TestSignals::sine (static_cast<int> (2.0 * rate()), rate(), hz, c.amplitude);
            const auto tail = static_cast<size_t> (0.05 * rate());
            const auto gains = s->gains (input, input.left.size() - tail);
            const double keyDb = dbOf (c.amplitude * keyPathGain (s->engine, hz, precise));

            double deepest = 0.0;
            double sum = 0.0;
            for (size_t i = gains.size() - tail; i < gains.size(); ++i)
            {
                deepest = std::min (deepest, dbOf (gains[i]));
                sum += dbOf (gains[i]);
            }

            if (c.peakPath)
                EXPECT_NEAR (deepest, solveFeedback (keyDb - c.crestDb, c.thresholdDb, c.kneeDb, 1.0), 0.02);
            else
                EXPECT_NEAR (sum / static_cast<double> (tail),
                             solveFeedback (keyDb + sineLogMeanDb, c.thresholdDb, c.kneeDb, 1.0 - c.ratioSlope), 0.05);
        }
    }
}

TEST_P (BlockPaths, AgreesWithTheReferenceWithin1e9OfFullScaleInBothQualities)
{
    for (const bool precise : { false, true })
    {
        SCOPED_TRACE (precise ? "Precise" : "Eco");
        auto engine = subject (compressHard (precise));
        Subject reference (Path::reference, rate());
        reference.engine.setSettings (compressHard (precise));
        auto expected = TestSignals::levelJumps (12000, rate(), 1);
        auto actual = expected;

        const auto readings = engine->run (actual, 511);
        const auto referenceReadings = reference.run (expected);

        EXPECT_LE (worstDifference (actual, expected), 1e-9);
        EXPECT_NEAR (readings.gain, referenceReadings.gain, 1e-9);
        EXPECT_NEAR (readings.peakDb, referenceReadings.peakDb, 1e-7);
        EXPECT_NEAR (readings.rmsDb, referenceReadings.rmsDb, 1e-7);
        EXPECT_LT (readings.peakDb, -3.0) << "the signal must compress";
    }
}

TEST_P (BlockPaths, ChangesBetweenBlocksMatchTheReference)
{
    // Every key slope, both qualities and a moved curve, changed between blocks of 700
    // frames at the same frame on both sides; the quality, like any setting the processor
    // sets, only when it changes.
    auto engine = subject (compressHard (false));
    Subject reference (Path::reference, rate());
    reference.engine.setSettings (compressHard (false));
    const auto signal = TestSignals::levelJumps (700 * 8, rate(), 6);

    for (int block = 0; block < 8; ++block)
    {
        for (Subject* s : { engine.get(), &reference })
        {
            s->engine.setKeySlope (block % 4);
            if (block == 4)
                s->engine.setPrecise (true);
            s->engine.setThresholdDb (-20.0 - 3.0 * block);
        }

        Signal expected { { signal.left.begin() + 700 * block, signal.left.begin() + 700 * (block + 1) },
                          { signal.right.begin() + 700 * block, signal.right.begin() + 700 * (block + 1) } };
        Signal actual = expected;
        reference.run (expected);
        engine->run (actual, 700);
        EXPECT_LE (worstDifference (actual, expected), 1e-9) << "block " << block;
    }
}

TEST_P (BlockPaths, OutputDoesNotDependOnTheBlockSize)
{
    for (const bool precise : { false, true })
    {
        Signal whole;

        for (const int blockSize : { 8192, 1, 13, 511, 127, 129 })
        {
            SCOPED_TRACE (testing::Message() << (precise ? "Precise" : "Eco") << ", blocks of " << blockSize);
            auto s = subject (compressHard (precise));
            auto signal = TestSignals::levelJumps (9000, rate(), 2);
            s->run (signal, blockSize);

            if (whole.left.empty())
                whole = signal;
            else
                expectEqualSignals (signal, whole);
        }
    }
}

TEST (CompressorEngine, FloatBlocksAreTheDoubleBlocksNarrowed)
{
    CompressorEngine wide;
    CompressorEngine narrow;

    for (CompressorEngine* e : { &wide, &narrow })
    {
        e->setSampleRate (44100.0);
        e->setSettings (compressHard (false));
    }

    auto s = TestSignals::levelJumps (1000, 44100.0, 5);
    std::vector<float> left (s.left.begin(), s.left.end());
    std::vector<float> right (s.right.begin(), s.right.end());
    std::copy (left.begin(), left.end(), s.left.begin());
    std::copy (right.begin(), right.end(), s.right.begin());

    wide.process (s.left.data(), s.right.data(), 1000);
    narrow.process (left.data(), right.data(), 1000);

    for (size_t i = 0; i < left.size(); ++i)
    {
        ASSERT_EQ (left[i], static_cast<float> (s.left[i])) << "frame " << i;
        ASSERT_EQ (right[i], static_cast<float> (s.right[i])) << "frame " << i;
    }
}

TEST (CompressorEngine, ChoosesItsPathProcessRateAndLatency)
{
    const struct { double hostRate, processRate; int latency; } cases[] = {
        { 44100.0, 88200.0, 184 }, { 48000.0, 96000.0, 184 }, { 80000.0, 160000.0, 184 },
        { 88200.0, 88200.0, 8 }, { 96000.0, 96000.0, 8 }, { 192000.0, 192000.0, 8 },
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.hostRate);
        CompressorEngine engine;
        engine.setSampleRate (c.hostRate);
        EXPECT_EQ (engine.getParams().processRate, c.processRate);
        EXPECT_EQ (engine.getParams().oversampling, c.latency == CompressorEngine::oversampledLatency);
        EXPECT_EQ (CompressorEngine::latencyForRate (c.hostRate), c.latency);
        EXPECT_EQ (engine.getParams().detectorRate, c.processRate);

        engine.setPrecise (true);
        EXPECT_EQ (engine.getParams().detectorRate, 2.0 * c.processRate);
    }
}

TEST (CompressorEngine, TimeCoefficientsReferToHalfTheEvaluationRate)
{
    CompressorEngine engine;
    engine.setSampleRate (44100.0);
    engine.setAttackMs (10.0);
    const auto& curve = engine.getParams().curve;
    EXPECT_DOUBLE_EQ (curve.peakAttackCoef, 0.9994332672296815);

    // Precise doubles the rate: the same coefficient at twice the time.
    engine.setPrecise (true);
    engine.setAttackMs (5.0);
    const auto coef = [] (double ms) { return std::exp (-1000.0 / (2.0 * 176400.0 * ms)); };
    EXPECT_DOUBLE_EQ (curve.peakAttackCoef, 0.9994332672296815);
    EXPECT_EQ (curve.rmsAttackCoef1, coef (7.5));
    EXPECT_EQ (curve.rmsAttackCoef2, coef (30.0));
    // The level averages over half the attack plus 5 ms; peak release leaves it alone.
    EXPECT_EQ (curve.levelCoef, coef (7.5));
    engine.setReleasePeakMs (1000.0);
    EXPECT_EQ (curve.levelCoef, coef (7.5));
    EXPECT_EQ (curve.peakReleaseCoef, coef (1000.0));

    // Times of 0.01 ms and below act at once.
    engine.setAttackMs (0.01);
    EXPECT_EQ (curve.peakAttackCoef, 0.0);
    EXPECT_GT (curve.rmsAttackCoef1, 0.0);
}

TEST (CompressorEngine, SlowRmsReleaseIsThreeTimesAfterARateOrQualityChangeAndFourTimesAfterASet)
{
    CompressorEngine engine;
    const auto coef = [] (double ms) { return std::exp (-1000.0 / (2.0 * 96000.0 * ms)); };
    engine.setReleaseRmsMs (100.0);
    engine.setSampleRate (96000.0);
    EXPECT_EQ (engine.getParams().curve.rmsReleaseCoef2, coef (300.0));
    EXPECT_EQ (engine.getParams().curve.rmsReleaseCoef1, coef (100.0));

    engine.setReleaseRmsMs (100.0);
    EXPECT_EQ (engine.getParams().curve.rmsReleaseCoef2, coef (400.0));

    engine.setPrecise (false);
    EXPECT_EQ (engine.getParams().curve.rmsReleaseCoef2, coef (300.0));
}

TEST (CompressorEngine, FreshEngineIsSilentUntilOutGainIsSetAndPassesUnityGain)
{
    CompressorEngine engine;
    engine.setSampleRate (44100.0);
    double left = 0.5, right = -0.5;
    EXPECT_DOUBLE_EQ (engine.process (&left, &right, 1).gain, 1.0);
    EXPECT_EQ (left, 0.0);
    EXPECT_EQ (right, 0.0);
    EXPECT_EQ (engine.getSettings().crestDb, 8.0);
}

TEST (EngineState, NoiseOffsetsStayBetweenMinus190AndMinus170Db)
{
    EngineState state;
    const auto [lowest, highest] = std::minmax_element (std::begin (state.noiseTable), std::end (state.noiseTable));
    EXPECT_GE (dbOf (*lowest), -190.0 - 1e-9);
    EXPECT_LE (dbOf (*highest), -170.0 + 1e-9);
    EXPECT_LT (dbOf (*lowest), -189.0);
    EXPECT_GT (dbOf (*highest), -171.0);
}
