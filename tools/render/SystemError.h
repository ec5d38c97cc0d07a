#pragma once

#include <juce_core/juce_core.h>

/** The cause of a failed system call in the words of the renderer's error lines:
    "permission denied", "no space left on the device", "is a folder". */
class SystemError
{
public:
    static juce::String describe (int errorNumber);
};
