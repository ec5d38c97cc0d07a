#include "ClassicColours.h"

void applyClassicColours (juce::LookAndFeel& look)
{
    using juce::Colour;

    look.setColour (juce::TextButton::buttonColourId, Colour (0xffbbbbff));
    look.setColour (juce::ListBox::outlineColourId, look.findColour (juce::ComboBox::outlineColourId));
    look.setColour (juce::ScrollBar::thumbColourId, Colour (0xffbbbbdd));
    look.setColour (juce::ScrollBar::backgroundColourId, Colour (0x00000000));
    look.setColour (juce::Slider::thumbColourId, Colour (0xffffff00));
    look.setColour (juce::Slider::trackColourId, Colour (0x7f000000));
    look.setColour (juce::Slider::textBoxOutlineColourId, Colour (0xff008000));
    look.setColour (juce::ProgressBar::backgroundColourId, Colour (0xffffffff).withAlpha (0.6f));
    look.setColour (juce::ProgressBar::foregroundColourId, Colour (0xff008000).withAlpha (0.7f));
}
