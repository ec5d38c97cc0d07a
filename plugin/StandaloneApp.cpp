#include "StandaloneApp.h"

StandaloneApp::StandaloneApp()
{
    juce::PropertiesFile::Options options;
    options.applicationName = getApplicationName();
    options.filenameSuffix = ".settings";
    options.folderName = "~/.config";
    properties.setStorageParameters (options);
}

const juce::String StandaloneApp::getApplicationName()
{
    return JucePlugin_Name;
}

const juce::String StandaloneApp::getApplicationVersion()
{
    return JucePlugin_VersionString;
}

bool StandaloneApp::moreThanOneInstanceAllowed()
{
    return true;
}

void StandaloneApp::anotherInstanceStarted (const juce::String&)
{
}

void StandaloneApp::initialise (const juce::String&)
{
    const juce::StandalonePluginHolder::PluginInOuts channels[] { JucePlugin_PreferredChannelConfigurations };
    const auto background = juce::LookAndFeel::getDefaultLookAndFeel().findColour (juce::ResizableWindow::backgroundColourId);

    window = std::make_unique<StandaloneWindow> (getApplicationName(), background, properties.getUserSettings(), false,
                                                 juce::String(), nullptr,
                                                 juce::Array<juce::StandalonePluginHolder::PluginInOuts> (channels, juce::numElementsInArray (channels)));
    window->setVisible (true);
}

void StandaloneApp::shutdown()
{
    window = nullptr;
    properties.saveIfNeeded();
}

// A modal dialog still open (a file chooser, the settings) is closed first; the quit
// is then asked for again, once it has gone.
void StandaloneApp::systemRequestedQuit()
{
    if (window != nullptr)
        window->pluginHolder->savePluginState();

    if (juce::ModalComponentManager::getInstance()->cancelAllModalComponents())
    {
        juce::Timer::callAfterDelay (100, []
        {
            if (auto* app = juce::JUCEApplicationBase::getInstance())
                app->systemRequestedQuit();
        });
    }
    else
    {
        quit();
    }
}
