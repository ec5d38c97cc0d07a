#include "GainDetector.h"

#include <algorithm>
#include <cmath>

namespace
{
constexpr double dbPerNeper = 8.685889638065037;   // 20 / ln 10
constexpr double nepersPerDb = 0.11512925464970228; // ln 10 / 20
constexpr double sensingFloor = 1e-07;               // -140 dB
} // namespace

GainDetector::GainDetector()
    : keyUp2 (32, lowpass32.data(), 0.0),
      gainDown2 (32, lowpass32.data(), 1.0),
      keyUp4 (64, lowpass64.data(), 0.0),
      gainDown4 (64, lowpass64.data(), 1.0)
{
    setAttack (attackMs);
    setReleasePeak (releasePeakMs);
    setReleaseRms (releaseRmsMs);
    levelCoef = timeCoef (levelMs);
}

double GainDetector::timeCoef (double ms) const noexcept
{
    if (ms > 0.01)
        return std::exp (-1000.0 / (2.0 * detectorRate * ms));
    return 0.0;
}

void GainDetector::setRate (double rate) noexcept
{
    detectorRate = rate;
    peakAttackCoef = timeCoef (attackMs);
    rmsAttackCoef1 = timeCoef (attackMs + 2.5);
    rmsAttackCoef2 = timeCoef (4.0 * attackMs + 10.0);
    peakReleaseCoef = timeCoef (releasePeakMs);
    rmsReleaseCoef1 = timeCoef (releaseRmsMs);
    rmsReleaseCoef2 = timeCoef (3.0 * releaseRmsMs);
    levelCoef = timeCoef (levelMs);
}

void GainDetector::setAttack (double ms) noexcept
{
    attackMs = ms;
    peakAttackCoef = timeCoef (ms);
    rmsAttackCoef1 = timeCoef (ms + 2.5);
    rmsAttackCoef2 = timeCoef (4.0 * ms + 10.0);
}

void GainDetector::setReleasePeak (double ms) noexcept
{
    releasePeakMs = ms;
    peakReleaseCoef = timeCoef (ms);
}

void GainDetector::setReleaseRms (double ms) noexcept
{
    releaseRmsMs = ms;
    rmsReleaseCoef1 = timeCoef (ms);
    rmsReleaseCoef2 = timeCoef (4.0 * ms);
}

inline GainDetector::Envelopes GainDetector::loadEnvelopes() const noexcept
{
    return { previousGain, averageLevel2Db, peakEnvDb, rmsEnvDb1, rmsEnvDb2, peakGainDb, rmsGainDb };
}

inline void GainDetector::storeEnvelopes (const Envelopes& s) noexcept
{
    previousGain = s.previousGain;
    averageLevel2Db = s.averageLevel2Db;
    peakEnvDb = s.peakEnvDb;
    rmsEnvDb1 = s.rmsEnvDb1;
    rmsEnvDb2 = s.rmsEnvDb2;
    peakGainDb = s.peakGainDb;
    rmsGainDb = s.rmsGainDb;
}

inline GainDetector::Curve GainDetector::loadCurve() const noexcept
{
    // Only the knee's middle branch uses the reciprocal, and that branch never runs
    // with a zero knee.
    return { crestDb + lowerKneeDb + kneeDb,
             lowerKneeDb + kneeDb,
             kneeDb,
             0.25 / kneeDb,
             peakSlopeMinusOne,
             rmsSlopeMinusOne,
             levelCoef,
             peakAttackCoef,
             peakReleaseCoef,
             rmsAttackCoef1,
             rmsAttackCoef2,
             rmsReleaseCoef1,
             rmsReleaseCoef2 };
}

namespace
{
/** GainDetector::knee with the division by 4 K taken out of the feedback loop. */
[[gnu::always_inline]] inline double softKnee (double o, double kneeDb, double quarterOverKnee) noexcept
{
    if (o < -kneeDb)
        return 0.0;
    if (o < kneeDb)
        return o * o * quarterOverKnee + 0.5 * o + 0.25 * kneeDb;
    return o;
}
} // namespace

