#include "Kernel.h"

bool kernelRuns (Kernel kernel) noexcept
{
    switch (kernel)
    {
        case Kernel::avx512:
            return __builtin_cpu_supports ("avx512f") && __builtin_cpu_supports ("avx512dq")
                && __builtin_cpu_supports ("fma");
        case Kernel::avx2:
            return __builtin_cpu_supports ("avx2") && __builtin_cpu_supports ("fma");
        case Kernel::sse2:
            break;
    }

    return true;
}

Kernel fastestKernel() noexcept
{
    if (kernelRuns (Kernel::avx512))
        return Kernel::avx512;
    if (kernelRuns (Kernel::avx2))
        return Kernel::avx2;
    return Kernel::sse2;
}
