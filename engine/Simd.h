#pragma once

#include "Logarithms.h"

#include <immintrin.h>

#include <cstdint>
#include <cstring>

template <int W>
struct SimdTypes;

template <>
struct SimdTypes<2>
{
    typedef double Vec __attribute__ ((vector_size (16)));
    typedef long long Bits __attribute__ ((vector_size (16)));
};

template <>
struct SimdTypes<4>
{
    typedef double Vec __attribute__ ((vector_size (32)));
    typedef long long Bits __attribute__ ((vector_size (32)));
};

template <>
struct SimdTypes<8>
{
    typedef double Vec __attribute__ ((vector_size (64)));
    typedef long long Bits __attribute__ ((vector_size (64)));
};

/** W doubles side by side, written once with the compiler's vector extensions: the
    same source becomes SSE2 (W = 2), AVX2 with FMA (4) or AVX-512 (8) code in the file
    built for that target. Each width belongs to exactly one such file, so no two
    targets share an instantiation.

    fma rounds once where the target has fused multiply-add and twice (multiply, then
    add) on SSE2; everything else rounds as written. */
template <int W>
struct Simd
{
    static constexpr int width = W;
    using Vec = typename SimdTypes<W>::Vec;
    using Bits = typename SimdTypes<W>::Bits;

    static Vec load (const double* p) noexcept
    {
        Vec v;
        std::memcpy (&v, p, sizeof v);
        return v;
    }

    static void store (double* p, Vec v) noexcept { std::memcpy (p, &v, sizeof v); }
    static Vec broadcast (double x) noexcept
    {
        if constexpr (W == 8)
            return Vec { x, x, x, x, x, x, x, x };
        else if constexpr (W == 4)
            return Vec { x, x, x, x };
        else
            return Vec { x, x };
    }
    static Vec max (Vec a, Vec b) noexcept { return a > b ? a : b; }
    static Vec min (Vec a, Vec b) noexcept { return a < b ? a : b; }

    static Vec fma (Vec a, Vec b, Vec c) noexcept
    {
        if constexpr (W == 8)
            return _mm512_fmadd_pd (a, b, c);
        else if constexpr (W == 4)
            return _mm256_fmadd_pd (a, b, c);
        else
            return a * b + c;
    }

    static double fma (double a, double b, double c) noexcept
    {
        if constexpr (W == 2)
            return a * b + c;
        else
            return __builtin_fma (a, b, c);
    }

    /** Natural log of positive normal x: x = 2^k z with z in [0.707, 1.414), then
        log z = 2 atanh (s) with s = (z - 1) / (z + 1), |s| < 0.172, by nine odd terms. */
    static Vec log (Vec x) noexcept
    {
        const Bits bits = reinterpret_cast<Bits> (x);
        const Bits mantissa = (bits & mantissaMask) | oneBits;
        Vec z = reinterpret_cast<Vec> (mantissa);
        // The exponent field, read as a double by planting it in 2^52's mantissa.
        Vec k = reinterpret_cast<Vec> ((bits >> 52) | twoPow52Bits) - (twoPow52 + exponentBias);
        const auto high = z > sqrtTwo;
        z = high ? z * 0.5 : z;
        k = high ? k + 1.0 : k;

        const Vec s = (z - 1.0) / (z + 1.0);
        const Vec s2 = s * s;
        Vec series = broadcast (2.0 / 19.0);

        for (int term = 17; term >= 1; term -= 2)
            series = fma (series, s2, broadcast (atanhTerms[term / 2]));

        return fma (k, broadcast (Logarithms::ln2), series * s);
    }

    /** exp x for |x| < 700: 2^k e^r with |r| <= ln 2 / 2 by twelve Taylor terms, 2^k
        planted into the exponent bits. */
    static Vec exp (Vec x) noexcept
    {
        x = min (max (x, broadcast (-700.0)), broadcast (700.0));
        const Vec shifted = fma (x, broadcast (log2e), broadcast (roundingShift));
        const Vec kd = shifted - roundingShift;
        const Vec r = fma (kd, broadcast (-ln2Lo), fma (kd, broadcast (-ln2Hi), x));

        Vec p = broadcast (inverseFactorials[12]);

        for (int n = 11; n >= 0; --n)
            p = fma (p, r, broadcast (inverseFactorials[n]));

        const Bits scale = (reinterpret_cast<Bits> (shifted) + exponentBiasBits) << 52;
        return p * reinterpret_cast<Vec> (scale);
    }

private:
    // 2 / (2 i + 1): the series 2 atanh s = 2 s (1 + s^2 / 3 + s^4 / 5 + ...).
    static constexpr double atanhTerms[9] = { 2.0, 2.0 / 3.0, 2.0 / 5.0, 2.0 / 7.0, 2.0 / 9.0,
                                              2.0 / 11.0, 2.0 / 13.0, 2.0 / 15.0, 2.0 / 17.0 };
    static constexpr double inverseFactorials[13] = { 1.0, 1.0, 1.0 / 2.0, 1.0 / 6.0, 1.0 / 24.0, 1.0 / 120.0,
                                                      1.0 / 720.0, 1.0 / 5040.0, 1.0 / 40320.0, 1.0 / 362880.0,
                                                      1.0 / 3628800.0, 1.0 / 39916800.0, 1.0 / 479001600.0 };
    static constexpr long long mantissaMask = 0x000fffffffffffffll;
    static constexpr long long oneBits = 0x3ff0000000000000ll;
    static constexpr long long twoPow52Bits = 0x4330000000000000ll;
    static constexpr long long exponentBiasBits = 1023;
    static constexpr double twoPow52 = 0x1p52;
    static constexpr double exponentBias = 1023.0;
    static constexpr double sqrtTwo = 1.4142135623730951;
    static constexpr double ln2Hi = 0x1.62e42fefa3800p-1;   // ln 2, its last 11 bits zero
    static constexpr double ln2Lo = 0x1.ef35793c76730p-45;  // ln 2 - ln2Hi
    static constexpr double log2e = 1.4426950408889634;
    static constexpr double roundingShift = 0x1.8p52;       // adding it rounds to an integer
};
