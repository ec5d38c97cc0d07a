#include "CompressorEngine.h"

#include <cmath>
#include <cstddef>
#include <cstdint>

namespace
{
constexpr int keyDelayLength = 16;

// Noise offsets lie between -190 dB and -170 dB: far below audibility, but enough to
// keep the detector's inputs off exact zero.
const double noiseLo = std::exp (-21.874558383443432);
const double noiseHi = std::exp (-19.57197329044939);

/** Non-finite samples are read as silence so that one bad value cannot poison the
    filters and envelopes for good. */
inline double finiteOrSilence (double x) noexcept
{
    return std::isfinite (x) ? x : 0.0;
}
} // namespace

// Fused multiply-add code only behind a run-time check: the plug-in must run on any x86-64.
bool CompressorEngine::fusedMaths = __builtin_cpu_supports ("avx2") && __builtin_cpu_supports ("fma");

CompressorEngine::CompressorEngine()
    : halfBandTaps (FilterTables::designHalfBand()),
      dryDelay (oversampledLatency),
      keyDelay (keyDelayLength),
      upsampler (FilterTables::halfBandLength, halfBandTaps.data(), 0.0),
      downsampler (FilterTables::halfBandLength, halfBandTaps.data(), 0.0)
{
    // Key stages stay all zero until the first updateKeyFilter: the key is then exactly
    // 0 and the detector sees its floor level.
    updateCurve();
    detector.crestDb = 8.0;
    refreshLevelTime();
    fillNoiseTable();
    reset();
}

void CompressorEngine::fillNoiseTable() noexcept
{
    // A fixed 15-bit linear congruential generator: the same table on every platform
    // and independent of anyone else's use of rand().
    std::uint32_t state = 1234;

    for (auto& entry : noiseTable)
    {
        state = state * 214013u + 2531011u;
        const auto value = static_cast<double> ((state >> 16) & 0x7FFFu);
        entry = value / 32767.0 * (noiseHi - noiseLo) + noiseLo;
    }
}

void CompressorEngine::setSampleRate (double hostRate) noexcept
{
    processRate = usesOversampling (hostRate) ? 2.0 * hostRate : hostRate;
    applyDetectorRate();
    updateKeyFilter();
    refreshLevelTime();
}

void CompressorEngine::reset() noexcept
{
    dryDelay.reset();
    keyDelay.reset();

    for (auto& stage : keyStages)
        stage.reset();

    noiseIndex = 0;
    upsampler.reset();
    downsampler.reset();
    detector.reset();
}

void CompressorEngine::updateCurve() noexcept
{
    detector.peakSlopeMinusOne = peakFollowsRatio ? ratioSlope - 1.0 : -1.0;
    detector.rmsSlopeMinusOne = ratioSlope - 1.0;
    const double knee = kneeDb;
    detector.kneeDb = knee;
    detector.lowerKneeDb = thresholdDb - knee;
}

void CompressorEngine::updateKeyFilter() noexcept
{
    KeyFilterStage::applyLayout (keyStages, keySlope, keyHpHz, processRate);
}

void CompressorEngine::setKeySlope (float normalizedSlope) noexcept
{
    keySlope = KeyFilterStage::slopeFromNormalized (normalizedSlope);
    updateKeyFilter();
}

void CompressorEngine::setAttack (double ms) noexcept
{
    attackMs = ms;
    detector.setAttack (ms);
    refreshLevelTime();
}

void CompressorEngine::setReleasePeak (double ms) noexcept
{
    detector.setReleasePeak (ms);
    refreshLevelTime();
}

void CompressorEngine::setQuality (int preciseOn) noexcept
{
    precise = preciseOn;
    applyDetectorRate();
}

void CompressorEngine::applyDetectorRate() noexcept
{
    // Precise evaluates at 4x processRate, Eco at 2x; the detector's rate is half that.
    detector.setRate (precise == 1 ? 2.0 * processRate : processRate);
}

void CompressorEngine::refreshLevelTime() noexcept
{
    detector.levelMs = attackMs * 0.5 + 5.0;
    detector.levelCoef = detector.timeCoef (detector.levelMs);
}

double CompressorEngine::nextNoise() noexcept
{
    noiseIndex = (noiseIndex + 1) & 255;
    return noiseTable[static_cast<std::size_t> (noiseIndex)];
}

