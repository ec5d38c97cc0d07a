#pragma once

#include "BlockHistory.h"
#include "EngineChunk.h"
#include "FilterTables.h"
#include "WindowedSum.h"

#include <array>

/** 2x decimation of the stereo delta signal by the 352-tap half-band filter, a block
    at a time: each output frame is the centre tap on the frame of phase 0 88 frames
    back plus the 176 odd taps on the phase-1 frames before it: the full filter evaluated
    at every second frame, without its zero taps. */
class HalfBandDecimator
{
public:
    static constexpr int oddTaps = FilterTables::halfBandLength / 2;
    static constexpr int centreDelay = FilterTables::halfBandLength / 4;

    explicit HalfBandDecimator (const std::array<double, FilterTables::halfBandLength>& taps) noexcept;

    void reset() noexcept;

    /** Where the caller writes the chunk's frames of each phase and channel. */
    [[gnu::always_inline]] double* phase0 (int channel) noexcept { return even[channel].chunk(); }
    [[gnu::always_inline]] double* phase1 (int channel) noexcept { return odd[channel].chunk(); }

    /** Decimates the n frames of each phase written through phase0 and phase1. */
    template <typename Isa>
    void process (int n, double* outL, double* outR) noexcept
    {
        // Output i reads phase-1 frames i - 1 back to i - 176.
        WindowedSum<Isa, oddTaps>::run (oddPart, odd[0].chunk() - 1, odd[1].chunk() - 1, n, outL, outR);

        const double* el = even[0].chunk();
        const double* er = even[1].chunk();

        for (int i = 0; i < n; ++i)
        {
            outL[i] = centreTap * el[i - centreDelay] + outL[i];
            outR[i] = centreTap * er[i - centreDelay] + outR[i];
        }

        for (int c = 0; c < 2; ++c)
        {
            even[c].retire (n);
            odd[c].retire (n);
        }
    }

private:
    double centreTap;
    PaddedTaps<oddTaps> oddPart;  // h[2j + 1], j < 176
    BlockHistory<centreDelay, EngineChunk::hostFrames> even[2];
    BlockHistory<oddTaps, EngineChunk::hostFrames> odd[2];
};
