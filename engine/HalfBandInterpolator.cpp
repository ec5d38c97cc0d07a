#include "HalfBandInterpolator.h"

HalfBandInterpolator::HalfBandInterpolator (const std::array<double, FilterTables::halfBandLength>& taps) noexcept
    : centreTap (taps[FilterTables::halfBandLength / 2])
{
    odd.assign (taps, 1, 2);
}

void HalfBandInterpolator::reset() noexcept
{
    left.reset (0.0);
    right.reset (0.0);
}
