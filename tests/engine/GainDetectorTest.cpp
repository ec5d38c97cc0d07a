#include "FilterTables.h"
#include "GainDetector.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>

namespace
{
double dbOf (double gain) { return 20.0 * std::log10 (gain); }

/** A detector with a hard knee at thresholdDb and a peak path that follows its
    target at once. */
void makeInstantLimiter (GainDetector& d, double thresholdDb)
{
    d.setRate (88200.0);
    d.setAttack (0.01);
    d.setReleasePeak (0.0);
    d.lowerKneeDb = thresholdDb;
    d.kneeDb = 0.0;
    d.crestDb = 0.0;
    d.peakSlopeMinusOne = -1.0;
    d.rmsSlopeMinusOne = 0.0;
}

/** The gain computer written out step by step as documented, in plain double
    arithmetic: the detector's rearranged loop must agree with it. */
struct ReferenceGainComputer
{
    explicit ReferenceGainComputer (const GainDetector& d) : settings (d) {}

    static double knee (double o, double k)
    {
        if (o < -k)
            return 0.0;
        if (o < k)
            return o * o / (4.0 * k) + 0.5 * o + 0.25 * k;
        return o;
    }

    double evaluate (double a, double b, double c)
    {
        const GainDetector& d = settings;
        const double m = b > a ? b : a;
        const double e = std::max (std::abs (m * previousGain * 0.5 + m * 0.5), 1e-07);
        const double level = std::log (e) * 8.685889638065037;
        averageLevel2Db = (averageLevel2Db - 2.0 * level) * d.levelCoef + 2.0 * level;

        const double peakTarget = c + knee (level - d.crestDb - d.lowerKneeDb - d.kneeDb, d.kneeDb) * d.peakSlopeMinusOne;
        peakEnvDb = peakTarget + (peakEnvDb - peakTarget) * (peakTarget > peakEnvDb ? d.peakReleaseCoef : d.peakAttackCoef);

        const double rmsTarget = c + knee (averageLevel2Db * 0.5 - d.lowerKneeDb - d.kneeDb, d.kneeDb) * d.rmsSlopeMinusOne;
        const bool releasing = rmsTarget > rmsEnvDb1;
        rmsEnvDb1 = rmsTarget + (rmsEnvDb1 - rmsTarget) * (releasing ? d.rmsReleaseCoef1 : d.rmsAttackCoef1);
        rmsEnvDb2 = rmsTarget + (rmsEnvDb2 - rmsTarget) * (releasing ? d.rmsReleaseCoef2 : d.rmsAttackCoef2);
        rmsGainDb = std::min (rmsEnvDb1, rmsEnvDb2);

        previousGain = std::exp (std::min (peakEnvDb, rmsGainDb) * 0.11512925464970228);
        return previousGain;
    }

    const GainDetector& settings;
    double previousGain = 1.0;
    double averageLevel2Db = -60.0;
    double peakEnvDb = 0.0;
    double rmsEnvDb1 = 0.0;
    double rmsEnvDb2 = 0.0;
    double rmsGainDb = 0.0;
};

struct CurveCase
{
    double thresholdDb, kneeDb, crestDb, peakSlopeMinusOne, rmsSlopeMinusOne, attackMs, releaseMs;
};

/** Hard and soft knees, limiting and ratio-following peak paths, instant and slow
    times: between them every branch of the curve and the envelopes. */
constexpr CurveCase curveCases[] {
    { -20.0, 0.0, 8.0, -1.0, -0.5, 10.0, 100.0 },
    { -30.0, 12.0, 0.0, -0.75, -0.75, 0.01, 5.0 },
    { -12.0, 6.0, 3.0, -1.0, -0.9, 50.0, 1000.0 },
    { -40.0, 20.0, 10.0, 0.0, -0.2, 1.0, 20.0 },
};

void applyCase (GainDetector& d, const CurveCase& c, double rate)
{
    d.setRate (rate);
    d.lowerKneeDb = c.thresholdDb - c.kneeDb;
    d.kneeDb = c.kneeDb;
    d.crestDb = c.crestDb;
    d.peakSlopeMinusOne = c.peakSlopeMinusOne;
    d.rmsSlopeMinusOne = c.rmsSlopeMinusOne;
    d.setAttack (c.attackMs);
    d.setReleasePeak (c.releaseMs);
    d.setReleaseRms (2.0 * c.releaseMs);
}

/** Bursts of a noisy two-tone key: loud, quiet and silent stretches. */
double burstKey (int i, std::mt19937& rng)
{
    std::normal_distribution<double> noise (0.0, 0.02);
    const double envelope = (i / 3000) % 3 == 0 ? 0.9 : (i / 3000) % 3 == 1 ? 0.05 : 0.0;
    return envelope * (std::sin (0.013 * i) + 0.3 * std::sin (0.21 * i)) + (envelope > 0.0 ? noise (rng) : 0.0);
}

/** Feeds a sine key for a number of engine frames and returns the last gain. */
double runSine (GainDetector& d, bool precise, double amplitude, double cyclesPerFrame, int frames)
{
    double gain = 1.0;
    for (int i = 0; i < frames; ++i)
    {
        const double k = amplitude * std::sin (2.0 * M_PI * cyclesPerFrame * i);
        gain = precise ? d.detectPrecise (k, k, 0.0) : d.detectEco (k, k, 0.0);
    }
    return gain;
}
} // namespace

