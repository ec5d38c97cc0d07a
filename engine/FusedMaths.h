#pragma once

#include <cmath>
#include <cstdint>
#include <cstring>

/** The detector's feedback-loop arithmetic for processors with fused multiply-add:
    natural log and exp inline, within about an ulp of the library's, and a multiply-add
    rounded once.

    Every evaluation of the gain computer waits on one log and one exp; inline, with
    fused steps, each returns some ten cycles sooner than through the library call.
    They belong inside code built for the fma target, where __builtin_fma is one
    instruction (elsewhere it would be a library call): the engine selects that code
    at run time (CompressorEngine::fusedMaths). Arguments outside the fast ranges go
    to the library. */
class FusedMaths
{
public:
    static constexpr int expTableSize = 64;
    static constexpr int logTableSize = 128;

    [[gnu::always_inline]] static inline double log (double x) noexcept;

    /** a b + c, rounded once. */
    [[gnu::always_inline]] static double scaleAndAdd (double a, double b, double c) noexcept { return __builtin_fma (a, b, c); }

    /** exp (y x scale), the product rounded as the library call's argument would be. */
    [[gnu::always_inline]] static inline double expOfProduct (double y, double scale) noexcept;

    struct Tables
    {
        Tables() noexcept;

        double exp2Fraction[expTableSize];      // 2^(j / 64)
        double logCentreInverse[logTableSize];  // 1 / c near the middle of subinterval i
        double logCentre[logTableSize];         // log c for that same c, 1 / logCentreInverse
    };

    static const Tables tables;

private:
    static constexpr double ln2Hi = 0x1.62e42fefa3800p-1;   // ln 2, its last 11 bits zero
    static constexpr double ln2Lo = 0x1.ef35793c76730p-45;  // ln 2 - ln2Hi
    static constexpr double ln2 = 0x1.62e42fefa39efp-1;
    static constexpr double roundingShift = 0x1.8p52;       // adding it rounds to an integer
    static constexpr std::uint64_t logRangeStart = 0x3fe6900000000000ull;  // about 0.705

    static std::uint64_t bitsOf (double x) noexcept
    {
        std::uint64_t u;
        std::memcpy (&u, &x, sizeof u);
        return u;
    }

    static double fromBits (std::uint64_t u) noexcept
    {
        double x;
        std::memcpy (&x, &u, sizeof x);
        return x;
    }
};

// log x = k ln 2 + log c + log (z / c), with x = 2^k z, z in [0.705, 1.41) and c from a
// table of 128 subintervals: r = z / c - 1 stays below 1/256, and seven terms of the
// series for log (1 + r) reach full precision.
inline double FusedMaths::log (double x) noexcept
{
    if (! (x >= 0x1p-1021 && x < 0x1p1023))
        return std::log (x);

    const std::uint64_t ix = bitsOf (x);
    const std::uint64_t offset = ix - logRangeStart;
    const auto i = static_cast<int> ((offset >> 45) % logTableSize);
    const auto k = static_cast<double> (static_cast<std::int64_t> (offset) >> 52);
    const double z = fromBits (ix - (offset & (0xfffull << 52)));

    const double r = __builtin_fma (z, tables.logCentreInverse[i], -1.0);
    const double whole = __builtin_fma (k, ln2, tables.logCentre[i]);
    const double r2 = r * r;
    const double a56 = __builtin_fma (r, 1.0 / 7.0, -1.0 / 6.0);
    const double a34 = __builtin_fma (r, 1.0 / 5.0, -0.25);
    const double a12 = __builtin_fma (r, 1.0 / 3.0, -0.5);
    const double t = __builtin_fma (r2, a56, a34);
    const double u = __builtin_fma (r2, t, a12);
    return whole + __builtin_fma (r2, u, r);
}

// exp x = 2^(k / 64) e^r with |r| <= ln 2 / 128: 2^(k / 64) from the table and the
// exponent bits, e^r from six terms of its series.
inline double FusedMaths::expOfProduct (double y, double scale) noexcept
{
    const double x = y * scale;

    if (! (std::abs (x) < 700.0))
        return std::exp (x);

    const double shifted = __builtin_fma (y, scale * (expTableSize / ln2), roundingShift);
    const std::uint64_t ki = bitsOf (shifted);
    const double kd = shifted - roundingShift;
    const double r = __builtin_fma (-kd, ln2Lo / expTableSize, __builtin_fma (-kd, ln2Hi / expTableSize, x));
    const double s = fromBits (bitsOf (tables.exp2Fraction[ki % expTableSize]) + ((ki >> 6) << 52));

    const double r2 = r * r;
    const double a = __builtin_fma (r, 1.0 / 6.0, 0.5);
    const double b = __builtin_fma (r, 1.0 / 120.0, 1.0 / 24.0);
    const double c = __builtin_fma (r2, b, a);
    const double q = __builtin_fma (r2, c, r);
    return __builtin_fma (s, q, s);
}
