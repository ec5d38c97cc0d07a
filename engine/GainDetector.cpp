#include "GainDetector.h"

#include <cmath>

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
    // 3 x here but 4 x in setReleaseRms, deliberately: after a rate change the slow
    // release is a quarter shorter until Release RMS moves again.
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
    double u1a = 0.0;
    double u1b = 0.0;
    keyUp2.interpolateByTwo (u0a, u0b, u1a, u1b);

    const Curve curve = loadCurve();
    Envelopes s = loadEnvelopes();
    const double g0 = step (s, curve, u0a, u0b, n);
    const double g1 = step (s, curve, u1a, u1b, n);
    storeEnvelopes (s);

    // Both lanes carry the gain: sum one.
    const double gain = gainDown2.processFullMono (g0);
    gainDown2.push (g1, g1);
    return gain;
}

double GainDetector::detectPrecise (double k1, double k2, double n) noexcept
{
    double ua[4] = { 4.0 * k1, 0.0, 0.0, 0.0 };
    double ub[4] = { 4.0 * k2, 0.0, 0.0, 0.0 };
    keyUp4.interpolateByFour (ua, ub);

    const Curve curve = loadCurve();
    Envelopes s = loadEnvelopes();
    double g[4];

    for (int p = 0; p < 4; ++p)
        g[p] = step (s, curve, ua[p], ub[p], n);

    storeEnvelopes (s);
    const double gain = gainDown4.processFullMono (g[0]);

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
