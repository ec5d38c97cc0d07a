#pragma once

#include <cmath>
#include <cstdint>
#include <cstring>

/** Natural logarithm and exponential for the detector's feedback loop.

    Each evaluation of the gain computer waits on one log and one exp, so their latency
    is the loop's. These are inline, table driven and plain SSE2: within 1 ulp of the
    exact result (almost always correctly rounded) for every finite argument they take
    on the fast path, which covers all positive normal numbers for log and |x| < 700
    for exp. Anything else (zero, negatives, subnormals, infinities, NaN, overflow,
    underflow) goes to std::log / std::exp, so the special values match the library. */
namespace FastMath
{
/** 2^(j/128) as a sum of two doubles. */
struct ExpEntry
{
    double hi;
    double lo;
};

/** For one slice of mantissas: a short reciprocal of the slice's centre and
    -ln (invC) split so that k ln2 + logCHi is exact. */
struct LogEntry
{
    double invC;
    double logCHi;
    double logCLo;
};

/** Taylor coefficients of ln (1 + e^y), degree 8, about one table point; the constant
    term as a sum of two doubles, so it adds no rounding of its own. */
struct SoftplusEntry
{
    double c0Hi;
    double c0Lo;
    double c[8];  // c[n - 1] goes with d^n
};

constexpr int expTableBits = 7;
constexpr int softplusSteps = 16;      // table points per unit of y
constexpr int softplusFirst = -640;    // y = -40
constexpr int softplusCount = 769;     // up to y = 8
constexpr int logTableBits = 8;

extern const ExpEntry expTable[1 << expTableBits];
extern const LogEntry logTable[1 << logTableBits];
extern const SoftplusEntry softplusTable[softplusCount];

/** The arguments outside the fast paths: rare, so kept out of line. */
[[gnu::cold]] double expOutsideFastRange (double x) noexcept;
[[gnu::cold]] double logOutsideFastRange (double x) noexcept;
[[gnu::cold]] double softplusOutsideFastRange (double y) noexcept;

namespace detail
{
inline std::uint64_t bitsOf (double x) noexcept
{
    std::uint64_t bits;
    std::memcpy (&bits, &x, sizeof bits);
    return bits;
}

inline double fromBits (std::uint64_t bits) noexcept
{
    double x;
    std::memcpy (&x, &bits, sizeof x);
    return x;
}
} // namespace detail

/** e^x. With k = round (128 x / ln2) and r = x - k ln2 / 128 (|r| <= 0.0028):
    e^x = 2^(k / 128) e^r, 2^(k / 128) from the table and a power of two, e^r - 1 a
    Taylor polynomial of degree 5 (next term below 2^-60). */
inline double exp (double x) noexcept
{
    using namespace detail;

    // Also false for NaN.
    if (! (std::abs (x) < 700.0))
        return expOutsideFastRange (x);

    constexpr double invLn2N = 0x1.71547652b82fep+7;  // 128 / ln2
    constexpr double ln2HiN = 0x1.62e42fefa0000p-8;   // ln2 / 128 in 36 bits: k ln2HiN is exact
    constexpr double ln2LoN = 0x1.cf79abc9e3b3ap-47;
    constexpr double roundingShift = 0x1.8p52;         // adding it rounds to an integer

    const double shifted = x * invLn2N + roundingShift;
    const auto k = static_cast<std::int64_t> (bitsOf (shifted) - bitsOf (roundingShift));
    const double kd = shifted - roundingShift;

    // x - k ln2HiN is exact (Sterbenz); the low part's rounding is far below an ulp.
    const double r = (x - kd * ln2HiN) - kd * ln2LoN;

    const ExpEntry& t = expTable[k & ((1 << expTableBits) - 1)];
    const double scale = fromBits (static_cast<std::uint64_t> ((k >> expTableBits) + 1023) << 52);
    const double sHi = t.hi * scale;
    const double sLo = t.lo * scale;

    // Estrin-style: the r^2 and r^4 products overlap the lower terms.
    const double r2 = r * r;
    const double q = (0.5 + r * (1.0 / 6.0)) + r2 * ((1.0 / 24.0) + r * (1.0 / 120.0));
    return sHi + ((sLo + sHi * r) + (sHi * r2) * q);
}

/** ln x. x = 2^k z with z in [0.69, 1.38); the top mantissa bits pick a slice whose
    short reciprocal invC makes r = z invC - 1 small (|r| <= 2^-9), formed exactly as
    a sum of two doubles, and ln x = k ln2 - ln invC + ln (1 + r), the last a Taylor
    polynomial of degree 6. The slice around 1 has invC = 1, so results near 0 keep
    their relative accuracy. */
inline double log (double x) noexcept
{
    using namespace detail;

    const std::uint64_t ix = bitsOf (x);

    // Positive, normal and finite only: unsigned wrap-around catches the rest.
    if (ix - 0x0010000000000000ull >= 0x7fe0000000000000ull)
        return logOutsideFastRange (x);

    // The offset puts 1.0 in the middle of a slice and z in [0.69, 1.38).
    constexpr std::uint64_t offset = 0x3fe6080000000000ull;
    constexpr double ln2Hi = 0x1.62e42fefa3800p-1;  // a multiple of 2^-43, like logCHi
    constexpr double ln2Lo = 0x1.ef35793c76730p-45;

    const std::uint64_t tmp = ix - offset;
    const LogEntry& t = logTable[(tmp >> (52 - logTableBits)) & ((1u << logTableBits) - 1)];
    const auto k = static_cast<double> (static_cast<std::int64_t> (tmp) >> 52);
    const std::uint64_t iz = ix - (tmp & (0xfffull << 52));

    // z = z_hi + z_lo with 33 and 20 significant bits; invC has 20, so both products
    // and a are exact and r + rErr = z invC - 1 exactly (2Sum).
    const double z = fromBits (iz);
    const double zHi = fromBits (iz & ~0xfffffull);
    const double a = zHi * t.invC - 1.0;
    const double b = (z - zHi) * t.invC;
    const double r = a + b;
    const double bPart = r - a;
    const double rErr = (a - (r - bPart)) + (b - bPart);

    // hi + lo = k ln2 + ln c + r + rErr; w is exact and either 0 or larger than |r|, so
    // Fast2Sum recovers the rounding of hi.
    const double w = k * ln2Hi + t.logCHi;
    const double hi = w + r;
    const double hiErr = (w - hi) + r;
    const double lo = hiErr + (rErr + (k * ln2Lo + t.logCLo));

    const double r2 = r * r;
    const double q = (-0.5 + r * (1.0 / 3.0)) + r2 * ((-0.25 + r * 0.2) + r2 * (-1.0 / 6.0));
    return hi + (lo + r2 * q);
}

/** ln (1 + e^y), within an ulp for y > 0 and within 2^-53 (absolute) for y <= 0. This is the step from a gain in nepers to the log of the
    level it scales, ln (m (1 + g)) = ln m + softplus (ln g), in one table lookup and a
    degree 8 polynomial in |y - i / 16| <= 1/32. */
inline double softplus (double y) noexcept
{
    using namespace detail;

    // Also false for NaN.
    if (! (y > -40.0 && y < 8.0))
        return softplusOutsideFastRange (y);

    constexpr double roundingShift = 0x1.8p52;
    const double shifted = y * softplusSteps + roundingShift;
    const auto i = static_cast<std::int64_t> (bitsOf (shifted) - bitsOf (roundingShift));
    const double kd = shifted - roundingShift;

    // Exact: kd / 16 is within 1/32 of y.
    const double d = y - kd * (1.0 / softplusSteps);
    const SoftplusEntry& t = softplusTable[i - softplusFirst];
    const double* c = t.c;

    // Everything but the constant is below 1/32 in size, so its roundings stay far
    // below the final one.
    const double d2 = d * d;
    const double d4 = d2 * d2;
    const double low = (t.c0Lo + c[0] * d) + d2 * (c[1] + c[2] * d);
    const double high = (c[3] + c[4] * d) + d2 * (c[5] + c[6] * d);
    return t.c0Hi + (low + d4 * (high + d4 * c[7]));
}
} // namespace FastMath

