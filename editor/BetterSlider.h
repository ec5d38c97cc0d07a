#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

#include "ParameterTable.h"

/** A slider whose text is made by one of the parameter text functions, so a control
    shows exactly what the host shows for its parameter. */
class BetterSlider : public juce::Slider
{
public:
    explicit BetterSlider (const juce::String& name);
    ~BetterSlider() override;

    juce::String getTextFromValue (double value) override;

    /** Null shows the plain value with two decimals. */
    ValueToTextFunction valueToTextFunction = nullptr;

private:
    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (BetterSlider)
};
