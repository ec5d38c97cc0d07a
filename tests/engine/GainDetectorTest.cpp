#include "GainDetector.h"

#include <gtest/gtest.h>

#include <cmath>

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
