#pragma once

#include "FilterTables.h"
#include "StereoFir.h"

#include <array>

/** The level detector and gain computer of the feedback compressor.

    It senses the key scaled by the mean of 1 and its own previous gain, runs a peak
    path and an averaged (RMS) path through the soft-knee curve and their envelopes,
    and returns the deeper reduction as a linear gain. The curve is evaluated on a key
    interpolated 2x (Eco) or 4x (Precise), and the gain is band-limited back down to one
    value per engine frame, 16 engine frames behind the key in both modes.

    Curve fields are written by the engine; times go through the setters, which keep
    the coefficients in step. Nothing here allocates after construction. */
class GainDetector
{
public:
    GainDetector();

    GainDetector (const GainDetector&) = delete;
    GainDetector& operator= (const GainDetector&) = delete;

    /** One step of the gain computer at the evaluation rate: key values a and b, and
        an offset c (dB) added to both targets. Returns the linear gain. */
    double evaluate (double a, double b, double c) noexcept;

    /** One engine frame with the key interpolated 2x. */
    double detectEco (double k1, double k2, double n) noexcept;

    /** One engine frame with the key interpolated 4x. */
    double detectPrecise (double k1, double k2, double n) noexcept;

    /** Clears envelopes, level and filter histories; times and curve are kept. */
    void reset() noexcept;

    /** Sets the rate the time constants refer to (half the evaluation rate) and
        recomputes every coefficient. */
    void setRate (double rate) noexcept;

    void setAttack (double ms) noexcept;
    void setReleasePeak (double ms) noexcept;
    void setReleaseRms (double ms) noexcept;

    /** One-pole coefficient for a time in ms at the evaluation rate; times of 0.01 ms
        and below act at once. */
    double timeCoef (double ms) const noexcept;

    /** The soft-knee curve: 0 below -kneeDb, the overshoot o above +kneeDb, a parabola
        between. */
    static double knee (double o, double kneeHalfWidthDb) noexcept
    {
        if (o < -kneeHalfWidthDb)
            return 0.0;
        if (o < kneeHalfWidthDb)
            return o * o / (4.0 * kneeHalfWidthDb) + 0.5 * o + 0.25 * kneeHalfWidthDb;
        return o;
    }

    double crestDb = 0.0;            // peak path threshold above the threshold
    double rmsGainDb = 0.0;          // output: RMS path gain
    double peakGainDb = -60.0;       // output: peak path gain
    double peakAttackCoef = 0.0;
    double rmsAttackCoef1 = 0.0;
    double peakReleaseCoef = 0.0;
    double rmsAttackCoef2 = 0.0;
    double rmsReleaseCoef1 = 0.0;
    double rmsReleaseCoef2 = 0.0;
    double levelMs = 8.0;            // averaging time of the RMS path's level
    double levelCoef = 0.0;
    double previousGain = 1.0;       // fed back into the sensing
    double averageLevel2Db = -60.0;  // twice the averaged level in dB
    double attackMs = 20.0;
    double releasePeakMs = 20.0;
    double releaseRmsMs = 40.0;
    double lowerKneeDb = 0.0;        // threshold minus knee half width
    double peakSlopeMinusOne = -1.0;
    double rmsSlopeMinusOne = 0.0;
    double kneeDb = 0.0;             // knee half width
    double detectorRate = 44100.0;
    double peakEnvDb = 0.0;
    double rmsEnvDb1 = 0.0;          // fast RMS envelope
    double rmsEnvDb2 = 0.0;          // slow RMS envelope

    // The tables come before the filters built over them: members construct in order.
    std::array<double, 32> lowpass32 = FilterTables::lowpass32;
    std::array<double, 64> lowpass64 = FilterTables::lowpass64;

    StereoFir keyUp2;
    StereoFir gainDown2;  // history of ones: a reset detector returns unity gain
    StereoFir keyUp4;
    StereoFir gainDown4;

private:
    /** The evolving values of the gain computer, copied into locals for the steps of a
        frame so the feedback loop runs in registers rather than through memory. */
    struct Envelopes
    {
        double previousGain;
        double averageLevel2Db;
        double peakEnvDb;
        double rmsEnvDb1;
        double rmsEnvDb2;
        double peakGainDb;
        double rmsGainDb;
    };

    /** The curve and timing fields as one frame's steps use them, read once per frame:
        the offsets and the knee's reciprocal are formed here, off the feedback loop. */
    struct Curve
    {
        double peakOffsetDb;   // crest + threshold: where the peak path's knee is centred
        double rmsOffsetDb;    // threshold
        double kneeDb;
        double quarterOverKnee;
        double peakSlopeMinusOne;
        double rmsSlopeMinusOne;
        double levelCoef;
        double peakAttackCoef;
        double peakReleaseCoef;
        double rmsAttackCoef1;
        double rmsAttackCoef2;
        double rmsReleaseCoef1;
        double rmsReleaseCoef2;
    };

    Envelopes loadEnvelopes() const noexcept;
    void storeEnvelopes (const Envelopes& s) noexcept;
    Curve loadCurve() const noexcept;
    static double step (Envelopes& s, const Curve& curve, double a, double b, double c) noexcept;
};
