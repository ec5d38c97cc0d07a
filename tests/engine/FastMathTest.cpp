#include "FastMath.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <functional>
#include <limits>
#include <random>
#include <vector>

namespace
{
/** Error of a result in ulps of the correctly rounded value, from a long double
    reference (eleven more bits than needed). */
double ulpError (double result, long double exact)
{
    const double rounded = static_cast<double> (exact);
    const double ulp = rounded == 0.0 ? std::numeric_limits<double>::denorm_min()
                                      : std::max (std::ldexp (1.0, std::ilogb (rounded) - 52), std::numeric_limits<double>::denorm_min());
    return static_cast<double> (std::abs (static_cast<long double> (result) - exact) / ulp);
}

/** Worst error and share of correctly rounded results over a set of arguments. */
struct Accuracy
{
    double maxUlp = 0.0;
    double worstArgument = 0.0;
    std::int64_t count = 0;
    std::int64_t correctlyRounded = 0;

    void add (double x, double result, long double exact)
    {
        const double e = ulpError (result, exact);
        if (e > maxUlp)
        {
            maxUlp = e;
            worstArgument = x;
        }
        ++count;
        // The reference is itself rounded (to 2^-11 ulp), so a result this close to it
        // counts as correctly rounded: converting the reference to double could round
        // twice, wrongly, when the exact value lies just beside a midpoint.
        correctlyRounded += e <= 0.5 + 0x1p-10 ? 1 : 0;
    }

    double roundedShare() const { return static_cast<double> (correctlyRounded) / static_cast<double> (count); }
};

Accuracy logAccuracy (const std::vector<double>& arguments)
{
    Accuracy a;
    for (double x : arguments)
        a.add (x, FastMath::log (x), std::log (static_cast<long double> (x)));
    return a;
}

Accuracy expAccuracy (const std::vector<double>& arguments)
{
    Accuracy a;
    for (double x : arguments)
        a.add (x, FastMath::exp (x), std::exp (static_cast<long double> (x)));
    return a;
}

std::vector<double> generate (int count, const std::function<double (std::mt19937_64&)>& draw)
{
    std::mt19937_64 rng (42);
    std::vector<double> v (static_cast<size_t> (count));
    for (auto& x : v)
        x = draw (rng);
    return v;
}

/** x and its n neighbours on either side. */
void addNeighbours (std::vector<double>& v, double x, int n)
{
    double up = x;
    double down = x;
    v.push_back (x);
    for (int i = 0; i < n; ++i)
    {
        up = std::nextafter (up, std::numeric_limits<double>::infinity());
        down = std::nextafter (down, 0.0);
        v.push_back (up);
        v.push_back (down);
    }
}

void expectAccurate (const Accuracy& a, const char* what)
{
    SCOPED_TRACE (what);
    EXPECT_LE (a.maxUlp, 1.0) << "worst argument " << a.worstArgument;
    EXPECT_GT (a.roundedShare(), 0.995) << a.correctlyRounded << " of " << a.count;
    std::printf ("%-40s %9lld arguments, max %.3f ulp, %.5f%% correctly rounded\n", what,
                 static_cast<long long> (a.count), a.maxUlp, 100.0 * a.roundedShare());
}

double logUniform (std::mt19937_64& rng, double lo, double hi)
{
    return std::exp (std::uniform_real_distribution<double> (std::log (lo), std::log (hi)) (rng));
}
} // namespace

TEST (FastMath, ExpTableHoldsPowersOfTwoToDoubleDoublePrecision)
{
    for (int j = 0; j < 1 << FastMath::expTableBits; ++j)
    {
        SCOPED_TRACE (j);
        const auto& t = FastMath::expTable[j];
        const long double exact = std::exp2 (static_cast<long double> (j) / (1 << FastMath::expTableBits));
        EXPECT_EQ (t.hi, static_cast<double> (exact));
        EXPECT_LE (std::abs (t.hi + static_cast<long double> (t.lo) - exact), std::ldexp (exact, -62));
    }
}

