#pragma once

#include "FilterTables.h"
#include "GainDetector.h"
#include "KeyFilterStage.h"
#include "RelaxedAtomic.h"
#include "StereoDelay.h"
#include "StereoFir.h"

#include <array>
#include <cstdint>

/** The compressor's whole signal path for one stereo frame at a time.

    The detection stage turns the input into the delta signal (gain - 1) x delayed
    input; the mix adds it back to the equally delayed dry signal, so Bypass and the
    dry path never pass through a filter. Below 88200 Hz the audio runs 2x oversampled
    through half-band filters (latency 184 host frames), otherwise at the host rate
    (latency 8 frames).

    Parameter setters and field writes may come from another thread than the audio
    one; each takes effect from the next frame. The process calls never allocate, lock
    or block. */
class CompressorEngine
{
public:
    static constexpr int oversampledLatency = 184;
    static constexpr int plainLatency = 8;
    static constexpr double oversamplingBelowRate = 88200.0;

    CompressorEngine();

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

    /** Whether the process calls use FusedMaths: true when the processor has AVX2 and
        FMA. Tests clear it to check the library path; nothing else writes it. */
    static bool fusedMaths;

    // The half-band taps come first: the audio filters are built over them.
    std::array<double, FilterTables::halfBandLength> halfBandTaps;

    GainDetector detector;
    KeyFilterStage::Bank keyStages;
    StereoDelay dryDelay;   // dry signal of the oversampled path
    StereoDelay keyDelay;   // audio inside the detection stage; the dry signal in the plain path
    StereoFir upsampler;
    StereoFir downsampler;
    RelaxedAtomic<double> processRate { 88200.0 };   // Hz, rate of the detection stage
    RelaxedAtomic<int> precise { 0 };
    RelaxedAtomic<bool> deltaOn { false };
    RelaxedAtomic<bool> bypassOn { false };
    RelaxedAtomic<bool> peakFollowsRatio { false };
    RelaxedAtomic<int> keySlope { 0 };
    RelaxedAtomic<double> keyHpHz { 30.0 };
    RelaxedAtomic<double> thresholdDb { 0.0 };
    RelaxedAtomic<double> ratioSlope { 1.0 };        // output slope above threshold: 1 - normalized ratio
    RelaxedAtomic<double> kneeDb { 0.0 };            // knee half width
    RelaxedAtomic<double> makeupGain { 1.0 };        // linear
    RelaxedAtomic<double> dryGain { 1.0 };           // linear
    RelaxedAtomic<double> attackMs { 10.0 };
    RelaxedAtomic<double> stereoDiff { 0.0 };        // 0 linked mid key .. 1 per-channel key
    RelaxedAtomic<double> outputGain { 0.0 };        // linear; silent until the processor sets it
    std::array<double, 256> noiseTable;  // offsets between -190 and -170 dB
    int noiseIndex = 0;

private:
    /** detectStage with the log and exp of Maths and with work that does not depend on
        this stage's gain run inside the detector, between its evaluations. */
    template <typename Maths, typename Work>
    [[gnu::always_inline]] void detectStage (double& x, double& y, double& gain, double n, Work&& alongside) noexcept;

    template <typename Maths>
    [[gnu::always_inline]] void processPlainWith (double& left, double& right, double& gain, double& peakDb, double& rmsDb) noexcept;

    template <typename Maths>
    [[gnu::always_inline]] void processOversampledWith (double& left, double& right, double& gain, double& peakDb, double& rmsDb) noexcept;

    // The whole frame compiled for AVX2 and FMA, around the inline FusedMaths.
    [[gnu::target ("avx2,fma")]] void processPlainFused (double& left, double& right, double& gain, double& peakDb, double& rmsDb) noexcept;
    [[gnu::target ("avx2,fma")]] void processOversampledFused (double& left, double& right, double& gain, double& peakDb, double& rmsDb) noexcept;

    double nextNoise() noexcept;
    void refreshLevelTime() noexcept;
    void applyDetectorRate() noexcept;
    void mix (double& left, double& right, double deltaL, double deltaR, double dryL, double dryR) const noexcept;
    void publish (double& peakDb, double& rmsDb) const noexcept;
    void fillNoiseTable() noexcept;
};
