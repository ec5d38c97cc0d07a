#include "FilterTables.h"
#include "FrequencyResponse.h"

#include <gtest/gtest.h>

#include <numeric>
#include <vector>

namespace
{
template <size_t n>
std::vector<double> asVector (const std::array<double, n>& taps)
{
    return std::vector<double> (taps.begin(), taps.end());
}

template <size_t n>
void expectSymmetricUnitSumWithZeroFirstTap (const std::array<double, n>& taps)
{
    EXPECT_EQ (taps[0], 0.0);

    for (size_t k = 1; k < n; ++k)
        EXPECT_EQ (taps[k], taps[n - k]) << "tap " << k;

    EXPECT_NEAR (std::accumulate (taps.begin(), taps.end(), 0.0), 1.0, 1e-15);
}
} // namespace

TEST (HalfBandTaps, MatchTheReferenceValues)
{
    const auto taps = FilterTables::designHalfBand();
    const struct { int index; double value; } reference[] = {
        { 176, 0.5000000300904629 },     { 177, 0.3182505277493147 },
        { 179, -0.10592529078227172 },   { 181, 0.06336570147693733 },
        { 183, -0.045058901764697526 },  { 185, 0.03483700845502429 },
        { 347, -3.53022044674e-07 },     { 349, 2.04948159506e-07 },
        { 351, -1.01854804531e-07 },
    };

    for (const auto& r : reference)
    {
        SCOPED_TRACE (r.index);
        // The short values are given to 12 significant digits only.
        const double tolerance = std::abs (r.value) < 1e-3 ? 1e-18 : 2e-15;
        EXPECT_NEAR (taps[static_cast<size_t> (r.index)], r.value, tolerance);
    }
}

TEST (HalfBandTaps, AreSymmetricWithZeroEvenTapsAndUnitSum)
{
    const auto taps = FilterTables::designHalfBand();
    expectSymmetricUnitSumWithZeroFirstTap (taps);

    for (int d = 2; d <= 174; d += 2)
        EXPECT_EQ (taps[static_cast<size_t> (176 + d)], 0.0) << "distance " << d;

    for (int d = 1; d <= 175; d += 2)
        EXPECT_EQ (taps[static_cast<size_t> (176 + d)] > 0.0, d % 4 == 1) << "distance " << d;
}

TEST (HalfBandTaps, PassBandIsFlatAndStopBandBelow120Db)
{
    const auto h = asVector (FilterTables::designHalfBand());

    // The ripple peaks at 1.1e-5 dB near 0.236.
    for (double f = 0.0; f <= 0.238; f += 0.001)
        EXPECT_NEAR (Spectrum::magnitudeDb (h, f), 0.0, 0.000012) << "f " << f;

    EXPECT_NEAR (Spectrum::magnitudeDb (h, 0.24), -0.0007, 0.00005);
    EXPECT_NEAR (Spectrum::magnitudeDb (h, 0.245), -0.47, 0.005);

    EXPECT_NEAR (Spectrum::magnitudeDb (h, 0.25), -6.02, 0.005);
    EXPECT_NEAR (Spectrum::magnitudeDb (h, 0.2588), -60.0, 1.0);

    for (double f = 0.27; f <= 0.5; f += 0.0005)
        EXPECT_LT (Spectrum::magnitudeDb (h, f), -120.0) << "f " << f;
}

TEST (LowPassTables, AreSymmetricWithUnitSum)
{
    expectSymmetricUnitSumWithZeroFirstTap (FilterTables::lowpass32);
    expectSymmetricUnitSumWithZeroFirstTap (FilterTables::lowpass64);
}

TEST (LowPassTables, HaveTheirCutOffsAndStopBands)
{
    const struct { std::vector<double> h; double frequency; double db; double tolerance; } cases[] = {
        { asVector (FilterTables::lowpass32), 0.1394, -3.0, 0.05 },
        { asVector (FilterTables::lowpass32), 0.2332, -60.0, 1.0 },
        { asVector (FilterTables::lowpass32), 0.25, -94.0, 1.0 },
        { asVector (FilterTables::lowpass64), 0.0699, -3.0, 0.05 },
        { asVector (FilterTables::lowpass64), 0.1171, -60.0, 1.0 },
        { asVector (FilterTables::lowpass64), 0.125, -92.0, 1.0 },
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (testing::Message() << c.h.size() << " taps at " << c.frequency);
        EXPECT_NEAR (Spectrum::magnitudeDb (c.h, c.frequency), c.db, c.tolerance);
    }

    for (double f = 0.0; f <= 0.1; f += 0.005)
        EXPECT_NEAR (Spectrum::magnitudeDb (asVector (FilterTables::lowpass32), f), 0.0, 0.35) << "f " << f;

    for (double f = 0.0; f <= 0.05; f += 0.0025)
        EXPECT_NEAR (Spectrum::magnitudeDb (asVector (FilterTables::lowpass64), f), 0.0, 0.35) << "f " << f;
}
