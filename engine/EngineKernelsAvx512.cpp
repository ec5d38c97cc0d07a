#include "EngineKernels.h"
#include "Simd.h"

void CompressorEngine::processChunkAvx512 (double* left, double* right, int n) noexcept
{
    EngineKernels<Simd<8>>::processChunk (*this, left, right, n);
}
