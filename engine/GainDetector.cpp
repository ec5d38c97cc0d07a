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

GainDetector::Envelopes GainDetector::loadEnvelopes() const noexcept
{
    return { previousGain, averageLevel2Db, peakEnvDb, rmsEnvDb1, rmsEnvDb2, peakGainDb, rmsGainDb };
}

void GainDetector::storeEnvelopes (const Envelopes& s) noexcept
{
    previousGain = s.previousGain;
    averageLevel2Db = s.averageLevel2Db;
    peakEnvDb = s.peakEnvDb;
    rmsEnvDb1 = s.rmsEnvDb1;
    rmsEnvDb2 = s.rmsEnvDb2;
    peakGainDb = s.peakGainDb;
    rmsGainDb = s.rmsGainDb;
}

[[gnu::always_inline]] inline double GainDetector::step (Envelopes& s, double a, double b, double c) const noexcept
{
    // Signed choice of the larger key value, then sensing through the previous gain:
    // the detector listens to (roughly) the compressor's own output. Halving m first
    // gives the same bits as halving the product and keeps a multiply off the loop.
    const double m = b > a ? b : a;
    const double halfM = m * 0.5;
    double e = std::abs (halfM * s.previousGain + halfM);
    if (e < sensingFloor)
        e = sensingFloor;
    const double levelDb = std::log (e) * dbPerNeper;

    s.averageLevel2Db = (s.averageLevel2Db - 2.0 * levelDb) * levelCoef + 2.0 * levelDb;

    const double peakOver = levelDb - crestDb - lowerKneeDb - kneeDb;
    const double peakTarget = c + knee (peakOver, kneeDb) * peakSlopeMinusOne;
    const double peakCoef = peakTarget > s.peakEnvDb ? peakReleaseCoef : peakAttackCoef;
    s.peakEnvDb = peakTarget + (s.peakEnvDb - peakTarget) * peakCoef;

    const double rmsOver = s.averageLevel2Db * 0.5 - lowerKneeDb - kneeDb;
    const double rmsTarget = c + knee (rmsOver, kneeDb) * rmsSlopeMinusOne;

    // The fast envelope alone decides between attack and release for both.
    const bool rmsReleasing = rmsTarget > s.rmsEnvDb1;
    const double rmsCoef1 = rmsReleasing ? rmsReleaseCoef1 : rmsAttackCoef1;
    const double rmsCoef2 = rmsReleasing ? rmsReleaseCoef2 : rmsAttackCoef2;
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
    const double gain = step (s, a, b, c);
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

    Envelopes s = loadEnvelopes();
    const double g0 = step (s, u0a, u0b, n);
    const double g1 = step (s, u1a, u1b, n);
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

    Envelopes s = loadEnvelopes();
    double g[4];
    for (int p = 0; p < 4; ++p)
        g[p] = step (s, ua[p], ub[p], n);
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
