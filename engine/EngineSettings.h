#pragma once

/** Every setting of the compressor in its natural unit, as the engine holds it. The
    defaults are a fresh engine's: no reduction and a silent output until the output
    gain is set. */
struct EngineSettings
{
    double thresholdDb = 0.0;
    double kneeDb = 0.0;            // half width of the soft knee
    double ratioSlope = 1.0;        // output slope above the threshold: 1 passes, 0 limits
    bool peakFollowsRatio = false;  // the peak path compresses at the ratio, or limits
    double crestDb = 8.0;           // the peak path's threshold above the threshold
    double attackMs = 10.0;         // the RMS level's averaging time follows it
    double releasePeakMs = 20.0;
    double releaseRmsMs = 40.0;
    double keyHpHz = 30.0;
    int keySlope = 0;               // KeyFilter::Slope
    double stereoDiff = 0.0;        // 0 linked mid key .. 1 per-channel key
    double makeupGain = 1.0;        // linear
    double dryGain = 1.0;           // linear
    double outputGain = 0.0;        // linear
    bool precise = false;           // 4x detector (Precise), else 2x (Eco)
    bool delta = false;             // output only what the compression takes away
    bool bypass = false;            // output the dry signal, delayed by the latency
};
