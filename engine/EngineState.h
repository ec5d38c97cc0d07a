#pragma once

#include "BlockHistory.h"
#include "EngineChunk.h"
#include "FeedbackLoop.h"
#include "FilterTables.h"
#include "GainDecimator.h"
#include "HalfBandDecimator.h"
#include "HalfBandInterpolator.h"
#include "KeyFilter.h"
#include "KeyInterpolator.h"


/** Everything the block path carries from one chunk to the next, and the buffers of a
    chunk's intermediate signals. Fixed sizes, so nothing here allocates; reset() clears
    it all and leaves the key filter's coefficients as they are. */
class EngineState
{
public:
    static constexpr int dryLatency = 184;  // host frames of the oversampled path

    EngineState() noexcept;

    EngineState (const EngineState&) = delete;
    EngineState& operator= (const EngineState&) = delete;

    void reset() noexcept;

    /** A chunk's intermediate signals. */
    struct Buffers
    {
        static constexpr int host = EngineChunk::hostFrames;
        static constexpr int sub = EngineChunk::subFrames;

        alignas (64) double inL[host];
        alignas (64) double inR[host];
        alignas (64) double noise[host];
        alignas (64) double up0L[host];
        alignas (64) double up0R[host];
        alignas (64) double up1L[host];
        alignas (64) double up1R[host];
        alignas (64) double mid[sub];      // the key's mid and side, then the two key signals
        alignas (64) double side[sub];
        alignas (64) double subNoise[sub];
        alignas (64) double sensedLog[4][sub];
        alignas (64) double gainDb[4][sub];
        alignas (64) double gain[sub];
        alignas (64) double deltaL[host];
        alignas (64) double deltaR[host];
        alignas (64) double dryL[host];
        alignas (64) double dryR[host];
        alignas (64) double wideL[host];  // float blocks widened
        alignas (64) double wideR[host];
    };

    // The noise offsets, between -190 and -170 dB: far below audibility, but enough to
    // keep the detector's inputs off exact zero. Frame k after a reset takes entry k & 255.
    double noiseTable[256];
    int noiseIndex;
    double lastGain;  // the newest gain of the last chunk

    HalfBandInterpolator upsampler;
    HalfBandDecimator downsampler;
    KeyFilter keyFilter;
    KeyInterpolator<2> keyUpByTwo;
    KeyInterpolator<4> keyUpByFour;
    GainDecimator<2> gainDownByTwo;
    GainDecimator<4> gainDownByFour;
    FeedbackLoop feedbackLoop;
    // The key delay of 16 processing frames is 8 host frames of each phase: left and
    // right of phase 0, then of phase 1. At the host rate the first two delay the dry
    // signal and the audio under the delta alike by 8 frames.
    BlockHistory<8, EngineChunk::hostFrames> keyHistory[4];
    BlockHistory<dryLatency, EngineChunk::hostFrames> dryHistory[2];
    Buffers buffers;
};
