#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

/** The editor's main look: film-strip knobs, value labels and the selector on small
    background pictures, and a black popup menu without shadow. Control types the
    editor never shows keep the classic flat drawing of the base.

    It also answers for the "Arial" typeface, which Linux systems lack: the
    metric-compatible Liberation Sans takes its place, so texts keep their widths. */
class LookAndFeelCustom : public juce::LookAndFeel_V1
{
public:
    LookAndFeelCustom();
    ~LookAndFeelCustom() override;

    juce::Typeface::Ptr getTypefaceForFont (const juce::Font& font) override;

    juce::ImageEffectFilter* getScrollbarEffect() override;

    void drawPopupMenuBackground (juce::Graphics& g, int width, int height) override;
    juce::Font getPopupMenuFont() override;

    void drawComboBox (juce::Graphics& g, int width, int height, bool isButtonDown,
                       int buttonX, int buttonY, int buttonW, int buttonH, juce::ComboBox& box) override;
    juce::Font getComboBoxFont (juce::ComboBox& box) override;
    void positionComboBoxText (juce::ComboBox& box, juce::Label& label) override;

    void drawLabel (juce::Graphics& g, juce::Label& label) override;

    void drawRotarySlider (juce::Graphics& g, int x, int y, int width, int height, float sliderPos,
                           float rotaryStartAngle, float rotaryEndAngle, juce::Slider& slider) override;

    void drawImageButton (juce::Graphics& g, juce::Image* image, int imageX, int imageY, int imageW, int imageH,
                          const juce::Colour& overlayColour, float imageOpacity, juce::ImageButton& button) override;

    /** None: the classic base would give every slider a drop shadow. */
    juce::ImageEffectFilter* getSliderEffect (juce::Slider&) override;
    juce::Label* createSliderTextBox (juce::Slider& slider) override;

    std::unique_ptr<juce::DropShadower> createDropShadowerForComponent (juce::Component&) override;

    /** The film-strip frame for a value: 0 only at the minimum, the last at the maximum. */
    static int frameIndex (double proportion, int numFrames);

private:
    /** The colours of the transfer display, the meter, its scale and the info panel. */
    void setDisplayColours();

    juce::DropShadowEffect scrollbarShadow;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (LookAndFeelCustom)
};
