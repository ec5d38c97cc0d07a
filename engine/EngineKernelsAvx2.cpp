#include "EngineKernels.h"
#include "Simd.h"

void CompressorEngine::processChunkAvx2 (double* left, double* right, int n) noexcept
{
    EngineKernels<Simd<4>>::processChunk (*this, left, right, n);
}
