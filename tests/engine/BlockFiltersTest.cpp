#include "FilterTables.h"
#include "GainDecimator.h"
#include "HalfBandDecimator.h"
#include "HalfBandInterpolator.h"
#include "KeyInterpolator.h"
#include "Simd.h"
#include "SoftplusTable.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <deque>
#include <random>
#include <vector>

// The block filters' code is the same for every vector width; here it runs as SSE2
// (Simd<2>, the width this file is built for). The engine tests run it at every width
// against the per-frame reference.
namespace
{
using Isa = Simd<2>;

/** A plain shift-register FIR over one signal: push a sample, sum every tap. */
class ShiftRegister
{
public:
    ShiftRegister (std::vector<double> c, double fill) : coefs (std::move (c)), samples (coefs.size(), fill) {}

    double process (double x)
    {
        samples.pop_back();
        samples.push_front (x);
        double sum = 0.0;

        for (size_t k = 0; k < coefs.size(); ++k)
            sum += coefs[k] * samples[k];

        return sum;
    }

    std::vector<double> coefs;
    std::deque<double> samples;
};

template <size_t n>
std::vector<double> asVector (const std::array<double, n>& table)
{
    return std::vector<double> (table.begin(), table.end());
}

std::vector<double> randomSignal (size_t length, unsigned seed)
{
    std::mt19937 rng (seed);
    std::uniform_real_distribution<double> dist (-1.0, 1.0);
    std::vector<double> x (length);
    for (auto& v : x)
        v = dist (rng);
    return x;
}

/** Chunk sizes that split a signal oddly, none above the filters' limit. */
const std::vector<int> splits { 1, 13, 128, 77, 2, 100, 31 };

const std::array<double, FilterTables::halfBandLength> halfBand = FilterTables::designHalfBand();
} // namespace

TEST (BlockFilters, HalfBandInterpolatorMatchesTheZeroStuffedShiftRegister)
{
    HalfBandInterpolator up (halfBand);
    ShiftRegister left (asVector (halfBand), 0.0);
    ShiftRegister right (asVector (halfBand), 0.0);
    const auto inL = randomSignal (2000, 1);
    const auto inR = randomSignal (2000, 2);
    std::vector<double> p0L (128), p0R (128), p1L (128), p1R (128);
    size_t start = 0;

    for (size_t s = 0; start < inL.size(); ++s)
    {
        const int n = std::min (splits[s % splits.size()], static_cast<int> (inL.size() - start));
        up.process<Isa> (&inL[start], &inR[start], n, p0L.data(), p0R.data(), p1L.data(), p1R.data());

        for (int i = 0; i < n; ++i)
        {
            // The input doubled, then a stuffed zero.
            ASSERT_NEAR (p0L[static_cast<size_t> (i)], left.process (2.0 * inL[start + static_cast<size_t> (i)]), 1e-13) << start + static_cast<size_t> (i);
            ASSERT_NEAR (p0R[static_cast<size_t> (i)], right.process (2.0 * inR[start + static_cast<size_t> (i)]), 1e-13);
            ASSERT_NEAR (p1L[static_cast<size_t> (i)], left.process (0.0), 1e-13) << start + static_cast<size_t> (i);
            ASSERT_NEAR (p1R[static_cast<size_t> (i)], right.process (0.0), 1e-13);
        }

        start += static_cast<size_t> (n);
    }
}

TEST (BlockFilters, HalfBandDecimatorMatchesEveryOtherShiftRegisterOutput)
{
    HalfBandDecimator down (halfBand);
    ShiftRegister left (asVector (halfBand), 0.0);
    ShiftRegister right (asVector (halfBand), 0.0);
    const auto x = randomSignal (4000, 3);  // frames of phases 0 and 1, left and right interleaved in pairs
    std::vector<double> outL (128), outR (128);
    size_t frame = 0;

    for (size_t s = 0; 4 * frame < x.size(); ++s)
    {
        const int n = std::min (splits[s % splits.size()], static_cast<int> (x.size() / 4 - frame));

        for (int i = 0; i < n; ++i)
        {
            const size_t f = 4 * (frame + static_cast<size_t> (i));
            down.phase0 (0)[i] = x[f];
            down.phase0 (1)[i] = x[f + 1];
            down.phase1 (0)[i] = x[f + 2];
            down.phase1 (1)[i] = x[f + 3];
        }

        down.process<Isa> (n, outL.data(), outR.data());

        for (int i = 0; i < n; ++i)
        {
            const size_t f = 4 * (frame + static_cast<size_t> (i));
            ASSERT_NEAR (outL[static_cast<size_t> (i)], left.process (x[f]), 1e-13) << frame + static_cast<size_t> (i);
            ASSERT_NEAR (outR[static_cast<size_t> (i)], right.process (x[f + 1]), 1e-13);
            left.process (x[f + 2]);
            right.process (x[f + 3]);
        }

        frame += static_cast<size_t> (n);
    }
}

