#include "ProgramMenu.h"

juce::PopupMenu ProgramMenu::create (juce::AudioProcessor& processor)
{
    juce::PopupMenu menu;
    const auto current = processor.getCurrentProgram();

    for (int i = 0; i < processor.getNumPrograms(); ++i)
        menu.addItem (firstItemId + i, processor.getProgramName (i), true, i == current);

    return menu;
}

bool ProgramMenu::choose (juce::AudioProcessor& processor, int menuResult)
{
    const auto index = menuResult - firstItemId;

    if (index < 0 || index >= processor.getNumPrograms())
        return false;

    processor.setCurrentProgram (index);
    return true;
}
