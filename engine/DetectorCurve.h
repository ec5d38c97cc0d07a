#pragma once

/** The gain computer's curve and time constants as its evaluations use them, formed
    by the engine whenever a setting or the rate moves, so that the feedback loop reads
    only finished values: the offsets and the knee's reciprocal are off the loop.

    A path's target is c + knee (over) x slope with over the overshoot in dB of the
    sensed level (peak path) or of the averaged level (RMS path); each envelope follows
    its target with the release coefficient while the target lies above it. */
struct DetectorCurve
{
    static constexpr double sensingFloor = 1e-07;               // -140 dB

    double peakOffsetDb = 0.0;   // -(threshold + crest): added to the level gives the overshoot
    double rmsOffsetDb = 0.0;    // -threshold
    double kneeDb = 0.0;         // half width
    double quarterOverKnee = 0.0;
    double peakSlopeMinusOne = -1.0;
    double rmsSlopeMinusOne = 0.0;
    double levelCoef = 0.0;      // the RMS path's level averaging
    double levelPerNeper = 0.0;  // how far one neper of level moves the averaged level, in dB
    double peakAttackCoef = 0.0;
    double peakReleaseCoef = 0.0;
    double rmsAttackCoef1 = 0.0;
    double rmsAttackCoef2 = 0.0;
    double rmsReleaseCoef1 = 0.0;
    double rmsReleaseCoef2 = 0.0;
};
