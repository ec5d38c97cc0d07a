#include "CompressorEngine.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>

namespace
{
constexpr int keyDelayLength = 16;

// Noise offsets lie between -190 dB and -170 dB: far below audibility, but enough to
// keep the detector's inputs off exact zero.
const double noiseLo = std::exp (-190.0 * GainDetector::nepersPerDb);
const double noiseHi = std::exp (-170.0 * GainDetector::nepersPerDb);

/** Non-finite samples are read as silence so that one bad value cannot poison the
    filters and envelopes for good. */
inline double finiteOrSilence (double x) noexcept
{
    return std::isfinite (x) ? x : 0.0;
}
} // namespace

CompressorEngine::CompressorEngine (Kernel kernel)
    : halfBandTaps (FilterTables::designHalfBand()),
      dryDelay (oversampledLatency),
      keyDelay (keyDelayLength),
      upsampler (FilterTables::halfBandLength, halfBandTaps.data(), 0.0),
      downsampler (FilterTables::halfBandLength, halfBandTaps.data(), 0.0),
      blockUpsampler (halfBandTaps),
      blockDownsampler (halfBandTaps),
      keyUpByTwo (FilterTables::lowpass32),
      keyUpByFour (FilterTables::lowpass64),
      gainDownByTwo (FilterTables::lowpass32),
      gainDownByFour (FilterTables::lowpass64),
      processChunk (chunkProcessorFor (kernelRuns (kernel) ? kernel : fastestKernel()))
{
    // Key stages stay all zero until the first updateKeyFilter: the key is then exactly
    // 0 and the detector sees its floor level.
    updateCurve();
    detector.crestDb = 8.0;
    refreshLevelTime();
    fillNoiseTable();
    reset();
}

CompressorEngine::ChunkProcessor CompressorEngine::chunkProcessorFor (Kernel kernel) noexcept
{
    switch (kernel)
    {
        case Kernel::avx512: return &CompressorEngine::processChunkAvx512;
        case Kernel::avx2: return &CompressorEngine::processChunkAvx2;
        case Kernel::sse2: break;
    }

    return &CompressorEngine::processChunkSse2;
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
    oversampling = usesOversampling (hostRate);
    processRate = oversampling ? 2.0 * hostRate : hostRate;
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

    blockUpsampler.reset();
    blockDownsampler.reset();
    keyUpByTwo.reset();
    keyUpByFour.reset();
    gainDownByTwo.reset();
    gainDownByFour.reset();
    feedbackLoop.reset();

    for (auto& history : keyHistory)
        history.reset (0.0);

    for (auto& history : dryHistory)
        history.reset (0.0);

    blockNoiseIndex = 0;
    blockGain = 1.0;
}

CompressorEngine::Readings CompressorEngine::process (double* left, double* right, int numFrames) noexcept
{
    for (int start = 0; start < numFrames; start += EngineChunk::hostFrames)
        (this->*processChunk) (left + start, right + start, std::min (EngineChunk::hostFrames, numFrames - start));

    return { blockGain, feedbackLoop.peakGainDb, feedbackLoop.rmsGainDb };
}

CompressorEngine::Readings CompressorEngine::process (float* left, float* right, int numFrames) noexcept
{
    for (int start = 0; start < numFrames; start += EngineChunk::hostFrames)
    {
        const int n = std::min (EngineChunk::hostFrames, numFrames - start);

        for (int i = 0; i < n; ++i)
        {
            buffers.wideL[i] = left[start + i];
            buffers.wideR[i] = right[start + i];
        }

        (this->*processChunk) (buffers.wideL, buffers.wideR, n);

        for (int i = 0; i < n; ++i)
        {
            left[start + i] = static_cast<float> (buffers.wideL[i]);
            right[start + i] = static_cast<float> (buffers.wideR[i]);
        }
    }

    return { blockGain, feedbackLoop.peakGainDb, feedbackLoop.rmsGainDb };
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

void CompressorEngine::detectStage (double& x, double& y, double& gain, double n) noexcept
{
    double mid = (x + y) * 0.5 + n;
    double side = (y - x) * 0.5 + n;
    KeyFilterStage::filter (keyStages, keySlope, mid, side);

    const double k1 = mid - stereoDiff * side;
    const double k2 = mid + stereoDiff * side;
    const double g = precise == 1 ? detector.detectPrecise (k1, k2, n) : detector.detectEco (k1, k2, n);
    gain = g;

    // The detector's gain lags its key by 16 frames; so does the audio it is applied to.
    keyDelay.process (y, x);
    y = g * y - y;
    x = g * x - x;
}

void CompressorEngine::processPlain (double& left, double& right, double& gain, double& peakDb, double& rmsDb) noexcept
{
    left = finiteOrSilence (left);
    right = finiteOrSilence (right);
    const double n = nextNoise();

    double deltaL = left;
    double deltaR = right;
    detectStage (deltaR, deltaL, gain, n);

    // A second step of the same line with the same frame: each step now returns the
    // frame of 8 host frames earlier, for the delta and the dry signal alike.
    double dryL = left;
    double dryR = right;
    keyDelay.process (dryL, dryR);

    mix (left, right, deltaL, deltaR, dryL, dryR);
    publish (peakDb, rmsDb);
}

void CompressorEngine::processOversampled (double& left, double& right, double& gain, double& peakDb, double& rmsDb) noexcept
{
    left = finiteOrSilence (left);
    right = finiteOrSilence (right);
    const double n = nextNoise();

    // Zero-stuffed 2x interpolation: the doubled input makes up for the stuffed zero.
    double l0 = 2.0 * left;
    double r0 = 2.0 * right;
    upsampler.processCentre (l0, r0);
    double l1 = 0.0;
    double r1 = 0.0;
    upsampler.processHalfBand (l1, r1);

    detectStage (r0, l0, gain, n);
    detectStage (r1, l1, gain, n);

    // Decimation: the first delta sub-frame gives the output, the second is only pushed.
    downsampler.processHalfBand (l0, r0);
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