TEST (GainDetector, TimeCoefficientsReferToTheEvaluationRate)
{
    GainDetector d;
    d.setRate (88200.0);
    EXPECT_DOUBLE_EQ (d.timeCoef (10.0), 0.9994332672296815);
    d.setRate (44100.0);
    EXPECT_DOUBLE_EQ (d.timeCoef (20.0), 0.9994332672296815);

    // Times of 0.01 ms and below act at once.
    EXPECT_EQ (d.timeCoef (0.01), 0.0);
    EXPECT_EQ (d.timeCoef (0.0), 0.0);
    EXPECT_GT (d.timeCoef (0.0101), 0.0);

    d.setAttack (0.01);
    EXPECT_EQ (d.peakAttackCoef, 0.0);
    EXPECT_EQ (d.rmsAttackCoef1, d.timeCoef (2.51));
    EXPECT_EQ (d.rmsAttackCoef2, d.timeCoef (10.04));
}

TEST (GainDetector, SlowRmsReleaseIsThreeTimesAfterARateChangeAndFourTimesAfterASet)
{
    GainDetector d;
    d.setReleaseRms (100.0);
    d.setRate (96000.0);
    EXPECT_EQ (d.rmsReleaseCoef2, d.timeCoef (300.0));
    EXPECT_EQ (d.rmsReleaseCoef1, d.timeCoef (100.0));

    d.setReleaseRms (100.0);
    EXPECT_EQ (d.rmsReleaseCoef2, d.timeCoef (400.0));
}

TEST (GainDetector, RateChangeKeepsTheTimesInMilliseconds)
{
    GainDetector eco;
    GainDetector precise;
    eco.setRate (88200.0);
    precise.setRate (176400.0);

    // Twice the rate at the same time: the square root of the coefficient per step.
    EXPECT_NEAR (precise.peakAttackCoef * precise.peakAttackCoef, eco.peakAttackCoef, 1e-15);
    EXPECT_NEAR (precise.levelCoef * precise.levelCoef, eco.levelCoef, 1e-15);
    EXPECT_EQ (precise.attackMs, eco.attackMs);
}

TEST (GainDetector, KneeIsHardAtZeroAndParabolicWithin)
{
    const struct { double over; double knee; double expected; } cases[] = {
        { -1.0, 0.0, 0.0 }, { 0.0, 0.0, 0.0 }, { 3.0, 0.0, 3.0 },
        { -12.0, 10.0, 0.0 }, { -10.0, 10.0, 0.0 }, { 0.0, 10.0, 2.5 }, { 5.0, 10.0, 5.625 },
        { 10.0, 10.0, 10.0 }, { 14.0, 10.0, 14.0 },
    };

    for (const auto& c : cases)
        EXPECT_DOUBLE_EQ (GainDetector::knee (c.over, c.knee), c.expected) << "over " << c.over << " knee " << c.knee;
}

