#include "FilterTables.h"
#include "StereoFir.h"

#include <gtest/gtest.h>

#include <cmath>
#include <deque>
#include <random>
#include <utility>
#include <vector>

namespace
{
/** The plain shift-register FIR the real one must agree with. */
class NaiveFir
{
public:
    NaiveFir (std::vector<double> c, double fill) : coefs (std::move (c)), frames (coefs.size(), { fill, fill }) {}

    void push (double a, double b)
    {
        frames.pop_back();
        frames.push_front ({ a, b });
    }

    /** Pushes, then sums the taps for which include(k) holds. */
    template <typename Predicate>
    std::pair<double, double> process (double a, double b, Predicate include)
    {
        push (a, b);
        std::pair<double, double> sum { 0.0, 0.0 };

        for (size_t k = 0; k < coefs.size(); ++k)
        {
            if (include (static_cast<int> (k)))
            {
                sum.first += coefs[k] * frames[k].first;
                sum.second += coefs[k] * frames[k].second;
            }
        }

        return sum;
    }

    std::vector<double> coefs;
    std::deque<std::pair<double, double>> frames;
};

std::vector<double> randomCoefs (int n, std::mt19937& rng)
{
    std::uniform_real_distribution<double> dist (-1.0, 1.0);
    std::vector<double> c (static_cast<size_t> (n));
    for (auto& v : c)
        v = dist (rng);
    return c;
}

/** Random taps mirrored about n / 2 with tap 0 at zero, like the engine's tables: the
    filter then sums mirrored frames before multiplying. */
std::vector<double> mirroredCoefs (int n, std::mt19937& rng)
{
    auto c = randomCoefs (n, rng);
    c[0] = 0.0;
    for (int k = 1; k < n; ++k)
        c[static_cast<size_t> (n - k)] = c[static_cast<size_t> (k)];
    return c;
}

enum class Operation { push, full, even, odd, phase, centre, halfBand, mono, count };

void expectNaiveAgreement()
{
    std::mt19937 rng (7);
    std::uniform_real_distribution<double> signal (-1.0, 1.0);
    std::uniform_int_distribution<int> pick (0, static_cast<int> (Operation::count) - 1);

    std::vector<std::vector<double>> tables;

    for (const int n : { 28, 30, 31, 32, 64, 352 })
    {
        tables.push_back (randomCoefs (n, rng));
        tables.push_back (mirroredCoefs (n, rng));
    }

    // The audio half-band keeps its odd taps' frames in runs of their own.
    const auto halfBand = FilterTables::designHalfBand();
    tables.emplace_back (halfBand.begin(), halfBand.end());

    for (const auto& coefs : tables)
    {
        const int n = static_cast<int> (coefs.size());
        SCOPED_TRACE (testing::Message() << n << (coefs[0] == 0.0 ? " mirrored" : " random") << " taps");
        StereoFir fir (n, coefs.data(), 0.25);
        NaiveFir naive (coefs, 0.25);
        const int centre = n / 2;

        for (int step = 0; step < 4000; ++step)
        {
            const double a = signal (rng);
            const double b = signal (rng);
            auto op = static_cast<Operation> (pick (rng));
            if (op == Operation::halfBand && n % 4 != 0)
                op = Operation::odd;  // the half-band sum needs an even centre tap

            const int phase = step % 4;

            if (op == Operation::push)
            {
                fir.push (a, b);
                naive.push (a, b);
                continue;
            }

            double outA = a;
            double outB = b;
            std::pair<double, double> expected;

            switch (op)
            {
                case Operation::full:     fir.processFull (outA, outB);          expected = naive.process (a, b, [] (int) { return true; }); break;
                case Operation::even:     fir.processEven (outA, outB);          expected = naive.process (a, b, [] (int k) { return k % 2 == 0; }); break;
                case Operation::odd:      fir.processOdd (outA, outB);           expected = naive.process (a, b, [] (int k) { return k % 2 == 1; }); break;
                case Operation::phase:    fir.processPhase (phase, outA, outB);  expected = naive.process (a, b, [=] (int k) { return k % 4 == phase; }); break;
                case Operation::centre:   fir.processCentre (outA, outB);        expected = naive.process (a, b, [=] (int k) { return k == centre; }); break;
                case Operation::mono:     outA = outB = fir.processFullMono (a); expected = naive.process (a, a, [] (int) { return true; }); expected.second = expected.first; break;
                default:                  fir.processHalfBand (outA, outB);      expected = naive.process (a, b, [=] (int k) { return k == centre || k % 2 == 1; }); break;
            }

            ASSERT_NEAR (outA, expected.first, 1e-12) << "step " << step;
            ASSERT_NEAR (outB, expected.second, 1e-12) << "step " << step;
        }
    }
}
} // namespace

TEST (StereoFir, EvaluationsMatchANaiveShiftRegister)
{
    expectNaiveAgreement();
}

