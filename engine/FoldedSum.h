#pragma once

/** The symmetric FIR sum y[i] = sum over j < pairs of c[j] (x[i - j] + x[i - span + j]),
    for i from 0 up to n rounded up to two vector steps, over the two channels of a
    block filter. x points at sample 0 of the chunk, with at least span samples of
    history before it. Each output is one chain of multiply-adds in tap order, so it
    comes out the same wherever it falls in a block. */
template <typename Isa, int pairs, int span>
struct FoldedSum
{
    static void run (const double* c, const double* xl, const double* xr, int n, double* yl, double* yr) noexcept
    {
        using V = typename Isa::Vec;
        constexpr int w = Isa::width;

        for (int i = 0; i < n; i += 2 * w)
        {
            V l0 {}, l1 {}, r0 {}, r1 {};

            for (int j = 0; j < pairs; ++j)
            {
                const V cj = Isa::broadcast (c[j]);
                const int near = i - j;
                const int far = i - span + j;
                l0 = Isa::fma (cj, Isa::load (xl + near) + Isa::load (xl + far), l0);
                l1 = Isa::fma (cj, Isa::load (xl + near + w) + Isa::load (xl + far + w), l1);
                r0 = Isa::fma (cj, Isa::load (xr + near) + Isa::load (xr + far), r0);
                r1 = Isa::fma (cj, Isa::load (xr + near + w) + Isa::load (xr + far + w), r1);
            }

            Isa::store (yl + i, l0);
            Isa::store (yl + i + w, l1);
            Isa::store (yr + i, r0);
            Isa::store (yr + i + w, r1);
        }
    }
};
