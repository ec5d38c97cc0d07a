#include "FeedbackLoop.h"
#include "LoopBench.h"
#include "Simd.h"

#include <cmath>

// Built for AVX-512 with FMA, as the engine's widest block path.
double runFeedbackLoopAvx512 (FeedbackLoop& loop, const DetectorCurve& curve, const double* sensedLog,
                              const double* noise, int frames, double* gainsDb) noexcept
{
    const double* const logs[2] = { sensedLog, sensedLog + frames };
    double* const gains[2] = { gainsDb, gainsDb + frames };
    loop.run<Simd<8>, 2> (curve, logs, noise, frames, gains);
    return loop.gainDb;
}

double fmaChainAvx512 (double x, double a, double b, int length) noexcept
{
    for (int i = 0; i < length; ++i)
        x = __builtin_fma (x, a, b);

    return x;
}