template <typename Maths, typename Work>
inline void CompressorEngine::detectStage (double& x, double& y, double& gain, double n, Work&& alongside) noexcept
{
    double mid = (x + y) * 0.5 + n;
    double side = (y - x) * 0.5 + n;
    KeyFilterStage::filter (keyStages, keySlope, mid, side);

    const double k1 = mid - stereoDiff * side;
    const double k2 = mid + stereoDiff * side;
    const double g = precise == 1 ? detector.detectPrecise<Maths> (k1, k2, n, alongside)
                                  : detector.detectEco<Maths> (k1, k2, n, alongside);
    gain = g;

    // The detector's gain lags its key by 16 frames; so does the audio it is applied to.
    keyDelay.process (y, x);
    y = g * y - y;
    x = g * x - x;
}

void CompressorEngine::detectStage (double& x, double& y, double& gain, double n) noexcept
{
    detectStage<GainDetector::LibraryMaths> (x, y, gain, n, [] {});
}

void CompressorEngine::processPlain (double& left, double& right, double& gain, double& peakDb, double& rmsDb) noexcept
{
    if (fusedMaths)
        processPlainFused (left, right, gain, peakDb, rmsDb);
    else
        processPlainWith<GainDetector::LibraryMaths> (left, right, gain, peakDb, rmsDb);
}

void CompressorEngine::processOversampled (double& left, double& right, double& gain, double& peakDb, double& rmsDb) noexcept
{
    if (fusedMaths)
        processOversampledFused (left, right, gain, peakDb, rmsDb);
    else
        processOversampledWith<GainDetector::LibraryMaths> (left, right, gain, peakDb, rmsDb);
}

void CompressorEngine::processPlainFused (double& left, double& right, double& gain, double& peakDb, double& rmsDb) noexcept
{
    processPlainWith<FusedMaths> (left, right, gain, peakDb, rmsDb);
}

void CompressorEngine::processOversampledFused (double& left, double& right, double& gain, double& peakDb, double& rmsDb) noexcept
{
    processOversampledWith<FusedMaths> (left, right, gain, peakDb, rmsDb);
}

template <typename Maths>
inline void CompressorEngine::processPlainWith (double& left, double& right, double& gain, double& peakDb, double& rmsDb) noexcept
{
    left = finiteOrSilence (left);
    right = finiteOrSilence (right);
    const double n = nextNoise();

    double deltaL = left;
    double deltaR = right;
    detectStage<Maths> (deltaR, deltaL, gain, n, [] {});

    // A second step of the same line with the same frame: each step now returns the
    // frame of 8 host frames earlier, for the delta and the dry signal alike.
    double dryL = left;
    double dryR = right;
    keyDelay.process (dryL, dryR);

    mix (left, right, deltaL, deltaR, dryL, dryR);
    publish (peakDb, rmsDb);
}

template <typename Maths>
inline void CompressorEngine::processOversampledWith (double& left, double& right, double& gain, double& peakDb, double& rmsDb) noexcept
{
    left = finiteOrSilence (left);
    right = finiteOrSilence (right);
    const double n = nextNoise();

    // Zero-stuffed 2x interpolation: the doubled input makes up for the stuffed zero.
    // Each long half-band sum runs inside a detection stage it does not depend on, between
    // the detector's evaluations, so it fills the wait for log and exp instead of adding
    // to it. Every filter still sees its own operations in the same order.
    double l0 = 2.0 * left;
    double r0 = 2.0 * right;
    upsampler.processCentre (l0, r0);

    double l1 = 0.0;
    double r1 = 0.0;
    detectStage<Maths> (r0, l0, gain, n, [&] { upsampler.processHalfBand (l1, r1); });

    // (l0, r0) holds the first delta sub-frame by now; decimating it turns it into δ.
    detectStage<Maths> (r1, l1, gain, n, [&] { downsampler.processHalfBand (l0, r0); });
    downsampler.push (l1, r1);

    double dryL = left;
    double dryR = right;
    dryDelay.process (dryL, dryR);

    mix (left, right, l0, r0, dryL, dryR);
    publish (peakDb, rmsDb);
}

void CompressorEngine::mix (double& left, double& right, double deltaL, double deltaR, double dryL, double dryR) const noexcept
{
    if (bypassOn)
    {
        left = dryL;
        right = dryR;
    }
    else if (deltaOn)
    {
        left = deltaL;
        right = deltaR;
    }
    else
    {
        // dry + delta is the compressed signal.
        left = ((dryL + deltaL) * makeupGain + dryGain * dryL) * outputGain;
        right = ((dryR + deltaR) * makeupGain + dryGain * dryR) * outputGain;
    }
}

void CompressorEngine::publish (double& peakDb, double& rmsDb) const noexcept
{
    peakDb = detector.peakGainDb;
    rmsDb = detector.rmsGainDb;
}
