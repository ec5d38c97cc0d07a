#include "CompressorEngine.h"
#include "FusedMaths.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>
#include <vector>

namespace
{
/** Distance in units of the last place of the exact value, or of floor when the
    exact value is smaller. */
double ulpError (double actual, long double exact, double floor = 0.0)
{
    const auto magnitude = std::max (std::fabs (static_cast<double> (exact)), floor);
    const double ulp = std::nextafter (magnitude, std::numeric_limits<double>::infinity()) - magnitude;
    return static_cast<double> (std::fabs (actual - exact)) / ulp;
}
} // namespace

// Called from ordinary code, __builtin_fma is the library's correctly rounded fma: the
// same results the fused instructions give inside the engine.
TEST (FusedMaths, LogIsWithinAboutAnUlpOverTheSensingRange)
{
    std::mt19937_64 rng (3);
    std::uniform_real_distribution<double> nepers (std::log (1e-7), std::log (1e3));
    double worst = 0.0;

    for (int i = 0; i < 200000; ++i)
    {
        const double x = std::exp (nepers (rng));
        worst = std::max (worst, ulpError (FusedMaths::log (x), std::log (static_cast<long double> (x)), 0.5));
    }

    // Near x = 1 the table's log c and the series cancel: there the error is a fraction
    // of an ulp of 0.5 rather than of the tiny result, far below anything the detector's
    // decibels can show.
    EXPECT_LT (worst, 1.5);

    for (const double x : { 1.0, std::nextafter (1.0, 2.0), std::nextafter (1.0, 0.0), 1.0 + 1e-9, 1.0 - 1e-9 })
        EXPECT_NEAR (FusedMaths::log (x), static_cast<double> (std::log (static_cast<long double> (x))), 1e-18) << x;
}

TEST (FusedMaths, ExpIsWithinAboutAnUlpOverTheGainRange)
{
    std::mt19937_64 rng (4);
    std::uniform_real_distribution<double> db (-600.0, 60.0);
    const double scale = 0.11512925464970228;
    double worst = 0.0;

    for (int i = 0; i < 200000; ++i)
    {
        const double y = db (rng);
        worst = std::max (worst, ulpError (FusedMaths::expOfProduct (y, scale), std::exp (static_cast<long double> (y * scale))));
    }

    EXPECT_LT (worst, 1.5);
    EXPECT_EQ (FusedMaths::expOfProduct (0.0, scale), 1.0);
}

TEST (FusedMaths, ValuesOutsideTheFastRangesMatchTheLibrary)
{
    for (const double x : { 0.0, -1.0, 1e-310, 1e308, std::numeric_limits<double>::infinity(), std::numeric_limits<double>::quiet_NaN() })
    {
        const double expected = std::log (x);
        const double actual = FusedMaths::log (x);
        EXPECT_TRUE (actual == expected || (std::isnan (actual) && std::isnan (expected))) << x;
    }

    for (const double y : { -8000.0, 8000.0, -std::numeric_limits<double>::infinity(), std::numeric_limits<double>::quiet_NaN() })
    {
        const double expected = std::exp (y * 0.1);
        const double actual = FusedMaths::expOfProduct (y, 0.1);
        EXPECT_TRUE (actual == expected || (std::isnan (actual) && std::isnan (expected))) << y;
    }
}

// The engine picks the fused code at run time; where the processor has it, both paths
// must give the same sound to rounding.
TEST (FusedMaths, EngineSoundsTheSameWithEitherMaths)
{
    if (! CompressorEngine::fusedMaths)
        GTEST_SKIP() << "no AVX2 and FMA here";

    std::vector<double> outputs[2];

    for (const bool fused : { false, true })
    {
        CompressorEngine::fusedMaths = fused;

        for (const double rate : { 44100.0, 96000.0 })
        {
            for (const int precise : { 0, 1 })
            {
                CompressorEngine engine;
                engine.setSampleRate (rate);
                engine.setQuality (precise);
                engine.thresholdDb = -30.0;
                engine.kneeDb = 6.0;
                engine.ratioSlope = 0.3;
                engine.updateCurve();
                engine.setAttack (2.0);
                engine.setReleasePeak (60.0);
                engine.outputGain = 1.0;
                engine.setKeySlope (0.3f);
                std::mt19937 rng (5);
                std::normal_distribution<double> noise (0.0, 0.1);

                for (int i = 0; i < 20000; ++i)
                {
                    double left = 0.5 * std::sin (0.01 * i) + noise (rng);
                    double right = 0.4 * std::sin (0.013 * i) + noise (rng);
                    double gain = 0.0;
                    double peakDb = 0.0;
                    double rmsDb = 0.0;

                    if (CompressorEngine::usesOversampling (rate))
                        engine.processOversampled (left, right, gain, peakDb, rmsDb);
                    else
                        engine.processPlain (left, right, gain, peakDb, rmsDb);

                    outputs[fused ? 1 : 0].insert (outputs[fused ? 1 : 0].end(), { left, right, gain });
                }
            }
        }
    }

    CompressorEngine::fusedMaths = true;
    ASSERT_EQ (outputs[0].size(), outputs[1].size());
    double largestGainReduction = 1.0;

    for (size_t i = 0; i < outputs[0].size(); ++i)
    {
        ASSERT_NEAR (outputs[1][i], outputs[0][i], 1e-12) << "value " << i;

        if (i % 3 == 2)
            largestGainReduction = std::min (largestGainReduction, outputs[0][i]);
    }

    EXPECT_LT (largestGainReduction, 0.5);  // the comparison ran through real compression
}
