#include "ReductionMeterComponent.h"

#include "ParameterTable.h"

ReductionMeterComponent::ReductionMeterComponent (const juce::String& name)
    : juce::Button (name)
{
    setSize (width, height);
}

ReductionMeterComponent::~ReductionMeterComponent() = default;

float ReductionMeterComponent::rangeFactor (float scale) noexcept
{
    // Each of the parameter's ranges, 6 to 48 dB, halves the pixels per dB.
    return 2.0f / static_cast<float> (1 << choiceIndex (meterScaleIndex, scale));
}

void ReductionMeterComponent::paintButton (juce::Graphics& g, bool, bool)
{
    if (! isVisible())
        return;

    const auto pixelsPerDb = rangeFactor (meterScale) * 10.0f;
    const auto heldHeight = heldReductionDb * pixelsPerDb;

    g.setColour (findColour (heldBarColourId));
    g.fillRoundedRectangle (0.0f, 0.0f, (float) width, heldHeight, 1.0f);
    g.setColour (findColour (currentBarColourId));
    g.fillRoundedRectangle (0.0f, 0.0f, (float) width, currentReductionDb * pixelsPerDb, 1.0f);

    if (heldHeight > (float) height)
    {
        g.setColour (findColour (overRangeColourId));
        g.fillRoundedRectangle (0.0f, (float) height - 2.0f, (float) width, 2.0f, 1.0f);
    }
}
