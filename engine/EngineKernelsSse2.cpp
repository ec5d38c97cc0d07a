#include "EngineKernels.h"

// Built for its instruction set: this file is the only one to instantiate this width.
template class EngineKernels<Simd<2>>;
