#include "HalfBandDecimator.h"

HalfBandDecimator::HalfBandDecimator (const std::array<double, FilterTables::halfBandLength>& taps) noexcept
    : centreTap (taps[FilterTables::halfBandLength / 2])
{
    std::array<double, oddTaps> oddTable;

    for (int j = 0; j < oddTaps; ++j)
        oddTable[static_cast<std::size_t> (j)] = taps[static_cast<std::size_t> (2 * j + 1)];

    oddPart.assign (oddTable);
}

void HalfBandDecimator::reset() noexcept
{
    for (int c = 0; c < 2; ++c)
    {
        even[c].reset (0.0);
        odd[c].reset (0.0);
    }
}
