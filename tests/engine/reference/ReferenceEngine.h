#pragma once

#include "CompressorEngine.h"

#include <cmath>
#include <deque>
#include <vector>

/** The compressor's per-frame definition, written plainly: the oracle the block engine
    must agree with. It forms its own rates, curve, time constants and key filter from
    the settings and the host rate, so that a wrong coefficient in the engine shows.

    Every filter is a shift register summing all its taps, zero-stuffed ones included;
    every delay is a queue. */
class ReferenceEngine
{
public:
    ReferenceEngine();

    void reset();

    /** n host frames in place, one by one, with these settings at this host rate. */
    CompressorEngine::Readings process (const EngineSettings& settings, double hostRate, double* left, double* right, int n);

private:
    /** A FIR over one signal: push a sample, sum every tap. */
    struct ShiftRegister
    {
        ShiftRegister (std::vector<double> taps, double fill);
        double push (double x);
        void reset();

        std::vector<double> taps;
        std::vector<double> samples;  // the last N twice over: the newest at head, older ones after it
        size_t head = 0;
        double fill;
    };

    /** Returns what went in `length` pushes earlier. */
    struct Delay
    {
        explicit Delay (size_t length);
        double push (double x);
        void reset();

        std::deque<double> samples;
    };

    struct Stage
    {
        double midX1 = 0.0, midY1 = 0.0, sideX1 = 0.0, sideY1 = 0.0;
    };

    /** A first-order high-pass: y = b0 x + b1 x[-1] + a1 y[-1]. */
    struct HighPass
    {
        double b0, b1, a1;
    };

    void design (const EngineSettings& settings, double hostRate);
    void frame (double& left, double& right);
    /** One frame of the detection stage: (x, y) = (right, left) in, the delta out. */
    void detectStage (double& x, double& y, double n);
    double detectorFrame (double k1, double k2, double n);
    double evaluate (double a, double b, double n);

    // What the settings of the current call mean at its rate.
    EngineSettings s;
    bool oversampling = true;
    double peakAttack = 0.0, peakRelease = 0.0, rmsAttack1 = 0.0, rmsAttack2 = 0.0;
    double rmsRelease1 = 0.0, rmsRelease2 = 0.0, levelCoef = 0.0;
    HighPass midHp[KeyFilter::stageCount] {}, sideHp[KeyFilter::stageCount] {};
    int stagesUsed = 1;
    double lastHostRate = 0.0, lastReleaseRmsMs = NAN, slowReleaseTimes = 4.0;
    bool lastPrecise = false;

    ShiftRegister upL, upR, downL, downR;
    ShiftRegister keyUp2a, keyUp2b, keyUp4a, keyUp4b, gainDown2, gainDown4;
    Delay dryL, dryR;          // 184 host frames, oversampled path
    Delay audioL, audioR;      // 16 sub-frames in the detection stage, oversampled path
    Delay plainL, plainR;      // 8 host frames, the plain path's dry and delta alike
    Stage stages[KeyFilter::stageCount];
    double noise[256];
    int noiseIndex = 0;
    double gain = 1.0;

    double previousGain = 1.0, averageLevel2Db = -60.0, peakEnvDb = 0.0, rmsEnvDb1 = 0.0, rmsEnvDb2 = 0.0;
    double peakGainDb = -60.0, rmsGainDb = 0.0;
};
