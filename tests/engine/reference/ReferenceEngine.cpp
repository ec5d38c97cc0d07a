#include "ReferenceEngine.h"

#include "FilterTables.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace
{
template <size_t n>
std::vector<double> asVector (const std::array<double, n>& table)
{
    return std::vector<double> (table.begin(), table.end());
}

double knee (double o, double k)
{
    if (o < -k)
        return 0.0;
    if (o < k)
        return o * o / (4.0 * k) + 0.5 * o + 0.25 * k;
    return o;
}

double follow (double env, double target, double coef)
{
    return target + (env - target) * coef;
}
} // namespace

ReferenceEngine::ShiftRegister::ShiftRegister (std::vector<double> t, double f)
    : taps (std::move (t)), samples (2 * taps.size(), f), fill (f)
{
}

double ReferenceEngine::ShiftRegister::push (double x)
{
    const size_t n = taps.size();
    head = head == 0 ? n - 1 : head - 1;
    samples[head] = samples[head + n] = x;
    double sum = 0.0;

    for (size_t k = 0; k < n; ++k)
        sum += taps[k] * samples[head + k];

    return sum;
}

void ReferenceEngine::ShiftRegister::reset()
{
    std::fill (samples.begin(), samples.end(), fill);
    head = 0;
}

ReferenceEngine::Delay::Delay (size_t length) : samples (length, 0.0) {}

double ReferenceEngine::Delay::push (double x)
{
    samples.push_back (x);
    const double oldest = samples.front();
    samples.pop_front();
    return oldest;
}

void ReferenceEngine::Delay::reset()
{
    std::fill (samples.begin(), samples.end(), 0.0);
}

ReferenceEngine::ReferenceEngine()
    : upL (asVector (FilterTables::designHalfBand()), 0.0), upR (upL.taps, 0.0),
      downL (upL.taps, 0.0), downR (upL.taps, 0.0),
      keyUp2a (asVector (FilterTables::lowpass32), 0.0), keyUp2b (keyUp2a.taps, 0.0),
      keyUp4a (asVector (FilterTables::lowpass64), 0.0), keyUp4b (keyUp4a.taps, 0.0),
      gainDown2 (keyUp2a.taps, 1.0), gainDown4 (keyUp4a.taps, 1.0),
      dryL (184), dryR (184), audioL (16), audioR (16), plainL (8), plainR (8)
{
    // Offsets between -190 and -170 dB from a fixed 15-bit linear congruential generator.
    const double lo = std::pow (10.0, -190.0 / 20.0);
    const double hi = std::pow (10.0, -170.0 / 20.0);
    std::uint32_t state = 1234;

    for (auto& entry : noise)
    {
        state = state * 214013u + 2531011u;
        entry = static_cast<double> ((state >> 16) & 0x7FFFu) / 32767.0 * (hi - lo) + lo;
    }
}

void ReferenceEngine::reset()
{
    for (auto* r : { &upL, &upR, &downL, &downR, &keyUp2a, &keyUp2b, &keyUp4a, &keyUp4b, &gainDown2, &gainDown4 })
        r->reset();

    for (auto* d : { &dryL, &dryR, &audioL, &audioR, &plainL, &plainR })
        d->reset();

    for (auto& s : stages)
        s = {};

    noiseIndex = 0;
    gain = 1.0;
    previousGain = 1.0;
    averageLevel2Db = -60.0;
    peakEnvDb = 0.0;
    rmsEnvDb1 = 0.0;
    rmsEnvDb2 = 0.0;
    peakGainDb = -60.0;
}

CompressorEngine::Readings ReferenceEngine::process (const EngineSettings& settings, double hostRate, double* left,
                                                     double* right, int n)
{
    design (settings, hostRate);

    for (int i = 0; i < n; ++i)
        frame (left[i], right[i]);

    return { gain, peakGainDb, rmsGainDb };
}

