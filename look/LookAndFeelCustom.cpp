#include "LookAndFeelCustom.h"

#include "Artwork.h"
#include "ClassicColours.h"
#include "InfoScreenComponent.h"
#include "ReductionMeterComponent.h"
#include "ReductionMeterScaleComponent.h"
#include "TranferFunctionComponent.h"

namespace
{
const juce::String arialName { "Arial" };
const juce::String arialReplacement { "Liberation Sans" };

/** A label with exactly this background shows the box picture instead. */
const juce::Colour boxPictureBackground { 0xff000000 };
}

LookAndFeelCustom::LookAndFeelCustom()
{
    using juce::Colour;

    applyClassicColours (*this);
    setColour (juce::PopupMenu::backgroundColourId, Colour (0xff000000));
    setColour (juce::PopupMenu::textColourId, Colour (0xffffffff));
    setColour (juce::PopupMenu::highlightedBackgroundColourId, Colour (0xff808080));
    setColour (juce::PopupMenu::highlightedTextColourId, Colour (0xffffffff));
    setColour (juce::ComboBox::backgroundColourId, Colour (0xff000000));
    setColour (juce::ComboBox::textColourId, Colour (0xffffffff));
    setColour (juce::ComboBox::buttonColourId, Colour (0xff555555));
    setColour (juce::ComboBox::outlineColourId, Colour (0xb2000000));

    // The knobs' value boxes: white text on the box picture, which a black background
    // selects, framed by a translucent black line.
    setColour (juce::Slider::textBoxTextColourId, Colour (0xffffffff));
    setColour (juce::Slider::textBoxBackgroundColourId, boxPictureBackground);
    setColour (juce::Slider::textBoxHighlightColourId, Colour (0xffffffff));
    setColour (juce::Slider::textBoxOutlineColourId, Colour (0xb2000000));

    setDisplayColours();

    scrollbarShadow.setShadowProperties (juce::DropShadow (juce::Colours::black.withAlpha (0.6f), 4, {}));
}

LookAndFeelCustom::~LookAndFeelCustom() = default;

void LookAndFeelCustom::setDisplayColours()
{
    using juce::Colour;

    // One blue for what the signal does (curve, bars, the link beside them), one red for
    // the limits it meets (threshold, over-range); their translucent shades show extent.
    const Colour blue { 0xff0582ff };
    const Colour red { 0xffff1400 };
    const auto faintBlue = blue.withAlpha ((juce::uint8) 50);

    setColour (TranferFunctionComponent::diagonalColourId, Colour (0xff012037));
    setColour (TranferFunctionComponent::peakCurveColourId, faintBlue);
    setColour (TranferFunctionComponent::curveColourId, blue);
    setColour (TranferFunctionComponent::thresholdColourId, red);
    setColour (TranferFunctionComponent::kneeColourId, red.withAlpha ((juce::uint8) 30));

    setColour (ReductionMeterComponent::heldBarColourId, faintBlue);
    setColour (ReductionMeterComponent::currentBarColourId, blue);
    setColour (ReductionMeterComponent::overRangeColourId, red);
    setColour (ReductionMeterScaleComponent::tickColourId, Colour (0xff555555));
    setColour (ReductionMeterScaleComponent::labelColourId, Colour (0xffffffff));

    setColour (InfoScreenComponent::titleColourId, juce::Colours::white);
    setColour (InfoScreenComponent::textColourId, juce::Colours::grey.brighter (2.0f));
    setColour (juce::HyperlinkButton::textColourId, blue);
}

juce::Typeface::Ptr LookAndFeelCustom::getTypefaceForFont (const juce::Font& font)
{
    if (font.getTypefaceName() != arialName)
        return LookAndFeel_V1::getTypefaceForFont (font);

    juce::Font replacement (font);
    replacement.setTypefaceName (arialReplacement);
    return LookAndFeel_V1::getTypefaceForFont (replacement);
}

juce::ImageEffectFilter* LookAndFeelCustom::getScrollbarEffect()
{
    return &scrollbarShadow;
}

void LookAndFeelCustom::drawPopupMenuBackground (juce::Graphics& g, int width, int height)
{
    g.fillAll (findColour (juce::PopupMenu::backgroundColourId));
    g.setColour (juce::Colour (0xff000000).withAlpha (0.6f));
    g.drawRect (0, 0, width, height);
}

juce::Font LookAndFeelCustom::getPopupMenuFont()
{
    return juce::Font (11.0f);
}

void LookAndFeelCustom::drawComboBox (juce::Graphics& g, int, int, bool, int, int, int, int, juce::ComboBox&)
{
    const auto density = Artwork::densityFor (g);
    Artwork::drawAt (g, Artwork::box55 (density), density, 0, 0);
}

juce::Font LookAndFeelCustom::getComboBoxFont (juce::ComboBox&)
{
    return juce::Font (12.0f);
}

