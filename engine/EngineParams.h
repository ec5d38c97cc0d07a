#pragma once

#include "DetectorCurve.h"
#include "EngineSettings.h"

/** What the block path reads and never writes: the settings, the rates they act at and
    the detector's curve formed from both. */
struct EngineParams
{
    EngineSettings settings;
    DetectorCurve curve;
    double processRate = 88200.0;  // Hz, rate of the detection stage
    double detectorRate = 88200.0; // Hz, the time constants' reference: half the evaluation rate
    bool oversampling = true;      // whether the audio runs at twice the host rate
};
