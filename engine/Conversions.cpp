#include "Conversions.h"

#include "Logarithms.h"

#include <cmath>

double dbToGain (double db) noexcept
{
    return std::exp (db * Logarithms::nepersPerDb);
}

double gainToDb (double gain) noexcept
{
    return std::log (gain) * Logarithms::dbPerNeper;
}

float dbToGainFloat (float db) noexcept
{
    const float exponent = db * static_cast<float> (Logarithms::nepersPerDb);
    return static_cast<float> (std::exp (static_cast<double> (exponent)));
}

float keyHpFromNormalized (float value, float lo, float hi) noexcept
{
    const float logLo = std::log (lo);
    const float logHi = std::log (hi);
    const float t = value + 0.000001f;
    const float hz = std::exp (logLo + (logHi - logLo) * t);

    if (hz < lo)
        return lo;
    if (hz > hi)
        return hi;
    return hz;
}