TEST (FastMath, LogTableHasShortReciprocalsAndSplitLogarithms)
{
    for (int i = 0; i < 1 << FastMath::logTableBits; ++i)
    {
        SCOPED_TRACE (i);
        const auto& t = FastMath::logTable[i];

        // The exact products in log() need invC in 20 bits and logCHi on the 2^-43 grid.
        int exponent = 0;
        EXPECT_EQ (std::ldexp (std::frexp (t.invC, &exponent), 20), std::trunc (std::ldexp (std::frexp (t.invC, &exponent), 20)));
        EXPECT_EQ (std::ldexp (t.logCHi, 43), std::trunc (std::ldexp (t.logCHi, 43)));

        const long double exact = -std::log (static_cast<long double> (t.invC));
        EXPECT_LE (std::abs (t.logCHi + static_cast<long double> (t.logCLo) - exact), 0x1p-95L + std::abs (exact) * 0x1p-62L);
    }

    // The slice around 1 has invC 1, so log stays relatively accurate near 0.
    const auto& one = FastMath::logTable[((0x3ff0000000000000ull - 0x3fe6080000000000ull) >> 44) & 255];
    EXPECT_EQ (one.invC, 1.0);
    EXPECT_EQ (one.logCHi, 0.0);
    EXPECT_EQ (one.logCLo, 0.0);
}

TEST (FastMath, LogIsWithinAnUlpOverTheDetectorRangeAndBeyond)
{
    expectAccurate (logAccuracy (generate (4000000, [] (auto& rng) { return logUniform (rng, 1e-7, 1e4); })),
                    "log, log-uniform over [1e-7, 1e4]");
    expectAccurate (logAccuracy (generate (2000000, [] (auto& rng) { return std::uniform_real_distribution<double> (0.97, 1.03) (rng); })),
                    "log, uniform near 1");
    expectAccurate (logAccuracy (generate (1000000, [] (auto& rng) { return 1.0 + std::ldexp (std::uniform_real_distribution<double> (-1.0, 1.0) (rng), -std::uniform_int_distribution<int> (10, 52) (rng)); })),
                    "log, just around 1");

    // Every positive normal double, drawn by its bit pattern.
    expectAccurate (logAccuracy (generate (1000000, [] (auto& rng)
                                           {
                                               const std::uint64_t bits = std::uniform_int_distribution<std::uint64_t> (0x0010000000000000ull, 0x7fefffffffffffffull) (rng);
                                               return FastMath::detail::fromBits (bits);
                                           })),
                    "log, all positive normals");

    // Slice edges (where the table entry changes) a few ulps either side, at several
    // exponents, plus the ends of the normal range.
    std::vector<double> edges;
    for (int e = -30; e <= 20; ++e)
        for (std::uint64_t i = 0; i < 256; ++i)
            addNeighbours (edges, std::ldexp (FastMath::detail::fromBits (0x3fe6080000000000ull + (i << 44)), e), 3);
    addNeighbours (edges, std::numeric_limits<double>::min(), 3);
    addNeighbours (edges, std::numeric_limits<double>::max(), 3);
    for (int n = 1; n <= 10000; ++n)
        edges.push_back (n);
    expectAccurate (logAccuracy (edges), "log, slice edges, extremes, integers");
}

TEST (FastMath, ExpIsWithinAnUlpOverTheDetectorRangeAndBeyond)
{
    expectAccurate (expAccuracy (generate (4000000, [] (auto& rng) { return std::uniform_real_distribution<double> (-100.0, 20.0) (rng); })),
                    "exp, uniform over [-100, 20]");
    expectAccurate (expAccuracy (generate (1000000, [] (auto& rng) { return std::ldexp (std::uniform_real_distribution<double> (-1.0, 1.0) (rng), -std::uniform_int_distribution<int> (1, 60) (rng)); })),
                    "exp, small arguments");
    expectAccurate (expAccuracy (generate (1000000, [] (auto& rng) { return std::uniform_real_distribution<double> (-745.0, 709.7) (rng); })),
                    "exp, whole finite range");

    // Where the rounding of 128 x / ln2 changes, a few ulps either side.
    std::vector<double> edges;
    for (int k = -14000; k <= 3000; ++k)
        addNeighbours (edges, (k + 0.5) * 0x1.62e42fefa39efp-8, 2);
    addNeighbours (edges, 700.0, 2);
    addNeighbours (edges, -700.0, 2);
    expectAccurate (expAccuracy (edges), "exp, rounding edges of k");
}

