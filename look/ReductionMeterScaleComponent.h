#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

/** Tick marks and dB labels beside the reduction meter. A click steps the range. */
class ReductionMeterScaleComponent : public juce::Button
{
public:
    explicit ReductionMeterScaleComponent (const juce::String& name);
    ~ReductionMeterScaleComponent() override;

    /** Steps to the next range, 6 → 12 → 24 → 48 → 6 dB, and repaints. */
    void cycleScale();

    float meterScale = 0.0f;

    /** The scale's colours, set by the look-and-feel. */
    enum ColourIds
    {
        tickColourId = 0x7e00300,
        labelColourId = 0x7e00301,
    };

private:
    void paintButton (juce::Graphics& g, bool isMouseOverButton, bool isButtonDown) override;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (ReductionMeterScaleComponent)
};
