#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

/** What the X server shows in a component's window, embedded windows of other
    libraries (a hosted plug-in's view) included: what a user would see of it. */
juce::Image windowPixels (juce::Component& window);
