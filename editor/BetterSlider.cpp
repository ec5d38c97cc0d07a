#include "BetterSlider.h"

#include "NumberText.h"

BetterSlider::BetterSlider (const juce::String& name)
    : juce::Slider (name)
{
}

BetterSlider::~BetterSlider() = default;

juce::String BetterSlider::getTextFromValue (double value)
{
    if (valueToTextFunction == nullptr)
        return writeWithDecimals (value, 2);

    juce::String text;
    valueToTextFunction (value, text);
    return text;
}
