#include "FilterTables.h"

#include <cmath>
#include <cstddef>
#include <cstdlib>

namespace
{
constexpr double pi = 3.141592653589793;
constexpr int centreTap = FilterTables::halfBandLength / 2;
constexpr double windowHalfWidth = 175.0;
constexpr double kaiserBeta = 3.8 * pi;

/** Modified Bessel function of the first kind, order 0, by its power series. */
double besselI0 (double x) noexcept
{
    const double halfX = 0.5 * x;
    double term = 1.0;
    double sum = 1.0;

    for (int k = 1; k < 200 && term > 1e-21 * sum; ++k)
    {
        const double factor = halfX / k;
        term *= factor * factor;
        sum += term;
    }

    return sum;
}

/** The ideal half-band low-pass at distance d from the centre (even in d). */
double idealHalfBand (int d) noexcept
{
    if (d == 0)
        return 0.5;
    if (d % 2 == 0)
        return 0.0;
    return std::sin (pi * d / 2.0) / (pi * d);
}
} // namespace

std::array<double, FilterTables::halfBandLength> FilterTables::designHalfBand() noexcept
{
    std::array<double, halfBandLength> taps {};
    const double windowNorm = besselI0 (kaiserBeta);

    // Tap 0 stays 0: the filter is 351 taps long and symmetric about tap 176, and the
    // extra slot keeps the length even for the polyphase split.
    for (int k = 1; k < halfBandLength; ++k)
    {
        const int d = std::abs (k - centreTap);
        const double r = d / windowHalfWidth;
        const double window = besselI0 (kaiserBeta * std::sqrt (1.0 - r * r)) / windowNorm;
        taps[static_cast<std::size_t> (k)] = idealHalfBand (d) * window;
    }

    double sum = 0.0;
    for (const double tap : taps)
        sum += tap;

    for (auto& tap : taps)
        tap /= sum;

    return taps;
}
