#include "KeyFilter.h"
#include "FrequencyResponse.h"
#include "Simd.h"

#include <gtest/gtest.h>

#include <complex>
#include <vector>

namespace
{
constexpr double rate = 88200.0;

// The filter's code is the same at every width; here it runs as SSE2, the engine tests
// run it at every width.
using Isa = Simd<2>;

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
    KeyFilter filter;
    filter.setLayout (slope, hz, rate);
    KeyImpulseResponse ir { std::vector<double> (length), std::vector<double> (length) };

    for (size_t i = 0; i < length; ++i)
    {
        double mid = i == 0 ? 1.0 : 0.0;
        double side = mid;
        filter.process<Isa> (&mid, &side, 1);
        ir.mid[i] = mid;
        ir.side[i] = side;
    }

    return ir;
}
} // namespace

// At two cutoffs, so that the off slope is seen to keep its own fixed response.
TEST (KeyFilter, SlopesMatchTheirBilinearResponses)
{
    const double frequencies[] = { 10.0, 25.0, 51.0, 102.0, 300.0, 1000.0, 20000.0 };

    for (const double hz : { 100.0, 400.0 })
    {
        for (int slope = 0; slope < 4; ++slope)
        {
            const auto ir = measure (slope, hz, 60000);

            for (const double f : frequencies)
            {
                SCOPED_TRACE (testing::Message() << "slope " << slope << " cut at " << hz << " Hz, seen at " << f << " Hz");
                EXPECT_NEAR (Spectrum::magnitudeDb (ir.mid, f / rate), Spectrum::db (analyticKey (slope, hz, f, false)), 1e-6);
                EXPECT_NEAR (Spectrum::magnitudeDb (ir.side, f / rate), Spectrum::db (analyticKey (slope, hz, f, true)), 1e-6);
            }
        }
    }
}

TEST (KeyFilter, SlopesHaveTheirNominalShapes)
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

TEST (KeyFilter, DcDecaysToZeroInEverySlope)
{
    for (int slope = 0; slope < 4; ++slope)
    {
        KeyFilter filter;
        filter.setLayout (slope, 30.0, rate);
        double mid = 0.0;
        double side = 0.0;

        for (int i = 0; i < 400000; ++i)
        {
            mid = 1.0;
            side = -1.0;
            filter.process<Isa> (&mid, &side, 1);
        }

        EXPECT_NEAR (mid, 0.0, 1e-9) << "slope " << slope;
        EXPECT_NEAR (side, 0.0, 1e-9) << "slope " << slope;
    }
}

TEST (KeyFilter, LayoutKeepsStateAndResetKeepsCoefficients)
{
    KeyFilter filter;
    KeyFilter untouched;
    filter.setLayout (1, 50.0, rate);
    untouched.setLayout (1, 50.0, rate);
    std::vector<double> mid (200, 0.5), side (200, -0.25);
    auto expectedMid = mid, expectedSide = side;

    // A recomputation between two runs leaves the histories alone.
    filter.process<Isa> (mid.data(), side.data(), 10);
    filter.setLayout (1, 50.0, rate);
    filter.process<Isa> (mid.data() + 10, side.data() + 10, 190);
    untouched.process<Isa> (expectedMid.data(), expectedSide.data(), 200);
    EXPECT_EQ (mid, expectedMid);
    EXPECT_EQ (side, expectedSide);

    // After a reset the filter answers as a new one with the same layout.
    filter.reset();
    untouched = KeyFilter();
    untouched.setLayout (1, 50.0, rate);
    mid.assign (50, 1.0);
    side = mid;
    expectedMid = mid;
    expectedSide = side;
    filter.process<Isa> (mid.data(), side.data(), 50);
    untouched.process<Isa> (expectedMid.data(), expectedSide.data(), 50);
    EXPECT_EQ (mid, expectedMid);
    EXPECT_NE (mid[49], 1.0);
}
