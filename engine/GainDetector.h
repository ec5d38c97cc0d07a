#pragma once

#include "FilterTables.h"
#include "StereoFir.h"

#include <algorithm>
#include <array>
#include <cmath>

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

    /** The curve and timing fields as one frame's steps use them, read once per frame:
        the offsets and the knee's reciprocal are formed here, off the feedback loop. */
    struct Curve
    {
        double peakOffsetDb;   // -(threshold + crest): added to the level gives the overshoot
        double rmsOffsetDb;    // -threshold
        double kneeDb;
        double quarterOverKnee;
        double peakSlopeMinusOne;
        double rmsSlopeMinusOne;
        double levelCoef;
        double levelPerNeper;  // how far one neper of level moves the averaged level, in dB
        double peakAttackCoef;
        double peakReleaseCoef;
        double rmsAttackCoef1;
        double rmsAttackCoef2;
        double rmsReleaseCoef1;
        double rmsReleaseCoef2;
    };

    static constexpr double dbPerNeper = 8.685889638065037;    // 20 / ln 10
    static constexpr double nepersPerDb = 0.11512925464970228; // ln 10 / 20
    static constexpr double sensingFloor = 1e-07;               // -140 dB

    Curve loadCurve() const noexcept
    {
        const double knee = kneeDb;
        const double lowerKnee = lowerKneeDb;
        const double level = levelCoef;
        return { -(crestDb + lowerKnee + knee),
                 -(lowerKnee + knee),
                 knee,
                 0.25 / knee,
                 peakSlopeMinusOne,
                 rmsSlopeMinusOne,
                 level,
                 dbPerNeper * (1.0 - level),
                 peakAttackCoef,
                 peakReleaseCoef,
                 rmsAttackCoef1,
                 rmsAttackCoef2,
                 rmsReleaseCoef1,
                 rmsReleaseCoef2 };
    }

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

    Envelopes loadEnvelopes() const noexcept
    {
        return { previousGain, averageLevel2Db, peakEnvDb, rmsEnvDb1, rmsEnvDb2, peakGainDb, rmsGainDb };
    }

    void storeEnvelopes (const Envelopes& s) noexcept
    {
        previousGain = s.previousGain;
        averageLevel2Db = s.averageLevel2Db;
        peakEnvDb = s.peakEnvDb;
        rmsEnvDb1 = s.rmsEnvDb1;
        rmsEnvDb2 = s.rmsEnvDb2;
        peakGainDb = s.peakGainDb;
        rmsGainDb = s.rmsGainDb;
    }

    static double pathTarget (double nepers, double base, double scale, double slope, double c,
                              const Curve& curve) noexcept;
    static double follow (double env, double target, double coef) noexcept;
    static double step (Envelopes& s, const Curve& curve, double a, double b, double c) noexcept;
};

/** A path's target c + knee (over) x slope, for over = base + nepers x scale. Above the
    knee it is formed straight from nepers, one multiply and one add after the log; the
    other terms are ready before the log returns. */
[[gnu::always_inline]] inline double GainDetector::pathTarget (double nepers, double base, double scale, double slope,
                                                               double c, const Curve& curve) noexcept
{
    const double over = base + nepers * scale;

    if (over < -curve.kneeDb)
        return c;
    if (over < curve.kneeDb)
        return c + (over * over * curve.quarterOverKnee + 0.5 * over + 0.25 * curve.kneeDb) * slope;
    return (c + base * slope) + nepers * (scale * slope);
}

/** One-pole step towards target. This form (rather than env coef + target (1 - coef))
    keeps rounding errors from piling up over long time constants. */
[[gnu::always_inline]] inline double GainDetector::follow (double env, double target, double coef) noexcept
{
    return target + (env - target) * coef;
}

[[gnu::always_inline]] inline double GainDetector::step (Envelopes& s, const Curve& curve, double a, double b, double c) noexcept
{
    // The loop runs previous gain -> log -> targets -> envelopes -> exp -> gain; every
    // term that does not wait for the log is formed off that loop.
    //
    // Signed choice of the larger key value, then sensing through the previous gain:
    // the detector listens to (roughly) the compressor's own output. The gain is never
    // negative, so |m/2| g + |m/2| is |m/2 g + m/2| bit for bit.
    const double m = b > a ? b : a;
    const double halfM = std::abs (m * 0.5);
    const double rmsBase = s.averageLevel2Db * curve.levelCoef * 0.5 + curve.rmsOffsetDb;

    double e = halfM * s.previousGain + halfM;
    if (e < sensingFloor)
        e = sensingFloor;
    const double nepers = std::log (e);

    // The stored average keeps its well-conditioned form; the RMS target reads the same
    // average as the affine rmsBase + nepers x levelPerNeper, equal up to rounding.
    const double twiceLevelDb = nepers * (2.0 * dbPerNeper);
    s.averageLevel2Db = (s.averageLevel2Db - twiceLevelDb) * curve.levelCoef + twiceLevelDb;

    const double peakTarget = pathTarget (nepers, curve.peakOffsetDb, dbPerNeper, curve.peakSlopeMinusOne, c, curve);
    s.peakEnvDb = follow (s.peakEnvDb, peakTarget, peakTarget > s.peakEnvDb ? curve.peakReleaseCoef : curve.peakAttackCoef);

    const double rmsTarget = pathTarget (nepers, rmsBase, curve.levelPerNeper, curve.rmsSlopeMinusOne, c, curve);

    // The fast envelope alone decides between attack and release for both.
    const bool rmsReleasing = rmsTarget > s.rmsEnvDb1;
    s.rmsEnvDb1 = follow (s.rmsEnvDb1, rmsTarget, rmsReleasing ? curve.rmsReleaseCoef1 : curve.rmsAttackCoef1);
    s.rmsEnvDb2 = follow (s.rmsEnvDb2, rmsTarget, rmsReleasing ? curve.rmsReleaseCoef2 : curve.rmsAttackCoef2);

    s.rmsGainDb = std::min (s.rmsEnvDb1, s.rmsEnvDb2);
    s.peakGainDb = s.peakEnvDb;

    const double gain = std::exp (std::min (s.peakGainDb, s.rmsGainDb) * nepersPerDb);
    s.previousGain = gain;
    return gain;
}
