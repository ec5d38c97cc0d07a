#include "StandaloneApp.h"

#include "VelmoraIcon.h"

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

// Without a device chosen yet, a running JACK server (or PipeWire's) comes first: the
// framework would otherwise open ALSA, the first type it lists. The choice is saved as
// the user's would be, and without a server the framework falls back to ALSA.
void StandaloneApp::preferJack (juce::PropertySet& settings)
{
    if (settings.containsKey ("audioSetup"))
        return;

    std::unique_ptr<juce::AudioIODeviceType> jack (juce::AudioIODeviceType::createAudioIODeviceType_JACK());
    if (jack == nullptr)
        return;
    jack->scanForDevices();
    const auto outputs = jack->getDeviceNames (false);
    if (outputs.isEmpty())
        return;

    juce::XmlElement setup ("DEVICESETUP");
    setup.setAttribute ("deviceType", jack->getTypeName());
    setup.setAttribute ("audioOutputDeviceName", outputs[0]);
    setup.setAttribute ("audioInputDeviceName", jack->getDeviceNames (true)[0]);
    settings.setValue ("audioSetup", &setup);
}

void StandaloneApp::initialise (const juce::String&)
{
    preferJack (*properties.getUserSettings());
    const juce::StandalonePluginHolder::PluginInOuts channels[] { JucePlugin_PreferredChannelConfigurations };
    const auto background = juce::LookAndFeel::getDefaultLookAndFeel().findColour (juce::ResizableWindow::backgroundColourId);

    window = std::make_unique<StandaloneWindow> (getApplicationName(), background, properties.getUserSettings(), false,
                                                 juce::String(), nullptr,
                                                 juce::Array<juce::StandalonePluginHolder::PluginInOuts> (channels, juce::numElementsInArray (channels)));
    window->setVisible (true);

    // Docks match the window to the desktop entry by its class and show this icon.
    const auto icon = juce::ImageCache::getFromMemory (VelmoraIcon::velmora_128_png, VelmoraIcon::velmora_128_pngSize);
    window->setIcon (icon);
    if (auto* peer = window->getPeer())
        peer->setIcon (icon);
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
