#include "SoftplusTable.h"

#include <cmath>

SoftplusTable::SoftplusTable() noexcept
{
    for (int i = 0; i < segments; ++i)
    {
        // Derivatives of ln (1 + e^u) at the centre, through the logistic s = 1 / (1 + e^-u).
        const long double u = static_cast<long double> (i) / segmentsPerNeper + lowestNeper;
        const long double s = 1.0L / (1.0L + std::exp (-u));
        const long double q = s * (1.0L - s);
        const long double derivatives[6] = {
            u > 0 ? u + std::log1p (std::exp (-u)) : std::log1p (std::exp (u)),
            s,
            q,
            q * (1.0L - 2.0L * s),
            q * (1.0L - 6.0L * s + 6.0L * s * s),
            q * (1.0L - 2.0L * s) * (1.0L - 12.0L * s + 12.0L * s * s),
        };

        long double width = 1.0L;
        long double factorial = 1.0L;

        for (int k = 0; k < 6; ++k)
        {
            table[static_cast<std::size_t> (i)].c[k] = static_cast<double> (derivatives[k] * width / factorial);
            width /= segmentsPerNeper;
            factorial *= k + 1;
        }
    }
}
