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
    const auto density = Artwork::densityFor (g);
    const auto picture = colourIndex == 0 ? Artwork::ledBlue (density) : Artwork::ledRed (density);
    const juce::Rectangle<int> area { size, size };
    Artwork::drawPart (g, picture, density, area, area.withY (size));

    if (! (brightness > 0.0f))
        return;

    g.setOpacity (brightness);
    Artwork::drawPart (g, picture, density, area, area);
    g.setOpacity (1.0f);
}
