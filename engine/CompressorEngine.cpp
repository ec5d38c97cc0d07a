#include "CompressorEngine.h"

#include "EngineKernels.h"
#include "Logarithms.h"

#include <algorithm>
#include <cmath>

CompressorEngine::CompressorEngine (Kernel kernel)
    : processChunk (chunkProcessorFor (kernelRuns (kernel) ? kernel : fastestKernel()))
{
    // The key filter stays all zero until the first rate or key setting: the key is
    // then exactly 0 and the detector sees its floor level.
    updateCurve();
    updateRates();
}

CompressorEngine::ChunkProcessor CompressorEngine::chunkProcessorFor (Kernel kernel) noexcept
{
    switch (kernel)
    {
        case Kernel::avx512: return &EngineKernels<Simd<8>>::processChunk;
        case Kernel::avx2: return &EngineKernels<Simd<4>>::processChunk;
        case Kernel::sse2: break;
    }

    return &EngineKernels<Simd<2>>::processChunk;
}

void CompressorEngine::setSampleRate (double hostRate) noexcept
{
    params.oversampling = usesOversampling (hostRate);
    params.processRate = params.oversampling ? 2.0 * hostRate : hostRate;
    updateKeyFilter();
    updateRates();
}

void CompressorEngine::reset() noexcept
{
    state.reset();
}

CompressorEngine::Readings CompressorEngine::process (double* left, double* right, int numFrames) noexcept
{
    for (int start = 0; start < numFrames; start += EngineChunk::hostFrames)
        processChunk (params, state, left + start, right + start, std::min (EngineChunk::hostFrames, numFrames - start));

    return readings();
}

CompressorEngine::Readings CompressorEngine::process (float* left, float* right, int numFrames) noexcept
{
    auto& b = state.buffers;

    for (int start = 0; start < numFrames; start += EngineChunk::hostFrames)
    {
        const int n = std::min (EngineChunk::hostFrames, numFrames - start);

        for (int i = 0; i < n; ++i)
        {
            b.wideL[i] = left[start + i];
            b.wideR[i] = right[start + i];
        }

        processChunk (params, state, b.wideL, b.wideR, n);

        for (int i = 0; i < n; ++i)
        {
            left[start + i] = static_cast<float> (b.wideL[i]);
            right[start + i] = static_cast<float> (b.wideR[i]);
        }
    }

    return readings();
}

CompressorEngine::Readings CompressorEngine::readings() const noexcept
{
    return { state.lastGain, state.feedbackLoop.peakGainDb, state.feedbackLoop.rmsGainDb };
}

void CompressorEngine::setSettings (const EngineSettings& s) noexcept
{
    setPrecise (s.precise);
    setThresholdDb (s.thresholdDb);
    setKneeDb (s.kneeDb);
    setRatioSlope (s.ratioSlope);
    setPeakFollowsRatio (s.peakFollowsRatio);
    setCrestDb (s.crestDb);
    setAttackMs (s.attackMs);
    setReleasePeakMs (s.releasePeakMs);
    setReleaseRmsMs (s.releaseRmsMs);
    setKeyHpHz (s.keyHpHz);
    setKeySlope (s.keySlope);
    setStereoDiff (s.stereoDiff);
    setMakeupGain (s.makeupGain);
    setDryGain (s.dryGain);
    setOutputGain (s.outputGain);
    setDelta (s.delta);
    setBypass (s.bypass);
}

void CompressorEngine::setThresholdDb (double db) noexcept
{
    params.settings.thresholdDb = db;
    updateCurve();
}

void CompressorEngine::setKneeDb (double halfWidthDb) noexcept
{
    params.settings.kneeDb = halfWidthDb;
    updateCurve();
}

void CompressorEngine::setRatioSlope (double slope) noexcept
{
    params.settings.ratioSlope = slope;
    updateCurve();
}

void CompressorEngine::setPeakFollowsRatio (bool follows) noexcept
{
    params.settings.peakFollowsRatio = follows;
    updateCurve();
}

void CompressorEngine::setCrestDb (double db) noexcept
{
    params.settings.crestDb = db;
    updateCurve();
}