TEST (GainDetector, SensesTheLargerSignedKeyScaledByThePreviousGain)
{
    GainDetector d;
    makeInstantLimiter (d, -30.0);

    // -0.9 and 0.1 sense 0.1 (-20 dB), not 0.9: 10 dB over a -30 dB threshold.
    const double first = d.evaluate (-0.9, 0.1, 0.0);
    EXPECT_NEAR (d.peakGainDb, -10.0, 1e-12);
    EXPECT_NEAR (dbOf (first), -10.0, 1e-12);

    // Next step: the level seen is 0.1 x (1 + previous gain) / 2.
    d.evaluate (-0.9, 0.1, 0.0);
    EXPECT_NEAR (d.peakGainDb, -(dbOf (0.1 * (1.0 + first) * 0.5) + 30.0), 1e-12);
}

TEST (GainDetector, EvaluationAgreesWithThePlainlyWrittenComputer)
{
    for (const auto& curve : curveCases)
    {
        SCOPED_TRACE (testing::Message() << "threshold " << curve.thresholdDb << " knee " << curve.kneeDb);
        GainDetector d;
        applyCase (d, curve, 88200.0);
        ReferenceGainComputer reference (d);
        std::mt19937 rng (3);

        for (int i = 0; i < 20000; ++i)
        {
            const double a = burstKey (i, rng);
            const double b = 0.8 * burstKey (i + 500, rng);
            const double c = 1e-9 * (1.0 + (i % 7));
            const double expected = reference.evaluate (a, b, c);

            // Rearranged sums differ in the last bits only.
            ASSERT_NEAR (d.evaluate (a, b, c), expected, 1e-13 * expected) << "step " << i;
            ASSERT_NEAR (d.peakGainDb, reference.peakEnvDb, 1e-11) << "step " << i;
            ASSERT_NEAR (d.rmsGainDb, reference.rmsGainDb, 1e-11) << "step " << i;
            ASSERT_NEAR (d.averageLevel2Db, reference.averageLevel2Db, 1e-11) << "step " << i;
        }
    }
}

/** One detector frame written out: interpolate, evaluate each phase, decimate. */
double referenceFrame (ReferenceGainComputer& reference, StereoFir& keyUp, StereoFir& gainDown, int factor,
                       double k1, double k2, double n)
{
    double gains[4];

    for (int p = 0; p < factor; ++p)
    {
        double a = p == 0 ? factor * k1 : 0.0;
        double b = p == 0 ? factor * k2 : 0.0;

        if (factor == 4)
            keyUp.processPhase (p, a, b);
        else if (p == 0)
            keyUp.processEven (a, b);
        else
            keyUp.processOdd (a, b);

        gains[p] = reference.evaluate (a, b, n);
    }

    double gain = gains[0];
    double unused = gains[0];
    gainDown.processFull (gain, unused);

    for (int p = 1; p < factor; ++p)
        gainDown.push (gains[p], gains[p]);

    return gain;
}

TEST (GainDetector, FramesRunTheComputerOnTheInterpolatedKeyAndDecimateItsGain)
{
    for (const int factor : { 2, 4 })
    {
        const int tapCount = factor == 4 ? 64 : 32;
        const double* taps = factor == 4 ? FilterTables::lowpass64.data() : FilterTables::lowpass32.data();

        for (const auto& curve : curveCases)
        {
            SCOPED_TRACE (testing::Message() << factor << "x, threshold " << curve.thresholdDb);
            GainDetector d;
            applyCase (d, curve, factor == 4 ? 176400.0 : 88200.0);
            ReferenceGainComputer reference (d);
            StereoFir keyUp (tapCount, taps, 0.0);
            StereoFir gainDown (tapCount, taps, 1.0);
            std::mt19937 rng (5);

            for (int i = 0; i < 6000; ++i)
            {
                const double k1 = burstKey (i, rng);
                const double k2 = 0.7 * burstKey (i + 900, rng);
                const double expected = referenceFrame (reference, keyUp, gainDown, factor, k1, k2, 1e-9);
                const double actual = factor == 4 ? d.detectPrecise (k1, k2, 1e-9) : d.detectEco (k1, k2, 1e-9);
                ASSERT_NEAR (actual, expected, 1e-12 * expected) << "frame " << i;
            }
        }
    }
}

