#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

/** The colours both of the editor's looks start from: buttons, lists, scroll bars,
    sliders and progress bars as the classic look drew them. Each look then sets its
    own popup-menu and box colours. */
void applyClassicColours (juce::LookAndFeel& look);
