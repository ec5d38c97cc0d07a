#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

/** Turns a rotary slider into a small value box: the box picture with the slider's
    value text on it. Dragging on the box still changes the value. */
class LookAndFeelCustom2 : public juce::LookAndFeel_V1
{
public:
    LookAndFeelCustom2();
    ~LookAndFeelCustom2() override;

    void drawRotarySlider (juce::Graphics& g, int x, int y, int width, int height, float sliderPos,
                           float rotaryStartAngle, float rotaryEndAngle, juce::Slider& slider) override;

    /** None: the classic base would give every slider a drop shadow. */
    juce::ImageEffectFilter* getSliderEffect (juce::Slider&) override;

private:
    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (LookAndFeelCustom2)
};
