#include "Conversions.h"

#include <cmath>

double dbToGain (double db) noexcept
{
    return std::exp (db * 0.11512925464970228);
}

double gainToDb (double gain) noexcept
{
    return std::log (gain) * 8.685889638065037;
}

float dbToGainFloat (float db) noexcept
{
    const float exponent = db * 0.115129254758358f;
    return static_cast<float> (std::exp (static_cast<double> (exponent)));
}
