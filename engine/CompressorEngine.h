#pragma once

#include "EngineParams.h"
#include "EngineSettings.h"
#include "EngineState.h"
#include "Kernel.h"

/** The compressor's whole signal path, a block of host frames at a time.

    The detection stage turns the input into the delta signal (gain - 1) x delayed
    input; the mix adds it back to the equally delayed dry signal, so Bypass and the
    dry path never pass through a filter. Below 88200 Hz the audio runs 2x oversampled
    through half-band filters (latency 184 host frames), otherwise at the host rate
    (latency 8 frames).

    Each setting has one setter, which stores the value in its natural unit and
    updates what depends on it, the way a DSP class keeps its coefficients in step.
    Everything here runs on the audio thread: settings change between blocks. The
    process calls never allocate, lock or block. */
class CompressorEngine
{
public:
    static constexpr int oversampledLatency = EngineState::dryLatency;
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

    /** True when the audio at this host rate runs oversampled. */
    static bool usesOversampling (double hostRate) noexcept { return hostRate < oversamplingBelowRate; }

    /** Latency in host frames at this host rate. */
    static int latencyForRate (double hostRate) noexcept
    {
        return usesOversampling (hostRate) ? oversampledLatency : plainLatency;
    }

    /** Recomputes rates and coefficients for a host rate in Hz; state is kept. */
    void setSampleRate (double hostRate) noexcept;

    /** Clears every delay, filter history, envelope and the noise position; settings
        and coefficients are kept. */
    void reset() noexcept;

    /** Processes numFrames host frames of the two channels in place, at any block size:
        the output does not depend on how a signal is split into blocks. */
    Readings process (float* left, float* right, int numFrames) noexcept;
    Readings process (double* left, double* right, int numFrames) noexcept;

    /** Every setting through its setter. The quality goes first: its rate change also
        sets the slow RMS release, which Release RMS then sets as the fields say. */
    void setSettings (const EngineSettings& s) noexcept;

    void setThresholdDb (double db) noexcept;
    void setKneeDb (double halfWidthDb) noexcept;
    void setRatioSlope (double slope) noexcept;
    void setPeakFollowsRatio (bool follows) noexcept;
    void setCrestDb (double db) noexcept;
    void setAttackMs (double ms) noexcept;
    void setReleasePeakMs (double ms) noexcept;
    void setReleaseRmsMs (double ms) noexcept;
    void setKeyHpHz (double hz) noexcept;
    void setKeySlope (int slope) noexcept;
    void setStereoDiff (double diff) noexcept;
    void setMakeupGain (double gain) noexcept;
    void setDryGain (double gain) noexcept;
    void setOutputGain (double gain) noexcept;
    void setPrecise (bool precise) noexcept;
    void setDelta (bool delta) noexcept;
    void setBypass (bool bypass) noexcept;

    const EngineSettings& getSettings() const noexcept { return params.settings; }

    /** The settings with the rates and the curve the block path reads. */
    const EngineParams& getParams() const noexcept { return params; }

private:
    using ChunkProcessor = void (*) (const EngineParams&, EngineState&, double*, double*, int) noexcept;

    static ChunkProcessor chunkProcessorFor (Kernel kernel) noexcept;

    double timeCoef (double ms) const noexcept;
    void updateCurve() noexcept;
    void updateAttack() noexcept;
    void updateReleasePeak() noexcept;
    void updateReleaseRms() noexcept;
    void updateRates() noexcept;
    void updateKeyFilter() noexcept;
    Readings readings() const noexcept;

    EngineParams params;
    EngineState state;
    ChunkProcessor processChunk;
};