TEST (FastMath, SoftplusKeepsItsErrorWithinAnUlpOfLn2BelowZeroAndOfTheResultAbove)
{
    // Absolute error in units of 2^-53 (an ulp of values in [0.5, 1)) below zero, where
    // the detector's gains live, and in ulps of the result above.
    double worstBelow = 0.0;
    double worstAbove = 0.0;
    std::mt19937_64 rng (5);
    std::uniform_real_distribution<double> below (-45.0, 0.0);
    std::uniform_real_distribution<double> above (0.0, 10.0);

    for (int i = 0; i < 2000000; ++i)
    {
        const double y = i % 4 == 3 ? above (rng) : below (rng);
        const long double exact = std::log1p (std::exp (static_cast<long double> (y)));
        const double result = FastMath::softplus (y);

        if (y <= 0.0)
            worstBelow = std::max (worstBelow, static_cast<double> (std::abs (result - exact) * 0x1p53L));
        else
            worstAbove = std::max (worstAbove, ulpError (result, exact));
    }

    std::printf ("softplus: max %.3f x 2^-53 below 0, max %.3f ulp above\n", worstBelow, worstAbove);
    EXPECT_LE (worstBelow, 1.0);
    EXPECT_LE (worstAbove, 1.0);

    EXPECT_TRUE (std::isnan (FastMath::softplus (std::numeric_limits<double>::quiet_NaN())));
    EXPECT_EQ (FastMath::softplus (-std::numeric_limits<double>::infinity()), 0.0);
    EXPECT_EQ (FastMath::softplus (std::numeric_limits<double>::infinity()), std::numeric_limits<double>::infinity());
    EXPECT_EQ (FastMath::softplus (1e300), 1e300);
    EXPECT_EQ (FastMath::softplus (-1000.0), 0.0);
}

TEST (FastMath, SpecialValuesBehaveAsTheLibrary)
{
    const double inf = std::numeric_limits<double>::infinity();
    const double nan = std::numeric_limits<double>::quiet_NaN();

    EXPECT_TRUE (std::isnan (FastMath::log (nan)));
    EXPECT_TRUE (std::isnan (FastMath::log (-1.0)));
    EXPECT_TRUE (std::isnan (FastMath::log (-inf)));
    EXPECT_EQ (FastMath::log (0.0), -inf);
    EXPECT_EQ (FastMath::log (-0.0), -inf);
    EXPECT_EQ (FastMath::log (inf), inf);
    EXPECT_EQ (FastMath::log (1.0), 0.0);
    EXPECT_FALSE (std::signbit (FastMath::log (1.0)));
    EXPECT_EQ (FastMath::log (std::numeric_limits<double>::denorm_min()), std::log (std::numeric_limits<double>::denorm_min()));

    EXPECT_TRUE (std::isnan (FastMath::exp (nan)));
    EXPECT_EQ (FastMath::exp (inf), inf);
    EXPECT_EQ (FastMath::exp (-inf), 0.0);
    EXPECT_EQ (FastMath::exp (0.0), 1.0);
    EXPECT_EQ (FastMath::exp (-0.0), 1.0);
    EXPECT_EQ (FastMath::exp (710.0), inf);
    EXPECT_EQ (FastMath::exp (1e300), inf);
    EXPECT_EQ (FastMath::exp (-746.0), 0.0);
    EXPECT_EQ (FastMath::exp (-1e300), 0.0);
    EXPECT_EQ (FastMath::exp (-720.0), std::exp (-720.0));
}
