#pragma once

#include <cmath>
#include <complex>
#include <vector>

// Plain DFT helpers for measuring filters from their impulse responses.
namespace Spectrum
{
/** The DFT of h at a frequency given as a fraction of the sample rate. */
inline std::complex<double> at (const std::vector<double>& h, double frequency)
{
    std::complex<double> sum;
    const double w = -2.0 * M_PI * frequency;

    for (size_t k = 0; k < h.size(); ++k)
        sum += h[k] * std::polar (1.0, w * static_cast<double> (k));

    return sum;
}

inline double db (std::complex<double> value)
{
    return 20.0 * std::log10 (std::abs (value));
}

inline double magnitudeDb (const std::vector<double>& h, double frequency)
{
    return db (at (h, frequency));
}
} // namespace Spectrum
