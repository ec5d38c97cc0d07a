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

CompressorEngine::Readings ReferenceEngine::process (const CompressorEngine& engine, double* left, double* right, int n)
{
    for (int i = 0; i < n; ++i)
        frame (engine.getParams(), engine.getKeyFilter(), left[i], right[i]);

    return { gain, peakGainDb, rmsGainDb };
}

void ReferenceEngine::frame (const EngineParams& p, const KeyFilter& filter, double& left, double& right)
{
    const double l = std::isfinite (left) ? left : 0.0;
    const double r = std::isfinite (right) ? right : 0.0;
    noiseIndex = (noiseIndex + 1) & 255;
    const double n = noise[noiseIndex];
    double deltaL, deltaR, dL, dR;

    if (p.oversampling)
    {
        // Zero-stuffed 2x interpolation: the doubled input makes up for the stuffed zero.
        double l0 = upL.push (2.0 * l), r0 = upR.push (2.0 * r);
        double l1 = upL.push (0.0), r1 = upR.push (0.0);
        detectStage (p, filter, r0, l0, n);
        detectStage (p, filter, r1, l1, n);
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
        detectStage (p, filter, x, y, n);
        deltaL = y;
        deltaR = x;
        dL = plainL.push (l);
        dR = plainR.push (r);
    }

    const auto& s = p.settings;

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

void ReferenceEngine::detectStage (const EngineParams& p, const KeyFilter& filter, double& x, double& y, double n)
{
    double mid = (x + y) * 0.5 + n;
    double side = (y - x) * 0.5 + n;
    const int slope = filter.getSlope();
    const int used = slope == KeyFilter::slope3Db ? 4 : slope == KeyFilter::slope12Db ? 2 : 1;
    double m[4], d[4];

    for (int i = 0; i < used; ++i)
    {
        const auto& c = filter.getStage (i);
        auto& h = stages[i];
        const double inMid = slope == KeyFilter::slope3Db || i == 0 ? mid : m[i - 1];
        const double inSide = slope == KeyFilter::slope3Db || i == 0 ? side : d[i - 1];
        m[i] = c.midB0 * inMid + c.midB1 * h.midX1 + c.midA1 * h.midY1;
        d[i] = c.sideB0 * inSide + c.sideB1 * h.sideX1 + c.sideA1 * h.sideY1;
        h = { inMid, m[i], inSide, d[i] };
    }

    mid = slope == KeyFilter::slope3Db ? 0.25 * (m[0] + m[1] + m[2] + m[3]) : m[used - 1];
    side = slope == KeyFilter::slope3Db ? 0.25 * (d[0] + d[1] + d[2] + d[3]) : d[used - 1];

    const double diff = p.settings.stereoDiff;
    gain = detectorFrame (p, mid - diff * side, mid + diff * side, n);

    // The gain lags its key by 16 frames; so does the audio it is applied to. At the host
    // rate the audio's delay is the dry signal's, 8 frames.
    const double a = p.oversampling ? audioL.push (y) : plainL.samples.front();
    const double b = p.oversampling ? audioR.push (x) : plainR.samples.front();
    y = gain * a - a;
    x = gain * b - b;
}

double ReferenceEngine::detectorFrame (const EngineParams& p, double k1, double k2, double n)
{
    const int factor = p.settings.precise ? 4 : 2;
    auto& upA = factor == 4 ? keyUp4a : keyUp2a;
    auto& upB = factor == 4 ? keyUp4b : keyUp2b;
    auto& down = factor == 4 ? gainDown4 : gainDown2;
    double g[4];

    // F times the key makes up for the F - 1 stuffed zeros.
    for (int q = 0; q < factor; ++q)
        g[q] = evaluate (p.curve, upA.push (q == 0 ? factor * k1 : 0.0), upB.push (q == 0 ? factor * k2 : 0.0), n);

    const double decimated = down.push (g[0]);

    for (int q = 1; q < factor; ++q)
        down.push (g[q]);

    return decimated;
}

double ReferenceEngine::evaluate (const DetectorCurve& c, double a, double b, double n)
{
    // The larger signed key, sensed through the previous gain: the detector listens to
    // the compressor's own output.
    const double m = b > a ? b : a;
    const double sensed = std::max (std::abs (m * 0.5 * previousGain + m * 0.5), DetectorCurve::sensingFloor);
    const double levelDb = std::log (sensed) * DetectorCurve::dbPerNeper;
    averageLevel2Db = (averageLevel2Db - 2.0 * levelDb) * c.levelCoef + 2.0 * levelDb;

    const double peakTarget = n + knee (levelDb + c.peakOffsetDb, c.kneeDb) * c.peakSlopeMinusOne;
    peakEnvDb = follow (peakEnvDb, peakTarget, peakTarget > peakEnvDb ? c.peakReleaseCoef : c.peakAttackCoef);

    const double rmsTarget = n + knee (averageLevel2Db * 0.5 + c.rmsOffsetDb, c.kneeDb) * c.rmsSlopeMinusOne;
    const bool releasing = rmsTarget > rmsEnvDb1;
    rmsEnvDb1 = follow (rmsEnvDb1, rmsTarget, releasing ? c.rmsReleaseCoef1 : c.rmsAttackCoef1);
    rmsEnvDb2 = follow (rmsEnvDb2, rmsTarget, releasing ? c.rmsReleaseCoef2 : c.rmsAttackCoef2);
    rmsGainDb = std::min (rmsEnvDb1, rmsEnvDb2);
    peakGainDb = peakEnvDb;

    previousGain = std::exp (std::min (peakGainDb, rmsGainDb) * DetectorCurve::nepersPerDb);
    return previousGain;
}
