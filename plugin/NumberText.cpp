#include "NumberText.h"

#include <cmath>
#include <cstdint>
#include <cstdio>

namespace
{
    // Beyond this the scaled magnitude no longer holds exact integers.
    constexpr double largestExactInteger = 9007199254740992.0;

    juce::String writeWithPrintf (const char* format, int decimals, double value)
    {
        char buffer[400];
        std::snprintf (buffer, sizeof (buffer), format, decimals, value);
        return juce::String (buffer);
    }
}

juce::String writeWithDecimals (double value, int decimals)
{
    const double scaled = std::floor (std::abs (value) * std::pow (10.0, decimals) + 0.5);

    if (! std::isfinite (value) || ! (scaled < largestExactInteger))
        return writeWithPrintf ("%.*f", decimals, value);

    auto digits = static_cast<std::uint64_t> (scaled);
    char buffer[32];
    char* start = buffer + sizeof (buffer);
    *--start = 0;

    for (int place = decimals; place >= 0 || digits > 0; --place)
    {
        if (place == 0 && decimals > 0)
            *--start = '.';
        *--start = static_cast<char> ('0' + digits % 10);
        digits /= 10;
    }

    if (value < 0)
        *--start = '-';

    return juce::String (start);
}

juce::String writeAsInteger (double value)
{
    if (! std::isfinite (value))
        return writeWithPrintf ("%.*f", 0, value);

    // nearbyint rounds halves to even under the default rounding mode; adding 0.0
    // turns a rounded -0 into 0.
    return writeWithPrintf ("%.*f", 0, std::nearbyint (value) + 0.0);
}
