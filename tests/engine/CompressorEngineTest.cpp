#include "CompressorEngine.h"
#include "EngineSettings.h"
#include "FilterTables.h"
#include "FrequencyResponse.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <random>
#include <string>
#include <vector>

namespace
{
struct Frame
{
    double left;
    double right;
    double gain;
};

struct RateCase
{
    double hostRate;
    double processRate;
    int latency;
};

std::string rateName (const testing::TestParamInfo<RateCase>& info)
{
    return "Host" + std::to_string (static_cast<int> (info.param.hostRate));
}

/** Settings that compress hard, so an identity that holds here holds anywhere. */
void compressHard (CompressorEngine& engine)
{
    EngineSettings { -40.0, 4.0, 0.2, true, 3.0, 1.0, 50.0, 80.0, 60.0, 0.1f, 0.4, 2.0, 0.25, 0.7 }.applyTo (engine);
}

Frame step (CompressorEngine& engine, double hostRate, double left, double right)
{
    Frame f { left, right, 0.0 };
    double peakDb = 0.0;
    double rmsDb = 0.0;

    if (CompressorEngine::usesOversampling (hostRate))
        engine.processOversampled (f.left, f.right, f.gain, peakDb, rmsDb);
    else
        engine.processPlain (f.left, f.right, f.gain, peakDb, rmsDb);

    return f;
}

std::vector<Frame> noiseInput (int frames, unsigned seed)
{
    std::mt19937 rng (seed);
    std::uniform_real_distribution<double> dist (-0.8, 0.8);
    std::vector<Frame> input (static_cast<size_t> (frames));
    for (auto& f : input)
        f = { dist (rng), dist (rng), 0.0 };
    return input;
}

std::vector<Frame> sineInput (int frames, double hostRate, double hz, double amplitude)
{
    std::vector<Frame> input (static_cast<size_t> (frames));
    for (size_t i = 0; i < input.size(); ++i)
    {
        const double x = amplitude * std::sin (2.0 * M_PI * hz * static_cast<double> (i) / hostRate);
        input[i] = { x, x, 0.0 };
    }
    return input;
}

std::vector<Frame> run (CompressorEngine& engine, double hostRate, const std::vector<Frame>& input)
{
    std::vector<Frame> output;
    output.reserve (input.size());
    for (const auto& f : input)
        output.push_back (step (engine, hostRate, f.left, f.right));
    return output;
}

double dbOf (double gain) { return 20.0 * std::log10 (gain); }

class CompressorEngineAtRate : public testing::TestWithParam<RateCase>
{
protected:
    void SetUp() override
    {
        rate = GetParam().hostRate;
        engine.setSampleRate (rate);
        engine.reset();
    }

    CompressorEngine engine;
    double rate = 0.0;
};
} // namespace

INSTANTIATE_TEST_SUITE_P (HostRates, CompressorEngineAtRate,
                          testing::Values (RateCase { 44100.0, 88200.0, 184 }, RateCase { 48000.0, 96000.0, 184 },
                                           RateCase { 80000.0, 160000.0, 184 }, RateCase { 88200.0, 88200.0, 8 },
                                           RateCase { 96000.0, 96000.0, 8 }, RateCase { 192000.0, 192000.0, 8 }),
                          rateName);

TEST_P (CompressorEngineAtRate, ChoosesItsPathProcessRateAndLatency)
{
    EXPECT_EQ (engine.processRate, GetParam().processRate);
    EXPECT_EQ (CompressorEngine::latencyForRate (rate), GetParam().latency);
    EXPECT_EQ (CompressorEngine::usesOversampling (rate), GetParam().latency == CompressorEngine::oversampledLatency);
    EXPECT_EQ (engine.detector.detectorRate, engine.processRate);

    engine.setQuality (1);
    EXPECT_EQ (engine.detector.detectorRate, 2.0 * engine.processRate);
}

