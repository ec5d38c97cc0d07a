#include "ReductionMeterComponent.h"

namespace
{
const juce::Colour heldColour { 0x320582ff };
const juce::Colour currentColour { 0xff0582ff };
const juce::Colour overRangeColour { 0xffff1400 };
}

ReductionMeterComponent::ReductionMeterComponent (const juce::String& name)
    : juce::Button (name)
{
    setSize (width, height);
}

ReductionMeterComponent::~ReductionMeterComponent() = default;

float ReductionMeterComponent::rangeFactor (float scale) noexcept
{
    if (scale < 0.25f)
        return 2.0f;
    if (scale < 0.5f)
        return 1.0f;
    if (scale < 0.75f)
        return 0.5f;
    return 0.25f;
}

void ReductionMeterComponent::paintButton (juce::Graphics& g, bool, bool)
{
    if (! isVisible())
        return;

    const auto pixelsPerDb = rangeFactor (meterScale) * 10.0f;
    const auto heldHeight = heldReductionDb * pixelsPerDb;

    g.setColour (heldColour);
    g.fillRoundedRectangle (0.0f, 0.0f, (float) width, heldHeight, 1.0f);
    g.setColour (currentColour);
    g.fillRoundedRectangle (0.0f, 0.0f, (float) width, currentReductionDb * pixelsPerDb, 1.0f);

    if (heldHeight > (float) height)
    {
        g.setColour (overRangeColour);
        g.fillRoundedRectangle (0.0f, (float) height - 2.0f, (float) width, 2.0f, 1.0f);
    }
}
