#include "FusedMaths.h"

FusedMaths::Tables::Tables() noexcept
{
    for (int j = 0; j < expTableSize; ++j)
        exp2Fraction[j] = static_cast<double> (std::exp2 (static_cast<long double> (j) / expTableSize));

    for (int i = 0; i < logTableSize; ++i)
    {
        const double lo = fromBits (logRangeStart + (static_cast<std::uint64_t> (i) << 45));
        const double hi = fromBits (logRangeStart + (static_cast<std::uint64_t> (i + 1) << 45));
        const double inverse = static_cast<double> (1.0L / (0.5L * (static_cast<long double> (lo) + hi)));
        logCentreInverse[i] = inverse;
        logCentre[i] = static_cast<double> (-std::log (static_cast<long double> (inverse)));
    }
}

const FusedMaths::Tables FusedMaths::tables;