void CompressorEngine::setAttackMs (double ms) noexcept
{
    params.settings.attackMs = ms;
    updateAttack();
}

void CompressorEngine::setReleasePeakMs (double ms) noexcept
{
    params.settings.releasePeakMs = ms;
    updateReleasePeak();
}

void CompressorEngine::setReleaseRmsMs (double ms) noexcept
{
    params.settings.releaseRmsMs = ms;
    updateReleaseRms();
}

void CompressorEngine::setKeyHpHz (double hz) noexcept
{
    params.settings.keyHpHz = hz;
    updateKeyFilter();
}

void CompressorEngine::setKeySlope (int slope) noexcept
{
    params.settings.keySlope = slope;
    updateKeyFilter();
}

void CompressorEngine::setStereoDiff (double diff) noexcept
{
    params.settings.stereoDiff = diff;
}

void CompressorEngine::setMakeupGain (double gain) noexcept
{
    params.settings.makeupGain = gain;
}

void CompressorEngine::setDryGain (double gain) noexcept
{
    params.settings.dryGain = gain;
}

void CompressorEngine::setOutputGain (double gain) noexcept
{
    params.settings.outputGain = gain;
}

void CompressorEngine::setPrecise (bool precise) noexcept
{
    params.settings.precise = precise;
    updateRates();
}

void CompressorEngine::setDelta (bool delta) noexcept
{
    params.settings.delta = delta;
}

void CompressorEngine::setBypass (bool bypass) noexcept
{
    params.settings.bypass = bypass;
}

double CompressorEngine::timeCoef (double ms) const noexcept
{
    // Times of 0.01 ms and below act at once.
    if (ms > 0.01)
        return std::exp (-1000.0 / (2.0 * params.detectorRate * ms));
    return 0.0;
}

void CompressorEngine::updateCurve() noexcept
{
    const auto& s = params.settings;
    auto& c = params.curve;
    const double knee = s.kneeDb;
    const double lowerKnee = s.thresholdDb - knee;
    c.peakOffsetDb = -(s.crestDb + lowerKnee + knee);
    c.rmsOffsetDb = -(lowerKnee + knee);
    c.kneeDb = knee;
    c.quarterOverKnee = 0.25 / knee;
    c.peakSlopeMinusOne = s.peakFollowsRatio ? s.ratioSlope - 1.0 : -1.0;
    c.rmsSlopeMinusOne = s.ratioSlope - 1.0;
}

void CompressorEngine::updateAttack() noexcept
{
    const double ms = params.settings.attackMs;
    auto& c = params.curve;
    c.peakAttackCoef = timeCoef (ms);
    c.rmsAttackCoef1 = timeCoef (ms + 2.5);
    c.rmsAttackCoef2 = timeCoef (4.0 * ms + 10.0);
    // The RMS level averages over a time that follows the attack.
    c.levelCoef = timeCoef (ms * 0.5 + 5.0);
    c.levelPerNeper = Logarithms::dbPerNeper * (1.0 - c.levelCoef);
}

void CompressorEngine::updateReleasePeak() noexcept
{
    params.curve.peakReleaseCoef = timeCoef (params.settings.releasePeakMs);
}

void CompressorEngine::updateReleaseRms() noexcept
{
    const double ms = params.settings.releaseRmsMs;
    params.curve.rmsReleaseCoef1 = timeCoef (ms);
    params.curve.rmsReleaseCoef2 = timeCoef (4.0 * ms);
}

void CompressorEngine::updateRates() noexcept
{
    // Precise evaluates at 4x processRate, Eco at 2x; the time constants refer to half that.
    params.detectorRate = params.settings.precise ? 2.0 * params.processRate : params.processRate;
    updateAttack();
    updateReleasePeak();
    updateReleaseRms();
    // 3 x here but 4 x in updateReleaseRms, deliberately, so sessions sound as they always
    // have: after a rate or quality change the slow release is a quarter shorter until
    // Release RMS moves again.
    params.curve.rmsReleaseCoef2 = timeCoef (3.0 * params.settings.releaseRmsMs);
}

void CompressorEngine::updateKeyFilter() noexcept
{
    state.keyFilter.setLayout (params.settings.keySlope, params.settings.keyHpHz, params.processRate);
}