void ReferenceEngine::design (const EngineSettings& settings, double hostRate)
{
    // The engine recomputes on every set, and the processor sets only what changed: after
    // a rate or quality change the slow RMS release is 3 x Release RMS, after a Release RMS
    // change 4 x.
    if (hostRate != lastHostRate || settings.precise != lastPrecise)
        slowReleaseTimes = 3.0;
    if (settings.releaseRmsMs != lastReleaseRmsMs)
        slowReleaseTimes = 4.0;

    s = settings;
    lastHostRate = hostRate;
    lastPrecise = s.precise;
    lastReleaseRmsMs = s.releaseRmsMs;

    oversampling = hostRate < 88200.0;
    const double processRate = oversampling ? 2.0 * hostRate : hostRate;
    // Eco evaluates at 2x processRate, Precise at 4x; a time constant counts steps at that rate.
    const double evaluationRate = (s.precise ? 4.0 : 2.0) * processRate;
    const auto coef = [&] (double ms) { return ms > 0.01 ? std::exp (-1000.0 / (evaluationRate * ms)) : 0.0; };
    peakAttack = coef (s.attackMs);
    rmsAttack1 = coef (s.attackMs + 2.5);
    rmsAttack2 = coef (4.0 * s.attackMs + 10.0);
    peakRelease = coef (s.releasePeakMs);
    rmsRelease1 = coef (s.releaseRmsMs);
    rmsRelease2 = coef (slowReleaseTimes * s.releaseRmsMs);
    levelCoef = coef (0.5 * s.attackMs + 5.0);

    // The mid stages' cut-offs; the side's sit 1.3 times higher. "Off" is a fixed 20 Hz.
    const double f = s.keyHpHz, b = 1.02 * f;
    std::vector<double> midHz { 20.0 };
    if (s.keySlope == KeyFilter::slope3Db)
        midHz = { b / 4, b / 2, b, 2 * b };
    else if (s.keySlope == KeyFilter::slope6Db)
        midHz = { f };
    else if (s.keySlope == KeyFilter::slope12Db)
        midHz = { 0.65 * f, 0.65 * f };

    // Bilinear transform without pre-warping.
    const auto highPass = [&] (double hz)
    {
        const double k = 2.0 * processRate, w = 2.0 * M_PI * hz;
        return HighPass { k / (k + w), -k / (k + w), (k - w) / (k + w) };
    };
    stagesUsed = static_cast<int> (midHz.size());

    for (int i = 0; i < stagesUsed; ++i)
    {
        midHp[i] = highPass (midHz[static_cast<size_t> (i)]);
        sideHp[i] = highPass (1.3 * midHz[static_cast<size_t> (i)]);
    }
}

void ReferenceEngine::frame (double& left, double& right)
{
    const double l = std::isfinite (left) ? left : 0.0;
    const double r = std::isfinite (right) ? right : 0.0;
    noiseIndex = (noiseIndex + 1) & 255;
    const double n = noise[noiseIndex];
    double deltaL, deltaR, dL, dR;

    if (oversampling)
    {
        // Zero-stuffed 2x interpolation: the doubled input makes up for the stuffed zero.
        double l0 = upL.push (2.0 * l), r0 = upR.push (2.0 * r);
        double l1 = upL.push (0.0), r1 = upR.push (0.0);
        detectStage (r0, l0, n);
        detectStage (r1, l1, n);
        deltaL = downL.push (l0);
        deltaR = downR.push (r0);
        downL.push (l1);
        downR.push (r1);
        dL = dryL.push (l);
        dR = dryR.push (r);
    }
    else
    {
        double x = r, y = l;
        detectStage (x, y, n);
        deltaL = y;
        deltaR = x;
        dL = plainL.push (l);
        dR = plainR.push (r);
    }

    if (s.bypass)
    {
        left = dL;
        right = dR;
    }
    else if (s.delta)
    {
        left = deltaL;
        right = deltaR;
    }
    else
    {
        left = ((dL + deltaL) * s.makeupGain + s.dryGain * dL) * s.outputGain;
        right = ((dR + deltaR) * s.makeupGain + s.dryGain * dR) * s.outputGain;
    }
}

