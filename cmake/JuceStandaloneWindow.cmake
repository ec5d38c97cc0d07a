# JUCE's standalone window, copied with two changes: it includes its utility header
# through the module path (the copy lives in the build folder), and the banner saying
# that the audio input is muted shows only while the audio device has inputs to mute,
# following the device as the user changes it, and says so when there is no device. Only the standalone application's own
# window code includes the copy; JUCE's own standalone application is not built.
include(${CMAKE_CURRENT_LIST_DIR}/PatchFile.cmake)

set(VELMORA_STANDALONE_WINDOW_DIR "${CMAKE_BINARY_DIR}/juce-standalone")

velmora_patch_file("${JUCE_MODULES_DIR}/juce_audio_plugin_client/Standalone/juce_StandaloneFilterWindow.h"
    "${VELMORA_STANDALONE_WINDOW_DIR}/juce_StandaloneFilterWindow.h"
    "#include \"../utility/juce_CreatePluginFilter.h\""
    "#include \"juce_audio_plugin_client/utility/juce_CreatePluginFilter.h\""
    [=[    class MainContentComponent  : public Component,
                                  private Value::Listener,]=]
    [=[    class MainContentComponent  : public Component,
                                  private Value::Listener,
                                  private ChangeListener,]=]
    [=[                inputMutedValue.addListener (this);
                shouldShowNotification = inputMutedValue.getValue();
            }

            inputMutedChanged (shouldShowNotification);
        }

        ~MainContentComponent() override
        {]=]
    [=[                inputMutedValue.addListener (this);
                owner.getDeviceManager().addChangeListener (this);
            }

            inputMutedChanged (inputMutedValue.getValue());
        }

        ~MainContentComponent() override
        {
            owner.getDeviceManager().removeChangeListener (this);
]=]
    [=[            shouldShowNotification = newInputMutedValue;]=]
    [=[            const auto* device = owner.getDeviceManager().getCurrentAudioDevice();
            // Without a device the window says so too, where the muted input is shown.
            shouldShowNotification = device == nullptr
                                     || (newInputMutedValue && owner.pluginHolder->getProcessorHasPotentialFeedbackLoop()
                                         && ! device->getActiveInputChannels().isZero());
            notification.showNoDevice (device == nullptr);]=]
    [=[        private:
            Label notification;
            TextButton settingsButton;]=]
    [=[            void showNoDevice (bool noDevice)
            {
                notification.setText (noDevice ? "No audio device: choose one in Settings..."
                                               : "Audio input is muted to avoid feedback loop",
                                      dontSendNotification);
            }

        private:
            Label notification;
            TextButton settingsButton;]=]
    [=[        void valueChanged (Value& value) override     { inputMutedChanged (value.getValue()); }]=]
    [=[        void valueChanged (Value& value) override     { inputMutedChanged (value.getValue()); }
        void changeListenerCallback (ChangeBroadcaster*) override { inputMutedChanged (inputMutedValue.getValue()); }]=])
