#pragma once

/** The instruction sets the block engine is built for. An engine picks one when it is
    constructed and keeps it. */
enum class Kernel
{
    sse2,    // any x86-64
    avx2,    // AVX2 with fused multiply-add
    avx512   // AVX-512 F and DQ with fused multiply-add
};

/** Whether this processor runs the kernel. */
bool kernelRuns (Kernel kernel) noexcept;

/** The widest kernel this processor runs. */
Kernel fastestKernel() noexcept;
