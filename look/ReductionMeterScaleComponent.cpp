#include "ReductionMeterScaleComponent.h"

#include "ParameterTable.h"
#include "ReductionMeterComponent.h"

namespace
{
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
    // The next range of the parameter's four, after the widest the narrowest again.
    const auto& scales = parameterTable[meterScaleIndex];
    meterScale = scales.choices[(choiceIndex (meterScaleIndex, meterScale) + 1) % scales.numChoices].value;
    repaint();
}

void ReductionMeterScaleComponent::paintButton (juce::Graphics& g, bool, bool)
{
    if (! isVisible())
        return;

    // Rows are 5 px apart, so a label every 4 rows stands 20 px (one major step) apart;
    // the scale starts 5 px above the meter, which puts label k level with k dB.
    const auto dbPerRow = 0.5f / ReductionMeterComponent::rangeFactor (meterScale);
    const auto tickColour = findColour (tickColourId);
    const auto labelColour = findColour (labelColourId);

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