void LookAndFeelCustom::positionComboBoxText (juce::ComboBox& box, juce::Label& label)
{
    label.setBounds (1, 1, box.getWidth() - 2, box.getHeight() - 2);
    label.setFont (getComboBoxFont (box));
}

void LookAndFeelCustom::drawLabel (juce::Graphics& g, juce::Label& label)
{
    if (label.findColour (juce::Label::backgroundColourId) == boxPictureBackground)
    {
        const auto density = Artwork::densityFor (g);
        Artwork::drawAt (g, Artwork::box50 (density), density, 0, 0);
    }

    if (! label.isBeingEdited())
    {
        const auto alpha = label.isEnabled() ? 1.0f : 0.5f;
        const auto font = label.getFont();
        const auto border = label.getBorderSize();
        const auto area = border.subtractedFrom (label.getLocalBounds());

        g.setColour (label.findColour (juce::Label::textColourId).withMultipliedAlpha (alpha));
        g.setFont (font);
        g.drawFittedText (label.getText(), area, label.getJustificationType(),
                          juce::jmax (1, (int) ((float) label.getHeight() / font.getHeight())),
                          label.getMinimumHorizontalScale());
        g.setColour (label.findColour (juce::Label::outlineColourId).withMultipliedAlpha (alpha));
    }
    else if (label.isEnabled())
    {
        g.setColour (label.findColour (juce::Label::outlineColourId));
    }
    else
    {
        return;
    }

    g.drawRect (label.getLocalBounds());
}

int LookAndFeelCustom::frameIndex (double proportion, int numFrames)
{
    return juce::jlimit (0, numFrames - 1, (int) std::ceil ((numFrames - 1) * proportion));
}

void LookAndFeelCustom::drawRotarySlider (juce::Graphics& g, int x, int y, int width, int height, float,
                                          float, float, juce::Slider& slider)
{
    // The position comes from the value itself, so a skewed range does not move the frame.
    // Frames are counted and cut in logical pixels, the same at either density.
    const auto density = Artwork::densityFor (g);
    const auto strip = width == 70 ? Artwork::largeKnobStrip (density) : Artwork::smallKnobStrip (density);
    const auto w = strip.getWidth() / density;
    const auto span = slider.getMaximum() - slider.getMinimum();

    if (! strip.isValid() || span <= 0.0)
        return;

    const auto k = frameIndex ((slider.getValue() - slider.getMinimum()) / span, strip.getHeight() / strip.getWidth());
    const auto r = juce::jmin ((float) width / 2.0f, (float) height / 2.0f);
    const auto cx = (float) x + (float) width / 2.0f;
    const auto cy = (float) y + (float) height / 2.0f;
    const auto side = 2 * (int) r;

    Artwork::drawPart (g, strip, density, { (int) (cx - r - 1.0f), (int) (cy - r), side, side }, { 0, k * w, w, w });
}

void LookAndFeelCustom::drawImageButton (juce::Graphics& g, juce::Image* image, int imageX, int imageY,
                                         int imageW, int imageH, const juce::Colour& overlayColour,
                                         float imageOpacity, juce::ImageButton& button)
{
    // The button keeps its 1x pictures, which fix its size and its hit test; the picture
    // of the context's density goes into the same rectangle.
    auto picture = Artwork::atDensity (*image, Artwork::densityFor (g));
    LookAndFeel_V1::drawImageButton (g, &picture, imageX, imageY, imageW, imageH, overlayColour, imageOpacity,
                                     button);
}

juce::Label* LookAndFeelCustom::createSliderTextBox (juce::Slider& slider)
{
    const auto isBar = slider.getSliderStyle() == juce::Slider::LinearBar;
    const auto textColour = slider.findColour (juce::Slider::textBoxTextColourId);
    const auto background = slider.findColour (juce::Slider::textBoxBackgroundColourId);
    const auto outline = slider.findColour (juce::Slider::textBoxOutlineColourId);

    auto* label = new juce::Label();
    label->setFont (juce::Font ("Arial", 12.0f, juce::Font::plain));
    label->setJustificationType (juce::Justification::centred);
    label->setColour (juce::Label::textColourId, textColour);
    label->setColour (juce::Label::backgroundColourId, isBar ? juce::Colour (0x00000000) : background);
    label->setColour (juce::Label::outlineColourId, outline);
    label->setColour (juce::TextEditor::textColourId, textColour);
    label->setColour (juce::TextEditor::backgroundColourId, background.withAlpha (isBar ? 0.7f : 1.0f));
    label->setColour (juce::TextEditor::outlineColourId, outline);
    return label;
}

std::unique_ptr<juce::DropShadower> LookAndFeelCustom::createDropShadowerForComponent (juce::Component&)
{
    return {};
}

juce::ImageEffectFilter* LookAndFeelCustom::getSliderEffect (juce::Slider&)
{
    return nullptr;
}
