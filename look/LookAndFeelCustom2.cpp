#include "LookAndFeelCustom2.h"

#include "Artwork.h"
#include "ClassicColours.h"

LookAndFeelCustom2::LookAndFeelCustom2()
{
    using juce::Colour;

    applyClassicColours (*this);
    setColour (juce::PopupMenu::backgroundColourId, Colour (0xffeef5f8));
    setColour (juce::PopupMenu::highlightedBackgroundColourId, Colour (0xbfa4c2ce));
    setColour (juce::PopupMenu::highlightedTextColourId, Colour (0xff000000));
    setColour (juce::TextEditor::focusedOutlineColourId, findColour (juce::TextButton::buttonColourId));
    setColour (juce::Slider::backgroundColourId, Colour (0xff000000));
    setColour (juce::Slider::thumbColourId, Colour (0xff555555));

    // The value text, drawn on the box picture in place of a text box.
    setColour (juce::Slider::textBoxTextColourId, Colour (0xffffffff));
}

LookAndFeelCustom2::~LookAndFeelCustom2() = default;

void LookAndFeelCustom2::drawRotarySlider (juce::Graphics& g, int, int, int width, int height, float, float,
                                           float, juce::Slider& slider)
{
    g.setColour (slider.findColour (juce::Slider::textBoxTextColourId));
    const auto density = Artwork::densityFor (g);
    Artwork::drawAt (g, Artwork::box55 (density), density, 0, 0);
    g.setFont (juce::Font ("Arial", 12.0f, juce::Font::plain));
    g.drawFittedText (slider.getTextFromValue (slider.getValue()), 0, 0, width, height,
                      juce::Justification::centred, 1, 0.5f);
}

juce::ImageEffectFilter* LookAndFeelCustom2::getSliderEffect (juce::Slider&)
{
    return nullptr;
}
