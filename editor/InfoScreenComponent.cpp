#include "InfoScreenComponent.h"

namespace
{
const char* const versionText = "2.0.0 beta 5";
const char* const creditText = "DSP and interface: Halvorn audio team";
}

InfoScreenComponent::InfoScreenComponent (const juce::String& name)
    : juce::Component (name)
{
    linkButton.setName ("linkButton");
    linkButton.setFont (juce::Font ("Arial", 11.0f, juce::Font::bold), false, juce::Justification::centredLeft);
    linkButton.setURL (juce::URL (webAddress));
    linkButton.setButtonText (">> Halvorn");
    linkButton.setTooltip (webAddress);
    linkButton.setBounds (5, 76, 145, 24);
    addAndMakeVisible (linkButton);

    setSize (200, 132);
}

InfoScreenComponent::~InfoScreenComponent() = default;

void InfoScreenComponent::paint (juce::Graphics& g)
{
    if (! isVisible())
        return;

    g.setColour (findColour (titleColourId));
    g.setFont (juce::Font ("Arial", 15.0f, juce::Font::bold));
    g.drawSingleLineText ("VELMORA", 5, 17, juce::Justification::left);

    g.setFont (juce::Font ("Arial", 11.0f, juce::Font::plain));
    g.setColour (findColour (textColourId));
    g.drawMultiLineText (juce::String ("Version: ") + versionText + "\n\n" + creditText
                             + "\n\nManual, news and updates:",
                         5, 30, 190);
}