TEST_P (CompressorEngineAtRate, BypassReturnsInputDelayedByLatency)
{
    compressHard (engine);
    engine.bypassOn = true;
    engine.deltaOn = true;
    const auto input = noiseInput (1000, 3);
    const auto output = run (engine, rate, input);
    const size_t latency = static_cast<size_t> (GetParam().latency);

    for (size_t i = 0; i < input.size(); ++i)
    {
        const double expectedL = i < latency ? 0.0 : input[i - latency].left;
        const double expectedR = i < latency ? 0.0 : input[i - latency].right;
        ASSERT_EQ (output[i].left, expectedL) << "frame " << i;
        ASSERT_EQ (output[i].right, expectedR) << "frame " << i;
    }
}

TEST_P (CompressorEngineAtRate, DeltaIsGainMinusOneTimesTheDelayedInput)
{
    compressHard (engine);
    engine.deltaOn = true;
    const size_t latency = static_cast<size_t> (GetParam().latency);

    if (! CompressorEngine::usesOversampling (rate))
    {
        // At the host rate the identity holds frame by frame, with a moving gain.
        const auto input = noiseInput (3000, 5);
        const auto output = run (engine, rate, input);

        for (size_t i = latency; i < input.size(); ++i)
        {
            const auto& d = input[i - latency];
            const double g = output[i].gain;
            ASSERT_EQ (output[i].left, g * d.left - d.left) << "frame " << i;
            ASSERT_EQ (output[i].right, g * d.right - d.right) << "frame " << i;
        }

        return;
    }

    // Oversampled, the delta passes the half-band filters: check it once the gain is steady.
    engine.setAttack (0.01);
    engine.setReleasePeak (2000.0);
    const int frames = static_cast<int> (rate);
    const auto input = sineInput (frames, rate, 1000.0, 0.5);
    const auto output = run (engine, rate, input);
    const double g = output.back().gain;
    EXPECT_LT (dbOf (g), -6.0);

    for (size_t i = input.size() - 2000; i < input.size(); ++i)
    {
        const auto& d = input[i - latency];
        ASSERT_NEAR (output[i].left, (g - 1.0) * d.left, 1e-3) << "frame " << i;
        ASSERT_NEAR (output[i].right, (g - 1.0) * d.right, 1e-3) << "frame " << i;
    }
}

TEST_P (CompressorEngineAtRate, WithoutReductionOutputIsMakeupPlusDryTimesOutGainTimesDelayedInput)
{
    engine.thresholdDb = 0.0;
    engine.updateCurve();
    engine.makeupGain = 1.8;
    engine.dryGain = 0.3;
    engine.outputGain = 0.6;
    const size_t latency = static_cast<size_t> (GetParam().latency);
    auto input = noiseInput (2000, 9);
    for (auto& f : input)
    {
        f.left *= 0.01;
        f.right *= 0.01;
    }

    const auto output = run (engine, rate, input);
    const double scale = (1.8 + 0.3) * 0.6;

    for (size_t i = 0; i < input.size(); ++i)
    {
        const double expectedL = i < latency ? 0.0 : scale * input[i - latency].left;
        const double expectedR = i < latency ? 0.0 : scale * input[i - latency].right;
        ASSERT_NEAR (output[i].left, expectedL, 1e-9) << "frame " << i;
        ASSERT_NEAR (output[i].right, expectedR, 1e-9) << "frame " << i;
    }
}