TEST (StereoFir, WholeInterpolationStepsMatchThePhaseByPhaseEvaluations)
{
    std::mt19937 rng (11);
    std::uniform_real_distribution<double> signal (-1.0, 1.0);

    for (const int n : { 28, 30, 31, 32, 64 })
    {
        SCOPED_TRACE (testing::Message() << n << " taps");
        const auto coefs = randomCoefs (n, rng);
        StereoFir byTwo (n, coefs.data(), 0.5);
        StereoFir byFour (n, coefs.data(), 0.5);
        NaiveFir naiveTwo (coefs, 0.5);
        NaiveFir naiveFour (coefs, 0.5);

        for (int step = 0; step < 300; ++step)
        {
            const double x = signal (rng);
            const double y = signal (rng);

            double a = x, b = y, a1 = 7.0, b1 = 7.0;
            byTwo.interpolateByTwo (a, b, a1, b1);
            const auto even = naiveTwo.process (x, y, [] (int k) { return k % 2 == 0; });
            const auto odd = naiveTwo.process (0.0, 0.0, [] (int k) { return k % 2 == 1; });
            ASSERT_NEAR (a, even.first, 1e-12) << "step " << step;
            ASSERT_NEAR (b, even.second, 1e-12) << "step " << step;
            ASSERT_NEAR (a1, odd.first, 1e-12) << "step " << step;
            ASSERT_NEAR (b1, odd.second, 1e-12) << "step " << step;

            double fa[4] = { x, 7.0, 7.0, 7.0 };
            double fb[4] = { y, 7.0, 7.0, 7.0 };
            byFour.interpolateByFour (fa, fb);

            for (int p = 0; p < 4; ++p)
            {
                const auto phase = naiveFour.process (p == 0 ? x : 0.0, p == 0 ? y : 0.0, [=] (int k) { return k % 4 == p; });
                ASSERT_NEAR (fa[p], phase.first, 1e-12) << "step " << step << " phase " << p;
                ASSERT_NEAR (fb[p], phase.second, 1e-12) << "step " << step << " phase " << p;
            }
        }
    }
}

TEST (StereoFir, ImpulseThroughFullEvaluationReproducesTheTaps)
{
    const auto taps = FilterTables::designHalfBand();
    StereoFir fir (FilterTables::halfBandLength, taps.data(), 0.0);

    for (size_t k = 0; k < taps.size(); ++k)
    {
        double a = k == 0 ? 1.0 : 0.0;
        double b = k == 0 ? -1.0 : 0.0;
        fir.processFull (a, b);
        ASSERT_EQ (a, taps[k]) << "tap " << k;
        ASSERT_EQ (b, -taps[k]) << "tap " << k;
    }
}

TEST (StereoFir, ResetRefillsTheHistoryAndKeepsTheCoefficients)
{
    StereoFir fir (32, FilterTables::lowpass32.data(), 1.0);

    for (int i = 0; i < 50; ++i)
        fir.push (0.3 * i, -0.1 * i);

    fir.reset();
    EXPECT_EQ (fir.writeIndex, 0);

    // A decimator over a history of ones passes a steady unity gain unchanged.
    for (int i = 0; i < 40; ++i)
    {
        double a = 1.0;
        double b = 1.0;
        fir.processFull (a, b);
        ASSERT_NEAR (a, 1.0, 1e-15);
        ASSERT_NEAR (b, 1.0, 1e-15);
    }

    EXPECT_EQ (fir.laneCoefs[2 * 16], FilterTables::lowpass32[16]);
    EXPECT_EQ (fir.laneCoefs[2 * 16 + 1], FilterTables::lowpass32[16]);
}

TEST (StereoFir, InterpolatorPhasesReconstructAConstant)
{
    const auto halfBand = FilterTables::designHalfBand();
    StereoFir up2 (FilterTables::halfBandLength, halfBand.data(), 0.0);
    StereoFir key2 (32, FilterTables::lowpass32.data(), 0.0);
    StereoFir key4 (64, FilterTables::lowpass64.data(), 0.0);

    for (int frame = 0; frame < 400; ++frame)
    {
        double a0 = 2.0, b0 = -2.0, a1 = 0.0, b1 = 0.0;
        up2.processCentre (a0, b0);
        up2.processHalfBand (a1, b1);

        double c0 = 2.0, d0 = 2.0, c1 = 0.0, d1 = 0.0;
        key2.processEven (c0, d0);
        key2.processOdd (c1, d1);

        double e[4] = { 4.0, 0.0, 0.0, 0.0 };
        double f[4] = { 4.0, 0.0, 0.0, 0.0 };
        for (int p = 0; p < 4; ++p)
            key4.processPhase (p, e[p], f[p]);

        if (frame < 176)
            continue;

        SCOPED_TRACE (frame);
        EXPECT_NEAR (a0, 1.0, 1e-7);
        EXPECT_NEAR (b0, -1.0, 1e-7);
        EXPECT_NEAR (a1, 1.0, 1e-7);
        EXPECT_NEAR (b1, -1.0, 1e-7);
        EXPECT_NEAR (c0, 1.0, 8e-7);
        EXPECT_NEAR (c1, 1.0, 8e-7);

        for (int p = 0; p < 4; ++p)
            EXPECT_NEAR (e[p], 1.0, 1e-5) << "phase " << p;
    }
}
