#pragma once

#include "CompressorEngine.h"

/** A full set of engine settings in the engine's own units, written the way the
    processor writes them, so that a test or a benchmark states only its values. */
struct EngineSettings
{
    double thresholdDb, kneeDb, ratioSlope;
    bool peakFollowsRatio;
    double crestDb, attackMs, releasePeakMs, releaseRmsMs, keyHpHz;
    float slope;
    double stereoDiff, makeupGain, dryGain, outputGain;

    void applyTo (CompressorEngine& engine) const
    {
        engine.thresholdDb = thresholdDb;
        engine.kneeDb = kneeDb;
        engine.ratioSlope = ratioSlope;
        engine.peakFollowsRatio = peakFollowsRatio;
        engine.updateCurve();
        engine.detector.crestDb = crestDb;
        engine.setAttack (attackMs);
        engine.setReleasePeak (releasePeakMs);
        engine.detector.setReleaseRms (releaseRmsMs);
        engine.keyHpHz = keyHpHz;
        engine.setKeySlope (slope);
        engine.stereoDiff = stereoDiff;
        engine.makeupGain = makeupGain;
        engine.dryGain = dryGain;
        engine.outputGain = outputGain;
    }
};
