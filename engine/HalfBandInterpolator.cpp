#include "HalfBandInterpolator.h"

HalfBandInterpolator::HalfBandInterpolator (const std::array<double, FilterTables::halfBandLength>& taps) noexcept
    : centreTap (taps[FilterTables::halfBandLength / 2])
{
    for (int j = 0; j < oddTaps / 2; ++j)
        pairedTaps[static_cast<std::size_t> (j)] = taps[static_cast<std::size_t> (2 * j + 1)];
}

void HalfBandInterpolator::reset() noexcept
{
    left.reset (0.0);
    right.reset (0.0);
}
