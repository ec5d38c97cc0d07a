#pragma once

#include "BlockHistory.h"
#include "EngineChunk.h"
#include "FeedbackLoop.h"
#include "FilterTables.h"
#include "GainDecimator.h"
#include "GainDetector.h"
#include "HalfBandDecimator.h"
#include "HalfBandInterpolator.h"
#include "Kernel.h"
#include "KeyFilterStage.h"
#include "KeyInterpolator.h"
#include "StereoDelay.h"
#include "StereoFir.h"

#include <array>
#include <cstdint>

/** The compressor's whole signal path, a block of host frames at a time.

    The detection stage turns the input into the delta signal (gain - 1) x delayed
    input; the mix adds it back to the equally delayed dry signal, so Bypass and the
    dry path never pass through a filter. Below 88200 Hz the audio runs 2x oversampled
    through half-band filters (latency 184 host frames), otherwise at the host rate
    (latency 8 frames).

    process() is the audio path: it reads the parameters once per block, runs the parts
    that do not depend on the detector's previous gain across the block, vectorised, and
    leaves only the gain computer itself in a serial loop. processPlain and
    processOversampled are the same path written frame by frame: its definition, kept
    as the block path's reference. The two keep separate state; drive an engine through
    one of them.

    Everything here runs on the audio thread: parameter changes are applied between
    blocks. The process calls never allocate, lock or block. */
class CompressorEngine
{
public:
    static constexpr int oversampledLatency = 184;
    static constexpr int plainLatency = 8;
    static constexpr double oversamplingBelowRate = 88200.0;

    /** What the meters read after a block: its last frame's gain (linear; in the
        oversampled path the gain of the second sub-frame) and the detector's peak and
        RMS path gains in dB. */
    struct Readings
    {
        double gain;
        double peakDb;
        double rmsDb;
    };

    /** Builds an engine whose block path runs the given instruction set (the widest
        this processor has, by default or when it lacks the one asked for); the choice is
        kept for the engine's life. */
    explicit CompressorEngine (Kernel kernel = fastestKernel());

    CompressorEngine (const CompressorEngine&) = delete;
    CompressorEngine& operator= (const CompressorEngine&) = delete;

    /** True when frames at this host rate go through processOversampled. */
    static bool usesOversampling (double hostRate) noexcept { return hostRate < oversamplingBelowRate; }

    /** Latency in host frames at this host rate. */
    static int latencyForRate (double hostRate) noexcept
    {
        return usesOversampling (hostRate) ? oversampledLatency : plainLatency;
    }

    /** Recomputes rates and coefficients for a host rate in Hz; state is kept. */
    void setSampleRate (double hostRate) noexcept;

    /** Clears every delay, filter history, envelope and the noise position;
        parameters and coefficients are kept. */
    void reset() noexcept;

    /** Processes numFrames host frames of the two channels in place, at any block size:
        the output does not depend on how a signal is split into blocks. */
    Readings process (float* left, float* right, int numFrames) noexcept;
    Readings process (double* left, double* right, int numFrames) noexcept;

    /** One host frame at host rates of 88200 Hz and above. left/right are replaced by
        the output; gain (linear), peakDb and rmsDb receive the detector's readings. */
    void processPlain (double& left, double& right, double& gain, double& peakDb, double& rmsDb) noexcept;

    /** One host frame at host rates below 88200 Hz, the audio oversampled 2x. */
    void processOversampled (double& left, double& right, double& gain, double& peakDb, double& rmsDb) noexcept;

    /** One frame of the detection stage at processRate: x carries the right and y the
        left channel; both are replaced by the delta signal and gain receives the gain. */
    void detectStage (double& x, double& y, double& gain, double n) noexcept;

    /** Pushes threshold, knee, ratio and the Peak Ratio switch into the detector. */
    void updateCurve() noexcept;

    /** Recomputes the key filter's coefficients from keySlope, keyHpHz, processRate. */
    void updateKeyFilter() noexcept;

    /** Sets keySlope from a normalized slope value and updates the key filter. */
    void setKeySlope (float normalizedSlope) noexcept;

    /** Attack time in ms; the RMS level averaging time follows it. */
    void setAttack (double ms) noexcept;

    /** Peak release time in ms. */
    void setReleasePeak (double ms) noexcept;

    /** 1 = Precise (4x detector), 0 = Eco (2x detector). */
    void setQuality (int precise) noexcept;

    // The half-band taps come first: the audio filters are built over them.
    std::array<double, FilterTables::halfBandLength> halfBandTaps;

    GainDetector detector;
    KeyFilterStage::Bank keyStages;
    StereoDelay dryDelay;   // dry signal of the oversampled path
    StereoDelay keyDelay;   // audio inside the detection stage; the dry signal in the plain path
    StereoFir upsampler;
    StereoFir downsampler;
    double processRate = 88200.0;  // Hz, rate of the detection stage
    bool oversampling = true;      // whether the audio runs at twice the host rate
    int precise = 0;
    bool deltaOn = false;
    bool bypassOn = false;
    bool peakFollowsRatio = false;
    int keySlope = 0;
    double keyHpHz = 30.0;
    double thresholdDb = 0.0;
    double ratioSlope = 1.0;       // output slope above threshold: 1 - normalized ratio
    double kneeDb = 0.0;           // knee half width
    double makeupGain = 1.0;       // linear
    double dryGain = 1.0;          // linear
    double attackMs = 10.0;
    double stereoDiff = 0.0;       // 0 linked mid key .. 1 per-channel key
    double outputGain = 0.0;       // linear; silent until the processor sets it
    std::array<double, 256> noiseTable;  // offsets between -190 and -170 dB
    int noiseIndex = 0;

    // The block path's state, apart from the per-frame path's above.
    HalfBandInterpolator blockUpsampler;
    HalfBandDecimator blockDownsampler;
    KeyInterpolator<2> keyUpByTwo;
    KeyInterpolator<4> keyUpByFour;
    GainDecimator<2> gainDownByTwo;
    GainDecimator<4> gainDownByFour;
    FeedbackLoop feedbackLoop;
    // The key delay of 16 processing frames is 8 host frames of each phase: left and
    // right of phase 0, then of phase 1. The plain path uses the first two for its
    // 8-frame delay of dry and delta alike.
    BlockHistory<8, EngineChunk::hostFrames> keyHistory[4];
    BlockHistory<oversampledLatency, EngineChunk::hostFrames> dryHistory[2];
    int blockNoiseIndex = 0;
    double blockGain = 1.0;

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
        alignas (64) double key1[sub];
        alignas (64) double key2[sub];
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

    Buffers buffers;

private:
    using ChunkProcessor = void (CompressorEngine::*) (double*, double*, int) noexcept;

    // One per instruction set, each in a file built for it.
    void processChunkSse2 (double* left, double* right, int n) noexcept;
    void processChunkAvx2 (double* left, double* right, int n) noexcept;
    void processChunkAvx512 (double* left, double* right, int n) noexcept;

    static ChunkProcessor chunkProcessorFor (Kernel kernel) noexcept;

    ChunkProcessor processChunk;

    double nextNoise() noexcept;
    void refreshLevelTime() noexcept;
    void applyDetectorRate() noexcept;
    void mix (double& left, double& right, double deltaL, double deltaR, double dryL, double dryR) const noexcept;
    void publish (double& peakDb, double& rmsDb) const noexcept;
    void fillNoiseTable() noexcept;
};
