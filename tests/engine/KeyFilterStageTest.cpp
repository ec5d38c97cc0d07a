#include "KeyFilterStage.h"
#include "FrequencyResponse.h"

#include <gtest/gtest.h>

#include <complex>
#include <vector>

namespace
{
constexpr double rate = 88200.0;

/** The bilinear-transform (no pre-warping) first-order high-pass at cutoff hz, seen at
    frequency f: s / (s + w) with s = 2R (1 - 1/z) / (1 + 1/z). */
std::complex<double> analyticHighPass (double hz, double f)
{
    const double k = 2.0 * rate;
    const double w = 2.0 * M_PI * hz;
    const std::complex<double> zInv = std::polar (1.0, -2.0 * M_PI * f / rate);
    return k * (1.0 - zInv) / ((k + w) - (k - w) * zInv);
}

/** The expected key response for a slope with mid cutoff hz (side: 1.3 x hz). */
std::complex<double> analyticKey (int slope, double hz, double f, bool side)
{
    const double scale = side ? 1.3 : 1.0;

    switch (slope)
    {
        case 0:  return analyticHighPass (side ? 26.0 : 20.0, f);
        case 1:
        {
            const double b = 1.02 * hz * scale;
            return 0.25 * (analyticHighPass (0.25 * b, f) + analyticHighPass (0.5 * b, f)
                           + analyticHighPass (b, f) + analyticHighPass (2.0 * b, f));
        }
        case 2:  return analyticHighPass (hz * scale, f);
        default: return analyticHighPass (0.65 * hz * scale, f) * analyticHighPass (0.65 * hz * scale, f);
    }
}

struct KeyImpulseResponse
{
    std::vector<double> mid;
    std::vector<double> side;
};

KeyImpulseResponse measure (int slope, double hz, size_t length)
{
    KeyFilterStage::Bank stages {};
    KeyFilterStage::applyLayout (stages, slope, hz, rate);
    KeyImpulseResponse ir { std::vector<double> (length), std::vector<double> (length) };

    for (size_t i = 0; i < length; ++i)
    {
        double mid = i == 0 ? 1.0 : 0.0;
        double side = mid;
        KeyFilterStage::filter (stages, slope, mid, side);
        ir.mid[i] = mid;
        ir.side[i] = side;
    }

    return ir;
}
} // namespace

TEST (KeyFilterStage, SlopesMatchTheirBilinearResponses)
{
    const double hz = 100.0;
    const double frequencies[] = { 10.0, 25.0, 51.0, 102.0, 300.0, 1000.0, 20000.0 };

    for (int slope = 0; slope < 4; ++slope)
    {
        const auto ir = measure (slope, hz, 60000);

        for (const double f : frequencies)
        {
            SCOPED_TRACE (testing::Message() << "slope " << slope << " at " << f << " Hz");
            EXPECT_NEAR (Spectrum::magnitudeDb (ir.mid, f / rate), Spectrum::db (analyticKey (slope, hz, f, false)), 1e-6);
            EXPECT_NEAR (Spectrum::magnitudeDb (ir.side, f / rate), Spectrum::db (analyticKey (slope, hz, f, true)), 1e-6);
        }
    }
}

TEST (KeyFilterStage, SlopesHaveTheirNominalShapes)
{
    const double hz = 100.0;
    const double b = 1.02 * hz;
    const struct { int slope; double f; double db; double tolerance; } cases[] = {
        { 2, hz, -3.01, 0.05 },
        { 3, hz, -3.0, 0.3 },
        { 1, b, -2.8, 0.1 },
        { 1, b / 2, -5.2, 0.1 },
        { 1, b / 4, -8.7, 0.1 },
        { 1, b / 8, -13.3, 0.1 },
        { 1, 10.0 * 2.0 * 1.3 * b, 0.0, 0.05 },
        { 0, 20.0, -3.01, 0.05 },
        { 0, 1000.0, 0.0, 0.01 },
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (testing::Message() << "slope " << c.slope << " at " << c.f << " Hz");
        const auto ir = measure (c.slope, hz, 60000);
        EXPECT_NEAR (Spectrum::magnitudeDb (ir.mid, c.f / rate), c.db, c.tolerance);
    }
}

