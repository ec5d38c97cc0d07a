#pragma once

#include <juce_core/juce_core.h>

/** The two ways the display texts write numbers.

    With decimals, exact halves go away from zero and a negative value keeps its sign
    even when every digit is zero ("-0.0"); as an integer, halves go to the even
    neighbour. Neither matches JUCE 7's own String constructors, so both are written
    here. Values too large to write digit by digit, and non-finite ones, fall back to
    the C library's conventions.
*/
juce::String writeWithDecimals (double value, int decimals);
juce::String writeAsInteger (double value);
