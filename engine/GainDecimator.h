#pragma once

#include "BlockHistory.h"
#include "EngineChunk.h"
#include "PhaseTaps.h"

#include <array>
#include <cstddef>

/** Decimation of the detector's linear gain by F (over the same table as the key
    interpolator), a block at a time: frame t's gain is sum c[k] g[F t - k] over the
    evaluation-rate gains, taken phase by phase: c[F j] on phase 0 of frame t - j and
    c[F j + r] on phase F - r of frame t - j - 1, in the table's order. The history
    starts at unity, so a reset detector returns 1, to within the rounding of the
    taps' sum. */
template <int F>
class GainDecimator
{
public:
    static constexpr std::size_t phases = F;
    static constexpr int framesPerPhase = PhaseTaps<F>::perPhase;

    explicit GainDecimator (const std::array<double, PhaseTaps<F>::tapCount>& table) noexcept : phaseTaps (table) {}

    void reset() noexcept
    {
        for (auto& phase : gains)
            phase.reset (1.0);
    }

    /** Where the caller writes the chunk's gains of evaluation phase p. */
    [[gnu::always_inline]] double* phase (int p) noexcept { return gains[p].chunk(); }

    /** Decimates the n frames written through phase(). */
    template <typename Isa>
    void process (int n, double* out) noexcept
    {
        using V = typename Isa::Vec;
        constexpr int w = Isa::width;

        for (int t = 0; t < n; t += w)
        {
            V sum {};

            for (int j = 0; j < framesPerPhase; ++j)
            {
                sum = Isa::fma (Isa::broadcast (phaseTaps (0, j)), Isa::load (gains[0].chunk() + t - j), sum);

                for (int r = 1; r < F; ++r)
                {
                    const V c = Isa::broadcast (phaseTaps (r, j));
                    sum = Isa::fma (c, Isa::load (gains[F - r].chunk() + t - j - 1), sum);
                }
            }

            Isa::store (out + t, sum);
        }

        for (auto& phase : gains)
            phase.retire (n);
    }

private:
    PhaseTaps<F> phaseTaps;
    BlockHistory<framesPerPhase, EngineChunk::subFrames> gains[phases];
};