TEST (GainDetector, OffsetShiftsBothTargets)
{
    GainDetector d;
    makeInstantLimiter (d, -30.0);
    d.rmsAttackCoef1 = 0.0;
    d.rmsAttackCoef2 = 0.0;
    d.rmsReleaseCoef1 = 0.0;
    d.rmsReleaseCoef2 = 0.0;

    d.evaluate (0.5 * 0.1, 0.0, 1e-9);
    EXPECT_NEAR (d.peakGainDb, 1e-9 - (dbOf (0.05) + 30.0), 1e-12);
    EXPECT_EQ (d.rmsGainDb, 1e-9);
}

TEST (GainDetector, RatioZeroWithPeakFollowingRatioNeverReduces)
{
    GainDetector d;
    d.setRate (88200.0);
    d.lowerKneeDb = -60.0;
    d.peakSlopeMinusOne = 0.0;
    d.rmsSlopeMinusOne = 0.0;

    EXPECT_DOUBLE_EQ (runSine (d, false, 1.0, 0.01, 5000), 1.0);
}

TEST (GainDetector, SilentKeySettlesAtUnityGain)
{
    GainDetector d;
    d.setRate (88200.0);
    d.lowerKneeDb = -20.0;
    d.peakSlopeMinusOne = -1.0;
    d.rmsSlopeMinusOne = -0.5;

    // The floor keeps the log finite: -140 dB never reaches a threshold.
    EXPECT_DOUBLE_EQ (runSine (d, false, 0.0, 0.0, 2000), 1.0);
    EXPECT_DOUBLE_EQ (runSine (d, true, 0.0, 0.0, 2000), 1.0);
}

TEST (GainDetector, ShortOvershootMovesTheFastRmsEnvelopeMore)
{
    GainDetector d;
    d.setRate (88200.0);
    d.lowerKneeDb = -40.0;
    d.rmsSlopeMinusOne = -0.5;

    for (int i = 0; i < 200; ++i)
        d.evaluate (0.5, 0.5, 0.0);

    EXPECT_LT (d.rmsEnvDb1, d.rmsEnvDb2);
    EXPECT_LT (d.rmsEnvDb2, 0.0);
    EXPECT_EQ (d.rmsGainDb, d.rmsEnvDb1);

    // Released: the fast envelope recovers first and the slow one now sets the gain.
    for (int i = 0; i < 20000; ++i)
        d.evaluate (0.0, 0.0, 0.0);

    EXPECT_GT (d.rmsEnvDb1, d.rmsEnvDb2);
    EXPECT_EQ (d.rmsGainDb, d.rmsEnvDb2);
}

TEST (GainDetector, EcoAndPreciseAgreeOnSteadyStateGain)
{
    GainDetector eco;
    GainDetector precise;

    for (GainDetector* d : { &eco, &precise })
    {
        d->lowerKneeDb = -30.0;
        d->kneeDb = 6.0;
        d->crestDb = 6.0;
        d->rmsSlopeMinusOne = -0.75;
        d->setAttack (5.0);
        d->setReleasePeak (500.0);
        d->setReleaseRms (500.0);
    }

    eco.setRate (88200.0);
    precise.setRate (176400.0);

    const double ecoGain = runSine (eco, false, 0.5, 1000.0 / 88200.0, 88200);
    const double preciseGain = runSine (precise, true, 0.5, 1000.0 / 88200.0, 88200);
    EXPECT_LT (dbOf (ecoGain), -3.0);
    EXPECT_NEAR (dbOf (ecoGain), dbOf (preciseGain), 0.05);
}

TEST (GainDetector, ResetReturnsUnityGainAndKeepsSettings)
{
    GainDetector d;
    makeInstantLimiter (d, -40.0);
    runSine (d, false, 0.9, 0.01, 3000);
    runSine (d, true, 0.9, 0.01, 3000);
    const double coef = d.peakReleaseCoef;

    d.reset();
    EXPECT_EQ (d.previousGain, 1.0);
    EXPECT_EQ (d.averageLevel2Db, -60.0);
    EXPECT_EQ (d.peakGainDb, -60.0);
    EXPECT_EQ (d.peakReleaseCoef, coef);
    EXPECT_EQ (d.lowerKneeDb, -40.0);

    // The first gain out of either decimator is unity, whatever the key.
    EXPECT_DOUBLE_EQ (d.detectEco (0.9, 0.9, 0.0), 1.0);
    d.reset();
    EXPECT_DOUBLE_EQ (d.detectPrecise (0.9, 0.9, 0.0), 1.0);
}
