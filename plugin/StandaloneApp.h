#pragma once

#include "StandaloneWindow.h"

/** The standalone application: one StandaloneWindow. Its settings (audio device, window
    position, the compressor's state) stay in ~/.config/Velmora.settings, where JUCE's
    own standalone application keeps them, so they carry over. */
class StandaloneApp : public juce::JUCEApplication
{
public:
    StandaloneApp();

    const juce::String getApplicationName() override;
    const juce::String getApplicationVersion() override;
    bool moreThanOneInstanceAllowed() override;
    void anotherInstanceStarted (const juce::String&) override;

    void initialise (const juce::String&) override;
    void shutdown() override;
    void systemRequestedQuit() override;

private:
    static void preferJack (juce::PropertySet& settings);

    juce::ApplicationProperties properties;
    std::unique_ptr<StandaloneWindow> window;
};