template <int F, size_t taps>
void expectKeyInterpolation (const std::array<double, taps>& table)
{
    KeyInterpolator<F> up (table);
    ShiftRegister a (asVector (table), 0.0);
    ShiftRegister b (asVector (table), 0.0);
    const auto k1 = randomSignal (1500, 4);
    const auto k2 = randomSignal (1500, 5);
    std::vector<std::vector<double>> logs (F, std::vector<double> (256));
    double* sensed[static_cast<size_t> (F)];
    for (int p = 0; p < F; ++p)
        sensed[p] = logs[static_cast<size_t> (p)].data();

    size_t start = 0;

    for (size_t s = 0; start < k1.size(); ++s)
    {
        const int n = std::min (splits[s % splits.size()], static_cast<int> (k1.size() - start));
        up.template process<Isa> (&k1[start], &k2[start], n, sensed);

        for (int t = 0; t < n; ++t)
        {
            for (int p = 0; p < F; ++p)
            {
                const double ua = a.process (p == 0 ? F * k1[start + static_cast<size_t> (t)] : 0.0);
                const double ub = b.process (p == 0 ? F * k2[start + static_cast<size_t> (t)] : 0.0);
                // The signed larger one, not the larger magnitude; a zero key reads as
                // 1e-300, far below the sensing floor.
                const double expected = std::log (std::max (std::abs (std::max (ua, ub) * 0.5), 1e-300));
                ASSERT_NEAR (logs[static_cast<size_t> (p)][static_cast<size_t> (t)], expected, 1e-11) << "frame " << start + static_cast<size_t> (t) << " phase " << p;
            }
        }

        start += static_cast<size_t> (n);
    }
}

TEST (BlockFilters, KeyInterpolatorsSenseTheLogOfTheZeroStuffedShiftRegister)
{
    expectKeyInterpolation<2> (FilterTables::lowpass32);
    expectKeyInterpolation<4> (FilterTables::lowpass64);
}

template <int F, size_t taps>
void expectGainDecimation (const std::array<double, taps>& table)
{
    GainDecimator<F> down (table);
    down.reset();
    ShiftRegister naive (asVector (table), 1.0);
    const auto g = randomSignal (3000, 6);
    std::vector<double> out (256);
    size_t frame = 0;

    // A reset decimator on unit gains gives one, to within the rounding of the taps' sum.
    for (int p = 0; p < F; ++p)
        down.phase (p)[0] = 1.0;
    down.template process<Isa> (1, out.data());
    ASSERT_NEAR (out[0], 1.0, 1e-15);
    for (int p = 0; p < F; ++p)
        naive.process (1.0);

    for (size_t s = 0; F * frame < g.size(); ++s)
    {
        const int n = std::min (splits[s % splits.size()], static_cast<int> (g.size() / F - frame));

        for (int t = 0; t < n; ++t)
            for (int p = 0; p < F; ++p)
                down.phase (p)[t] = g[F * (frame + static_cast<size_t> (t)) + static_cast<size_t> (p)];

        down.template process<Isa> (n, out.data());

        for (int t = 0; t < n; ++t)
        {
            const size_t first = F * (frame + static_cast<size_t> (t));
            ASSERT_NEAR (out[static_cast<size_t> (t)], naive.process (g[first]), 1e-13) << "frame " << frame + static_cast<size_t> (t);

            for (int p = 1; p < F; ++p)
                naive.process (g[first + static_cast<size_t> (p)]);
        }

        frame += static_cast<size_t> (n);
    }
}

TEST (BlockFilters, GainDecimatorsMatchEveryFthShiftRegisterOutputAndStartAtUnity)
{
    expectGainDecimation<2> (FilterTables::lowpass32);
    expectGainDecimation<4> (FilterTables::lowpass64);
}

TEST (BlockFilters, ResetClearsTheHistoryAndKeepsTheTaps)
{
    HalfBandInterpolator up (halfBand);
    const auto x = randomSignal (300, 7);
    std::vector<double> first (4 * 128), second (4 * 128);
    const auto run = [&] (std::vector<double>& out)
    {
        up.process<Isa> (x.data(), x.data() + 100, 100, &out[0], &out[128], &out[256], &out[384]);
    };

    run (first);
    run (second);
    up.reset();
    run (second);
    EXPECT_EQ (first, second);
}

TEST (BlockFilters, VectorLogAndExpAreWithinAFewUlpOfTheLibrary)
{
    std::mt19937 rng (8);
    std::uniform_real_distribution<double> exponent (-300.0, 300.0);
    std::uniform_real_distribution<double> nepers (-690.0, 1.0);

    for (int i = 0; i < 20000; ++i)
    {
        const double x = std::pow (10.0, exponent (rng));
        const double y = nepers (rng);
        const double log = Isa::log (Isa::broadcast (x))[0];
        const double exp = Isa::exp (Isa::broadcast (y))[0];
        ASSERT_NEAR (log, std::log (x), 4e-16 * std::max (1.0, std::abs (std::log (x)))) << x;
        ASSERT_NEAR (exp, std::exp (y), 4e-16 * std::exp (y)) << y;
    }
}

TEST (BlockFilters, SoftplusSegmentsHoldWithinAWholeSegmentOfTheirCentre)
{
    const SoftplusTable table;
    double worst = 0.0;

    for (int i = 0; i < SoftplusTable::segments; ++i)
    {
        const auto& c = table.segment (static_cast<std::uint32_t> (i)).c;
        const double centre = static_cast<double> (i) / SoftplusTable::segmentsPerNeper + SoftplusTable::lowestNeper;

        for (double r = -1.0; r <= 1.0; r += 1.0 / 16.0)
        {
            const double u = centre + r / SoftplusTable::segmentsPerNeper;
            const double poly = c[0] + r * (c[1] + r * (c[2] + r * (c[3] + r * (c[4] + r * c[5]))));
            worst = std::max (worst, std::abs (poly - std::log1p (std::exp (u))));
        }
    }

    EXPECT_LT (worst, 3e-11);
    EXPECT_EQ (table.segment (SoftplusTable::zeroSegment).c[0], 0.0);
}