TEST_P (CompressorEngineAtRate, NonFiniteInputIsTreatedAsSilence)
{
    compressHard (engine);
    CompressorEngine reference;
    reference.setSampleRate (rate);
    compressHard (reference);
    reference.reset();

    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    auto input = noiseInput (1500, 11);
    auto cleaned = input;

    for (size_t i = 300; i < 340; ++i)
    {
        input[i] = { i % 2 == 0 ? nan : inf, i % 3 == 0 ? -inf : nan, 0.0 };
        cleaned[i] = { 0.0, 0.0, 0.0 };
    }

    input[600].left = nan;
    cleaned[600].left = 0.0;

    const auto output = run (engine, rate, input);
    const auto expected = run (reference, rate, cleaned);

    for (size_t i = 0; i < input.size(); ++i)
    {
        ASSERT_TRUE (std::isfinite (output[i].left) && std::isfinite (output[i].right)) << "frame " << i;
        ASSERT_EQ (output[i].left, expected[i].left) << "frame " << i;
        ASSERT_EQ (output[i].right, expected[i].right) << "frame " << i;
        ASSERT_EQ (output[i].gain, expected[i].gain) << "frame " << i;
    }
}

TEST_P (CompressorEngineAtRate, ResetRestoresAFreshEngineAndKeepsTheSettings)
{
    compressHard (engine);
    run (engine, rate, noiseInput (700, 13));
    engine.reset();

    CompressorEngine fresh;
    fresh.setSampleRate (rate);
    compressHard (fresh);
    fresh.reset();

    const auto input = noiseInput (800, 17);
    const auto output = run (engine, rate, input);
    const auto expected = run (fresh, rate, input);

    for (size_t i = 0; i < input.size(); ++i)
    {
        ASSERT_EQ (output[i].left, expected[i].left) << "frame " << i;
        ASSERT_EQ (output[i].gain, expected[i].gain) << "frame " << i;
    }
}

TEST_P (CompressorEngineAtRate, SampleRateUpdateKeepsTheState)
{
    compressHard (engine);
    CompressorEngine untouched;
    untouched.setSampleRate (rate);
    compressHard (untouched);
    untouched.reset();

    const auto input = noiseInput (1200, 19);
    const std::vector<Frame> first (input.begin(), input.begin() + 600);
    const std::vector<Frame> second (input.begin() + 600, input.end());
    run (engine, rate, first);
    run (untouched, rate, first);

    engine.setSampleRate (rate);
    const auto output = run (engine, rate, second);
    const auto expected = run (untouched, rate, second);

    for (size_t i = 0; i < second.size(); ++i)
        ASSERT_EQ (output[i].left, expected[i].left) << "frame " << i;
}

TEST_P (CompressorEngineAtRate, SideOnlySignalIsIgnoredByALinkedKey)
{
    engine.thresholdDb = -30.0;
    engine.ratioSlope = 0.0;
    engine.updateCurve();
    engine.setKeySlope (0.2f);

    auto input = sineInput (static_cast<int> (rate / 4), rate, 1000.0, 0.5);
    for (auto& f : input)
        f.right = -f.left;

    engine.stereoDiff = 0.0;
    const auto linked = run (engine, rate, input);
    EXPECT_NEAR (linked.back().gain, 1.0, 1e-6);

    engine.reset();
    engine.stereoDiff = 1.0;
    const auto perChannel = run (engine, rate, input);
    EXPECT_LT (dbOf (perChannel.back().gain), -10.0);
}

