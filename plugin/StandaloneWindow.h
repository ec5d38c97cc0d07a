#pragma once

#include <juce_audio_plugin_client/juce_audio_plugin_client.h>
#include <juce_audio_utils/juce_audio_utils.h>

// JUCE's window, copied at configure time (cmake/JuceStandaloneWindow.cmake).
#include "juce_StandaloneFilterWindow.h"

/** JUCE's standalone window whose Options menu also lists the factory programs. */
class StandaloneWindow : public juce::StandaloneFilterWindow
{
public:
    using juce::StandaloneFilterWindow::StandaloneFilterWindow;

private:
    void buttonClicked (juce::Button*) override;
    static void menuChosen (int result, StandaloneWindow* window);
};
