#include "LEDComponent.h"

#include "Artwork.h"

LEDComponent::LEDComponent (const juce::String& name)
    : juce::Component (name)
{
    setSize (size, size);
}

LEDComponent::~LEDComponent() = default;

void LEDComponent::paint (juce::Graphics& g)
{
    if (! isVisible())
        return;

    // Lit frame on top of the picture, unlit frame below it.
    const auto picture = colourIndex == 0 ? Artwork::ledBlue() : Artwork::ledRed();
    g.drawImage (picture, 0, 0, size, size, 0, size, size, size);

    if (! (brightness > 0.0f))
        return;

    g.setOpacity (brightness);
    g.drawImage (picture, 0, 0, size, size, 0, 0, size, size);
    g.setOpacity (1.0f);
}
