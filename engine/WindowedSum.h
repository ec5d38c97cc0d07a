#pragma once

#include <array>
#include <cstddef>

/** Zero-padded taps for WindowedSum: tap k at k + pad, zeros around them. */
template <int taps>
struct PaddedTaps
{
    static constexpr int pad = 24;  // three steps of the widest vector

    /** Tap k is c[first + stride k]: a half-band filter's odd taps are (c, 1, 2). */
    template <typename Table>
    void assign (const Table& c, int first, int stride) noexcept
    {
        for (auto& v : values)
            v = 0.0;

        for (int k = 0; k < taps; ++k)
            values[k + pad] = c[static_cast<std::size_t> (first + stride * k)];
    }

    alignas (64) double values[static_cast<std::size_t> (taps + 2 * pad)];
};

/** The FIR sum y[i] = sum over j < taps of c[j] x[i - j] on both channels of a block
    filter, for i from 0 up to n rounded up to four vector steps. x points at sample 0
    of the chunk, with taps - 1 samples of history before it.

    Four output vectors share every loaded window of the input: window x[i + d ...]
    meets tap 4 v - d of output vector v, so each input run is read once per four
    vectors instead of once per tap and vector, and the sum is bound by its
    multiply-adds, not by (line-splitting) loads. The taps outside 0..taps - 1 are the
    padding's zeros: each output is still its taps' multiply-adds in the order of the
    input, whichever of the four vectors it falls in, so it comes out the same wherever
    it lies in a block. */
template <typename Isa, int taps>
struct WindowedSum
{
    static void run (const PaddedTaps<taps>& padded, const double* xl, const double* xr, int n, double* yl, double* yr) noexcept
    {
        using V = typename Isa::Vec;
        constexpr int w = Isa::width;
        static_assert (3 * w <= PaddedTaps<taps>::pad, "the padding covers three vector steps");
        const double* c = padded.values + PaddedTaps<taps>::pad;

        for (int i = 0; i < n; i += 4 * w)
        {
            V l0 {}, l1 {}, l2 {}, l3 {}, r0 {}, r1 {}, r2 {}, r3 {};

            for (int d = 1 - taps; d < 3 * w + 1; ++d)
            {
                const V wl = Isa::load (xl + i + d);
                const V wr = Isa::load (xr + i + d);
                const V c0 = Isa::broadcast (c[-d]);
                const V c1 = Isa::broadcast (c[w - d]);
                const V c2 = Isa::broadcast (c[2 * w - d]);
                const V c3 = Isa::broadcast (c[3 * w - d]);
                l0 = Isa::fma (c0, wl, l0);
                l1 = Isa::fma (c1, wl, l1);
                l2 = Isa::fma (c2, wl, l2);
                l3 = Isa::fma (c3, wl, l3);
                r0 = Isa::fma (c0, wr, r0);
                r1 = Isa::fma (c1, wr, r1);
                r2 = Isa::fma (c2, wr, r2);
                r3 = Isa::fma (c3, wr, r3);
            }

            Isa::store (yl + i, l0);
            Isa::store (yl + i + w, l1);
            Isa::store (yl + i + 2 * w, l2);
            Isa::store (yl + i + 3 * w, l3);
            Isa::store (yr + i, r0);
            Isa::store (yr + i + w, r1);
            Isa::store (yr + i + 2 * w, r2);
            Isa::store (yr + i + 3 * w, r3);
        }
    }
};