namespace
{
/** Gain of the key path at hz before the detector's sensing: the key high-pass (slope
    "6 dB/oct") and the detector's interpolator. */
double keyPathGain (const CompressorEngine& engine, double hz, bool precise)
{
    const double r = engine.processRate;
    const double w = 2.0 * M_PI * engine.keyHpHz;
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

TEST_P (CompressorEngineAtRate, SineSettlesWhereTheStaticCurveAndFeedbackPredict)
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
        for (int precise = 0; precise < 2; ++precise)
        {
            SCOPED_TRACE (testing::Message() << c.name << (precise ? ", Precise" : ", Eco"));
            engine.setQuality (precise);
            engine.thresholdDb = c.thresholdDb;
            engine.kneeDb = c.kneeDb;
            engine.ratioSlope = c.ratioSlope;
            engine.peakFollowsRatio = ! c.peakPath;
            engine.updateCurve();
            engine.detector.crestDb = c.crestDb;
            engine.setAttack (c.peakPath ? 0.01 : 50.0);
            engine.setReleasePeak (200.0);
            engine.detector.setReleaseRms (100.0);
            engine.keyHpHz = 30.0;
            engine.setKeySlope (0.2f);
            engine.reset();

            const auto output = run (engine, rate, sineInput (static_cast<int> (2.0 * rate), rate, hz, c.amplitude));
            const double keyDb = dbOf (c.amplitude * keyPathGain (engine, hz, precise == 1));

            // Peak: the envelope meets its target at each crest and releases a little in
            // between, so compare the deepest gain. RMS: compare the mean.
            const auto tail = static_cast<size_t> (0.05 * rate);
            double deepest = 0.0;
            double sum = 0.0;
            for (size_t i = output.size() - tail; i < output.size(); ++i)
            {
                deepest = std::min (deepest, dbOf (output[i].gain));
                sum += dbOf (output[i].gain);
            }

            if (c.peakPath)
                EXPECT_NEAR (deepest, solveFeedback (keyDb - c.crestDb, c.thresholdDb, c.kneeDb, 1.0), 0.02);
            else
                EXPECT_NEAR (sum / static_cast<double> (tail),
                             solveFeedback (keyDb + sineLogMeanDb, c.thresholdDb, c.kneeDb, 1.0 - c.ratioSlope), 0.05);
        }
    }
}

TEST (CompressorEngine, NoiseOffsetsStayBetweenMinus190AndMinus170Db)
{
    CompressorEngine engine;
    double lowest = 1.0;
    double highest = 0.0;

    for (const double n : engine.noiseTable)
    {
        lowest = std::min (lowest, n);
        highest = std::max (highest, n);
    }

    EXPECT_GE (dbOf (lowest), -190.0 - 1e-9);
    EXPECT_LE (dbOf (highest), -170.0 + 1e-9);
    EXPECT_LT (dbOf (lowest), -189.0);
    EXPECT_GT (dbOf (highest), -171.0);

    // The first frame after a reset takes entry 1; entry 0 comes round on the 256th.
    double left = 0.0, right = 0.0, gain = 0.0, peakDb = 0.0, rmsDb = 0.0;
    engine.processPlain (left, right, gain, peakDb, rmsDb);
    EXPECT_EQ (engine.noiseIndex, 1);
    for (int i = 1; i < 256; ++i)
        engine.processPlain (left, right, gain, peakDb, rmsDb);
    EXPECT_EQ (engine.noiseIndex, 0);
}

TEST (CompressorEngine, FreshEngineIsSilentUntilOutGainIsSetAndPassesUnityGain)
{
    CompressorEngine engine;
    engine.setSampleRate (44100.0);
    double left = 0.5, right = -0.5, gain = 0.0, peakDb = 0.0, rmsDb = 0.0;
    engine.processOversampled (left, right, gain, peakDb, rmsDb);
    EXPECT_EQ (left, 0.0);
    EXPECT_EQ (right, 0.0);
    EXPECT_DOUBLE_EQ (gain, 1.0);
    EXPECT_EQ (engine.detector.crestDb, 8.0);
    EXPECT_EQ (engine.detector.levelMs, 10.0);
}

TEST (CompressorEngine, AttackSetterMovesTheLevelTimeAndPeakReleaseLeavesIt)
{
    CompressorEngine engine;
    engine.setSampleRate (48000.0);
    engine.setAttack (500.0);
    EXPECT_EQ (engine.detector.levelMs, 255.0);
    EXPECT_EQ (engine.detector.levelCoef, engine.detector.timeCoef (255.0));

    engine.setReleasePeak (1000.0);
    EXPECT_EQ (engine.detector.levelMs, 255.0);
    EXPECT_EQ (engine.detector.peakReleaseCoef, engine.detector.timeCoef (1000.0));
}
