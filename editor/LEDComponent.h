#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

/** A 23 × 23 activity light: the lit picture blended over the unlit one at
    `brightness`. The editor writes the fields and repaints. */
class LEDComponent : public juce::Component
{
public:
    explicit LEDComponent (const juce::String& name);
    ~LEDComponent() override;

    void paint (juce::Graphics& g) override;

    float brightness = 0.0f;
    int colourIndex = 0;   // 0 blue, any other value red

    static constexpr int size = 23;

private:
    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (LEDComponent)
};
