#include "EditorTestSupport.h"

#include "ControlAttachment.h"

using namespace editortest;

// Under VST3 a host hears list positions, while programs and the engine keep the value
// the editor writes; the refresh then shows the stored value without a word to the host.
TEST (ControlAttachment, StoresTheEditorsValueAndTellsAListHostItsPosition)
{
    juce::ScopedJuceInitialiser_GUI gui;
    juce::AudioProcessor::setTypeOfNextNewPlugin (juce::AudioProcessor::wrapperType_VST3);
    CorvaneAudioProcessor processor;
    juce::AudioProcessor::setTypeOfNextNewPlugin (juce::AudioProcessor::wrapperType_Undefined);
    NotificationLog log;
    processor.addListener (&log);

    juce::ComboBox selector;
    for (const auto* item : { "a", "b", "c", "d" })
        selector.addItem (item, selector.getNumItems() + 1);
    juce::TextButton button;

    ControlAttachment slope (*processor.parameter (keyHpSlopeIndex), selector);
    ControlAttachment quality (*processor.parameter (qualityIndex), button);
    selector.setSelectedItemIndex (2, juce::sendNotificationSync);
    button.setToggleState (true, juce::sendNotificationSync);

    EXPECT_EQ (processor.getParameter (keyHpSlopeIndex), 0.2f);
    EXPECT_EQ (processor.getParameter (qualityIndex), 1.0f);
    ASSERT_EQ (log.notifications.size(), 2u);
    EXPECT_FLOAT_EQ (log.notifications[0].value, 2.0f / 3.0f);
    EXPECT_EQ (log.notifications[1].value, 1.0f);

    processor.setParameter (keyHpSlopeIndex, 0.333f);
    processor.setParameter (qualityIndex, 0.5f);
    slope.refresh();
    quality.refresh();
    EXPECT_EQ (selector.getSelectedItemIndex(), 0) << "a value the selector never writes shows its first item";
    EXPECT_FALSE (button.getToggleState()) << "a switch is on only above 0.5";
    EXPECT_EQ (log.notifications.size(), 2u);
    processor.removeListener (&log);
}