TEST (KeyFilterStage, DcDecaysToZeroInEverySlope)
{
    for (int slope = 0; slope < 4; ++slope)
    {
        KeyFilterStage::Bank stages {};
        KeyFilterStage::applyLayout (stages, slope, 30.0, rate);
        double mid = 0.0;
        double side = 0.0;

        for (int i = 0; i < 400000; ++i)
        {
            mid = 1.0;
            side = -1.0;
            KeyFilterStage::filter (stages, slope, mid, side);
        }

        EXPECT_NEAR (mid, 0.0, 1e-9) << "slope " << slope;
        EXPECT_NEAR (side, 0.0, 1e-9) << "slope " << slope;
    }
}

TEST (KeyFilterStage, SlopeRuleSplitsAtTheFloatTenths)
{
    const struct { float value; int slope; } cases[] = {
        { 0.0f, 0 }, { 0.05f, 0 }, { 0.099999994f, 0 }, { 0.1f, 1 }, { 0.15f, 1 },
        { 0.19999999f, 1 }, { 0.2f, 2 }, { 0.25f, 2 }, { 0.29999998f, 2 }, { 0.3f, 3 }, { 1.0f, 3 },
    };

    for (const auto& c : cases)
        EXPECT_EQ (KeyFilterStage::slopeFromNormalized (c.value), c.slope) << "value " << c.value;
}

TEST (KeyFilterStage, LayoutKeepsStateAndResetKeepsCoefficients)
{
    KeyFilterStage::Bank stages {};
    KeyFilterStage::applyLayout (stages, 1, 50.0, rate);

    for (int i = 0; i < 10; ++i)
    {
        double mid = 0.5;
        double side = -0.25;
        KeyFilterStage::filter (stages, 1, mid, side);
    }

    const KeyFilterStage before = stages[3];
    KeyFilterStage::applyLayout (stages, 2, 200.0, rate);
    EXPECT_EQ (stages[3].midX1, before.midX1);
    EXPECT_EQ (stages[3].midY1, before.midY1);
    EXPECT_EQ (stages[3].sideX1, before.sideX1);
    EXPECT_EQ (stages[3].sideY1, before.sideY1);
    EXPECT_NE (stages[3].midA1, before.midA1);

    const KeyFilterStage configured = stages[0];
    stages[0].reset();
    EXPECT_EQ (stages[0].midX1, 0.0);
    EXPECT_EQ (stages[0].sideY1, 0.0);
    EXPECT_EQ (stages[0].midB0, configured.midB0);
    EXPECT_EQ (stages[0].sideA1, configured.sideA1);
}

TEST (KeyFilterStage, UnusedStagesKeepTheirStateUntilSelectedAgain)
{
    KeyFilterStage::Bank stages {};
    KeyFilterStage::applyLayout (stages, 3, 100.0, rate);

    double mid = 1.0;
    double side = 1.0;
    KeyFilterStage::filter (stages, 3, mid, side);
    const double secondStageState = stages[1].midY1;

    for (int i = 0; i < 5; ++i)
    {
        mid = 0.3;
        side = 0.3;
        KeyFilterStage::filter (stages, 2, mid, side);
    }

    EXPECT_EQ (stages[1].midY1, secondStageState);
    EXPECT_EQ (stages[0].midX1, 0.3);
}

TEST (KeyFilterStage, OffSlopeIgnoresTheFrequency)
{
    KeyFilterStage::Bank low {};
    KeyFilterStage::Bank high {};
    KeyFilterStage::applyLayout (low, 0, 30.0, rate);
    KeyFilterStage::applyLayout (high, 0, 400.0, rate);

    for (size_t i = 0; i < low.size(); ++i)
    {
        EXPECT_EQ (low[i].midB0, high[i].midB0);
        EXPECT_EQ (low[i].midA1, high[i].midA1);
        EXPECT_EQ (low[i].sideB0, high[i].sideB0);
        EXPECT_EQ (low[i].sideA1, high[i].sideA1);
    }
}
