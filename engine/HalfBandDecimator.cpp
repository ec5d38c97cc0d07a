#include "HalfBandDecimator.h"

HalfBandDecimator::HalfBandDecimator (const std::array<double, FilterTables::halfBandLength>& taps) noexcept
    : centreTap (taps[FilterTables::halfBandLength / 2])
{
    oddPart.assign (taps, 1, 2);
}

void HalfBandDecimator::reset() noexcept
{
    for (int c = 0; c < 2; ++c)
    {
        even[c].reset (0.0);
        odd[c].reset (0.0);
    }
}
