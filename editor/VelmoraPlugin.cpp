#include "VelmoraPlugin.h"

#include "CorvaneAudioProcessorEditor.h"

juce::AudioProcessorEditor* VelmoraPlugin::createEditor()
{
    return new CorvaneAudioProcessorEditor (*this);
}

bool VelmoraPlugin::hasEditor() const
{
    return true;
}

//==============================================================================
juce::AudioProcessor* JUCE_CALLTYPE createPluginFilter()
{
    return new (std::nothrow) VelmoraPlugin();
}
