#include "ReductionMeterScaleComponent.h"

#include "ReductionMeterComponent.h"

namespace
{
const juce::Colour tickColour { 0xff555555 };
const juce::Colour labelColour { 0xffffffff };
constexpr int numRows = 34;
}

ReductionMeterScaleComponent::ReductionMeterScaleComponent (const juce::String& name)
    : juce::Button (name)
{
    setSize (25, 130);
}

ReductionMeterScaleComponent::~ReductionMeterScaleComponent() = default;

void ReductionMeterScaleComponent::cycleScale()
{
    if (meterScale < 0.25f)
        meterScale = 0.25f;
    else if (meterScale < 0.5f)
        meterScale = 0.5f;
    else if (meterScale < 0.75f)
        meterScale = 0.75f;
    else
        meterScale = 0.0f;

    repaint();
}

void ReductionMeterScaleComponent::paintButton (juce::Graphics& g, bool, bool)
{
    if (! isVisible())
        return;

    // Rows are 5 px apart, so a label every 4 rows stands 20 px (one major step) apart;
    // the scale starts 5 px above the meter, which puts label k level with k dB.
    const auto dbPerRow = 0.5f / ReductionMeterComponent::rangeFactor (meterScale);

    for (int i = 0; i < numRows; ++i)
    {
        const auto y = 5 + 5 * i;
        g.setColour (tickColour);

        if (i % 4 != 0)
        {
            g.drawRect (24, y, 1, 1, 1);
            continue;
        }

        g.drawRect (22, y, 3, 1, 1);
        g.setColour (labelColour);
        g.setFont (juce::Font ("Arial", 11.5f, juce::Font::plain));
        g.drawSingleLineText (juce::String (juce::roundToInt ((float) i * dbPerRow)), 17, y + 4,
                              juce::Justification::right);
    }
}
