#pragma once

#include "BlockHistory.h"
#include "EngineChunk.h"
#include "PhaseTaps.h"

#include <array>
#include <cstddef>

/** Interpolation of the detector's key pair by F (2 for Eco over the 32-tap table, 4 for
    Precise over the 64-tap one), a block at a time, ending in what the feedback loop
    senses: for each of the F evaluations per frame, the log of half the larger signed
    key, log |max (a, b) / 2|. The loop adds the log of (1 + previous gain) to it.

    Phase p of frame t sums c[p + F j] F k[t - j] over j < 16: the filter over the
    zero-stuffed key, without the taps that meet only its stuffed zeros. */
template <int F>
class KeyInterpolator
{
public:
    static constexpr std::size_t phases = F;
    static constexpr int framesPerPhase = PhaseTaps<F>::perPhase;

    explicit KeyInterpolator (const std::array<double, PhaseTaps<F>::tapCount>& table) noexcept : phaseTaps (table) {}

    void reset() noexcept
    {
        a.reset (0.0);
        b.reset (0.0);
    }

    /** n frames of the key pair (k1, k2) in (at most EngineChunk::subFrames); sensedLog[p][t]
        out for every phase p. */
    template <typename Isa>
    void process (const double* k1, const double* k2, int n, double* const (&sensedLog)[phases]) noexcept
    {
        using V = typename Isa::Vec;
        constexpr int w = Isa::width;
        double* xa = a.chunk();
        double* xb = b.chunk();

        // F times the key makes up for the F - 1 stuffed zeros.
        for (int t = 0; t < n; ++t)
        {
            xa[t] = F * k1[t];
            xb[t] = F * k2[t];
        }

        for (int t = 0; t < n; t += w)
        {
            V sa[phases] {};
            V sb[phases] {};

            for (int j = 0; j < framesPerPhase; ++j)
            {
                const V va = Isa::load (xa + t - j);
                const V vb = Isa::load (xb + t - j);

                for (int p = 0; p < F; ++p)
                {
                    const V c = Isa::broadcast (phaseTaps (p, j));
                    sa[p] = Isa::fma (c, va, sa[p]);
                    sb[p] = Isa::fma (c, vb, sb[p]);
                }
            }

            for (int p = 0; p < F; ++p)
            {
                // The larger signed value, not the larger magnitude.
                const V m = sb[p] > sa[p] ? sb[p] : sa[p];
                const V half = Isa::max (m * 0.5, -(m * 0.5));
                Isa::store (sensedLog[p] + t, Isa::log (Isa::max (half, Isa::broadcast (smallestHalfKey))));
            }
        }

        a.retire (n);
        b.retire (n);
    }

private:
    // Far below the sensing floor, and its log is finite.
    static constexpr double smallestHalfKey = 1e-300;

    PhaseTaps<F> phaseTaps;
    BlockHistory<framesPerPhase - 1, EngineChunk::subFrames> a;
    BlockHistory<framesPerPhase - 1, EngineChunk::subFrames> b;
};
