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
