#pragma once

#include <juce_audio_processors/juce_audio_processors.h>

/** The processor's programs as a menu for the standalone window, the current one
    ticked. Its item ids start at `firstItemId`, clear of the window's own items. */
class ProgramMenu
{
public:
    static constexpr int firstItemId = 100;

    static juce::PopupMenu create (juce::AudioProcessor& processor);

    /** Makes the program change that a chosen item stands for, the same call a host
        makes; false, changing nothing, for a result that is no program item. */
    static bool choose (juce::AudioProcessor& processor, int menuResult);
};
