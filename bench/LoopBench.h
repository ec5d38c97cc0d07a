#pragma once

#include "FeedbackLoop.h"

/** F = 2 evaluations for each of frames frames through the AVX-512 build of the loop;
    sensedLog and gainsDb hold 2 x frames values, phase by phase. */
double runFeedbackLoopAvx512 (FeedbackLoop& loop, const DetectorCurve& curve, const double* sensedLog,
                              const double* noise, int frames, double* gainsDb) noexcept;

/** length dependent fused multiply-adds: four cycles each on the processors we build
    for, a clock to count the loop's cycles by. */
double fmaChainAvx512 (double x, double a, double b, int length) noexcept;
