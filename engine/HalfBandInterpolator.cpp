#include "HalfBandInterpolator.h"

HalfBandInterpolator::HalfBandInterpolator (const std::array<double, FilterTables::halfBandLength>& taps) noexcept
    : centreTap (taps[FilterTables::halfBandLength / 2])
{
    std::array<double, oddTaps> oddTable;

    for (int j = 0; j < oddTaps; ++j)
        oddTable[static_cast<std::size_t> (j)] = taps[static_cast<std::size_t> (2 * j + 1)];

    odd.assign (oddTable);
}

void HalfBandInterpolator::reset() noexcept
{
    left.reset (0.0);
    right.reset (0.0);
}