[[gnu::always_inline]] inline double GainDetector::step (Envelopes& s, const Curve& curve, double a, double b, double c) noexcept
{
    // Signed choice of the larger key value, then sensing through the previous gain:
    // the detector listens to (roughly) the compressor's own output. Halving m first
    // gives the same bits as halving the product and keeps a multiply off the loop.
    const double m = b > a ? b : a;
    const double halfM = m * 0.5;
    double e = std::abs (halfM * s.previousGain + halfM);
    if (e < sensingFloor)
        e = sensingFloor;
    const double nepers = std::log (e);
    const double levelDb = nepers * dbPerNeper;
    const double twiceLevelDb = nepers * (2.0 * dbPerNeper);  // the same bits as 2 levelDb, one step sooner

    s.averageLevel2Db = (s.averageLevel2Db - twiceLevelDb) * curve.levelCoef + twiceLevelDb;

    const double peakOver = levelDb - curve.peakOffsetDb;
    const double peakTarget = c + softKnee (peakOver, curve.kneeDb, curve.quarterOverKnee) * curve.peakSlopeMinusOne;
    const double peakCoef = peakTarget > s.peakEnvDb ? curve.peakReleaseCoef : curve.peakAttackCoef;
    s.peakEnvDb = peakTarget + (s.peakEnvDb - peakTarget) * peakCoef;

    const double rmsOver = s.averageLevel2Db * 0.5 - curve.rmsOffsetDb;
    const double rmsTarget = c + softKnee (rmsOver, curve.kneeDb, curve.quarterOverKnee) * curve.rmsSlopeMinusOne;

    // The fast envelope alone decides between attack and release for both.
    const bool rmsReleasing = rmsTarget > s.rmsEnvDb1;
    const double rmsCoef1 = rmsReleasing ? curve.rmsReleaseCoef1 : curve.rmsAttackCoef1;
    const double rmsCoef2 = rmsReleasing ? curve.rmsReleaseCoef2 : curve.rmsAttackCoef2;
    s.rmsEnvDb1 = rmsTarget + (s.rmsEnvDb1 - rmsTarget) * rmsCoef1;
    s.rmsEnvDb2 = rmsTarget + (s.rmsEnvDb2 - rmsTarget) * rmsCoef2;

    s.rmsGainDb = std::min (s.rmsEnvDb1, s.rmsEnvDb2);
    s.peakGainDb = s.peakEnvDb;

    const double gain = std::exp (std::min (s.peakGainDb, s.rmsGainDb) * nepersPerDb);
    s.previousGain = gain;
    return gain;
}

double GainDetector::evaluate (double a, double b, double c) noexcept
{
    Envelopes s = loadEnvelopes();
    const double gain = step (s, loadCurve(), a, b, c);
    storeEnvelopes (s);
    return gain;
}

double GainDetector::detectEco (double k1, double k2, double n) noexcept
{
    double u0a = 2.0 * k1;
    double u0b = 2.0 * k2;
    keyUp2.processEven (u0a, u0b);

    double u1a = 0.0;
    double u1b = 0.0;
    keyUp2.processOdd (u1a, u1b);

    const Curve curve = loadCurve();
    Envelopes s = loadEnvelopes();
    const double g0 = step (s, curve, u0a, u0b, n);
    const double g1 = step (s, curve, u1a, u1b, n);
    storeEnvelopes (s);

    double gain = g0;
    double unused = g0;
    gainDown2.processFull (gain, unused);
    gainDown2.push (g1, g1);
    return gain;
}

double GainDetector::detectPrecise (double k1, double k2, double n) noexcept
{
    double ua[4] = { 4.0 * k1, 0.0, 0.0, 0.0 };
    double ub[4] = { 4.0 * k2, 0.0, 0.0, 0.0 };

    for (int p = 0; p < 4; ++p)
        keyUp4.processPhase (p, ua[p], ub[p]);

    const Curve curve = loadCurve();
    Envelopes s = loadEnvelopes();
    double g[4];
    for (int p = 0; p < 4; ++p)
        g[p] = step (s, curve, ua[p], ub[p], n);
    storeEnvelopes (s);

    double gain = g[0];
    double unused = g[0];
    gainDown4.processFull (gain, unused);

    for (int p = 1; p < 4; ++p)
        gainDown4.push (g[p], g[p]);

    return gain;
}

void GainDetector::reset() noexcept
{
    peakEnvDb = 0.0;
    rmsEnvDb1 = 0.0;
    rmsEnvDb2 = 0.0;
    peakGainDb = -60.0;
    averageLevel2Db = -60.0;
    previousGain = 1.0;
    keyUp2.reset();
    gainDown2.reset();
    keyUp4.reset();
    gainDown4.reset();
}
