#include "EngineKernels.h"
#include "Simd.h"

void CompressorEngine::processChunkSse2 (double* left, double* right, int n) noexcept
{
    EngineKernels<Simd<2>>::processChunk (*this, left, right, n);
}
