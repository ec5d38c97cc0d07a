#pragma once

#include "BlockHistory.h"
#include "EngineChunk.h"
#include "FilterTables.h"
#include "WindowedSum.h"

#include <array>

/** 2x interpolation of the stereo input by the 352-tap half-band filter, a block at a
    time. Phase 0 (the input's own instants) meets only the centre tap, phase 1 only
    the 176 odd taps: the filter over the zero-stuffed input, without the taps that
    meet only its stuffed zeros or its zero coefficients. */
class HalfBandInterpolator
{
public:
    static constexpr int oddTaps = FilterTables::halfBandLength / 2;  // 176
    static constexpr int span = oddTaps - 1;                          // frames the odd taps reach back
    static constexpr int centreDelay = FilterTables::halfBandLength / 4;  // the centre tap, in input frames

    explicit HalfBandInterpolator (const std::array<double, FilterTables::halfBandLength>& taps) noexcept;

    void reset() noexcept;

    /** n host frames (at most EngineChunk::hostFrames) in; the two phases out, each n
        long (the output arrays hold EngineChunk::hostFrames). */
    template <typename Isa>
    void process (const double* inL, const double* inR, int n, double* phase0L, double* phase0R,
                  double* phase1L, double* phase1R) noexcept
    {
        double* xl = left.chunk();
        double* xr = right.chunk();

        // The doubled input makes up for the stuffed zero.
        for (int i = 0; i < n; ++i)
        {
            xl[i] = 2.0 * inL[i];
            xr[i] = 2.0 * inR[i];
        }

        for (int i = 0; i < n; ++i)
        {
            phase0L[i] = centreTap * xl[i - centreDelay];
            phase0R[i] = centreTap * xr[i - centreDelay];
        }

        WindowedSum<Isa, oddTaps>::run (odd, xl, xr, n, phase1L, phase1R);
        left.retire (n);
        right.retire (n);
    }

private:
    double centreTap;
    PaddedTaps<oddTaps> odd;  // h[2j + 1], j < 176
    BlockHistory<span, EngineChunk::hostFrames> left;
    BlockHistory<span, EngineChunk::hostFrames> right;
};