void ReferenceEngine::detectStage (double& x, double& y, double n)
{
    double mid = (x + y) * 0.5 + n;
    double side = (y - x) * 0.5 + n;
    // Slope 3 dB/oct averages its stages, the others run theirs in series.
    const bool averaged = s.keySlope == KeyFilter::slope3Db;
    double m[4], d[4];

    for (int i = 0; i < stagesUsed; ++i)
    {
        auto& h = stages[i];
        const double inMid = averaged || i == 0 ? mid : m[i - 1];
        const double inSide = averaged || i == 0 ? side : d[i - 1];
        m[i] = midHp[i].b0 * inMid + midHp[i].b1 * h.midX1 + midHp[i].a1 * h.midY1;
        d[i] = sideHp[i].b0 * inSide + sideHp[i].b1 * h.sideX1 + sideHp[i].a1 * h.sideY1;
        h = { inMid, m[i], inSide, d[i] };
    }

    mid = averaged ? 0.25 * (m[0] + m[1] + m[2] + m[3]) : m[stagesUsed - 1];
    side = averaged ? 0.25 * (d[0] + d[1] + d[2] + d[3]) : d[stagesUsed - 1];

    gain = detectorFrame (mid - s.stereoDiff * side, mid + s.stereoDiff * side, n);

    // The gain lags its key by 16 frames; so does the audio it is applied to. At the host
    // rate the audio's delay is the dry signal's, 8 frames.
    const double a = oversampling ? audioL.push (y) : plainL.samples.front();
    const double b = oversampling ? audioR.push (x) : plainR.samples.front();
    y = gain * a - a;
    x = gain * b - b;
}

double ReferenceEngine::detectorFrame (double k1, double k2, double n)
{
    const int factor = s.precise ? 4 : 2;
    auto& upA = factor == 4 ? keyUp4a : keyUp2a;
    auto& upB = factor == 4 ? keyUp4b : keyUp2b;
    auto& down = factor == 4 ? gainDown4 : gainDown2;
    double g[4];

    // F times the key makes up for the F - 1 stuffed zeros.
    for (int q = 0; q < factor; ++q)
        g[q] = evaluate (upA.push (q == 0 ? factor * k1 : 0.0), upB.push (q == 0 ? factor * k2 : 0.0), n);

    const double decimated = down.push (g[0]);

    for (int q = 1; q < factor; ++q)
        down.push (g[q]);

    return decimated;
}

double ReferenceEngine::evaluate (double a, double b, double n)
{
    // The larger signed key, sensed through the previous gain: the detector listens to
    // the compressor's own output. The floor is -140 dB.
    const double m = b > a ? b : a;
    const double levelDb = 20.0 * std::log10 (std::max (std::abs (m * 0.5 * previousGain + m * 0.5), 1e-7));
    averageLevel2Db = (averageLevel2Db - 2.0 * levelDb) * levelCoef + 2.0 * levelDb;

    const double peakSlope = s.peakFollowsRatio ? s.ratioSlope : 0.0;
    const double peakTarget = n + knee (levelDb - s.thresholdDb - s.crestDb, s.kneeDb) * (peakSlope - 1.0);
    peakEnvDb = follow (peakEnvDb, peakTarget, peakTarget > peakEnvDb ? peakRelease : peakAttack);

    const double rmsTarget = n + knee (averageLevel2Db * 0.5 - s.thresholdDb, s.kneeDb) * (s.ratioSlope - 1.0);
    const bool releasing = rmsTarget > rmsEnvDb1;
    rmsEnvDb1 = follow (rmsEnvDb1, rmsTarget, releasing ? rmsRelease1 : rmsAttack1);
    rmsEnvDb2 = follow (rmsEnvDb2, rmsTarget, releasing ? rmsRelease2 : rmsAttack2);
    rmsGainDb = std::min (rmsEnvDb1, rmsEnvDb2);
    peakGainDb = peakEnvDb;

    previousGain = std::pow (10.0, std::min (peakGainDb, rmsGainDb) / 20.0);
    return previousGain;
}
