#include "Artwork.h"
#include "BetterSlider.h"
#include "EditorTestSupport.h"

using namespace editortest;

namespace
{
struct KnobTest : ComponentTest
{
    /** The knob area as the slider draws it, with its 16 px text box below. */
    juce::Image drawKnob (double value, double maximum = 1.0, int width = 70)
    {
        BetterSlider slider ("knob");
        slider.setSliderStyle (juce::Slider::RotaryVerticalDrag);
        slider.setTextBoxStyle (juce::Slider::TextBoxBelow, true, 50, 16);
        slider.setRange (0.0, maximum);
        slider.setValue (value, juce::dontSendNotification);
        slider.setBounds (0, 0, width, width + 16);
        slider.setVisible (true);
        return render (slider).getClippedImage ({ 0, 0, width, width });
    }

    /** Frame k of a strip, placed as the knob places it in a square area: one pixel left. */
    static juce::Image frame (int k, const juce::Image& strip = Artwork::largeKnobStrip())
    {
        const auto w = strip.getWidth();
        juce::Image image (juce::Image::ARGB, w, w, true);
        juce::Graphics g (image);
        g.drawImage (strip, -1, 0, w, w, 0, k * w, w, w);
        return image;
    }

    static int differingPixels (const juce::Image& a, const juce::Image& b)
    {
        int count = 0;
        for (int y = 0; y < a.getHeight(); ++y)
            for (int x = 0; x < a.getWidth(); ++x)
                count += a.getPixelAt (x, y) != b.getPixelAt (x, y) ? 1 : 0;
        return count;
    }
};
} // namespace

TEST_F (KnobTest, PicksTheFilmStripFrameFromTheValue)
{
    const struct
    {
        double value;
        int frame;
    } cases[] { { 0.0, 0 }, { 1.0e-6, 1 }, { 0.25, 25 }, { 0.5, 50 }, { 0.99, 99 }, { 1.0, 99 } };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.value);
        const auto knob = drawKnob (c.value);
        EXPECT_EQ (differingPixels (knob, frame (c.frame)), 0);
        EXPECT_GT (differingPixels (knob, frame (c.frame == 0 ? 1 : c.frame - 1)), 0);
    }

    // The position is taken from the range, not from the value alone.
    EXPECT_EQ (differingPixels (drawKnob (1.0, 2.0), frame (50)), 0);

    // Any width but 70 takes the small strip.
    EXPECT_EQ (differingPixels (drawKnob (0.5, 1.0, 50), frame (50, Artwork::smallKnobStrip())), 0);
}

TEST_F (KnobTest, StripsHoldAHundredFramesWithThePointerSweepingTheArc)
{
    const auto large = Artwork::largeKnobStrip();
    const auto small = Artwork::smallKnobStrip();
    EXPECT_EQ (large.getBounds(), juce::Rectangle<int> (0, 0, 70, 7000));
    EXPECT_EQ (small.getBounds(), juce::Rectangle<int> (0, 0, 50, 5000));

    // The pointer is the brightest part: bottom left at the minimum, top in the
    // middle, bottom right at the maximum.
    const auto brightestAt = [&large] (int k, int x, int y)
    {
        return large.getPixelAt (x, k * 70 + y).getBrightness() > 0.8f;
    };
    EXPECT_TRUE (brightestAt (0, 35 - 14, 35 + 14));
    EXPECT_TRUE (brightestAt (49, 35, 35 - 20) || brightestAt (50, 35, 35 - 20));
    EXPECT_TRUE (brightestAt (99, 35 + 14, 35 + 14));
}

TEST_F (ComponentTest, ArialTextUsesLiberationSansMetrics)
{
    const juce::String text ("Dry: 50% Wet: 50%");
    const auto width = juce::Font ("Arial", 11.5f, juce::Font::plain).getStringWidthFloat (text);
    EXPECT_GT (width, 10.0f);
    EXPECT_FLOAT_EQ (width, juce::Font ("Liberation Sans", 11.5f, juce::Font::plain).getStringWidthFloat (text));
}

TEST_F (ComponentTest, LabelsShowTheBoxPictureOnlyOnExactlyBlack)
{
    juce::Label label;
    label.setBounds (0, 0, 50, 16);
    label.setVisible (true);

    label.setColour (juce::Label::backgroundColourId, juce::Colour (0xff000001));
    label.setColour (juce::Label::outlineColourId, juce::Colours::transparentBlack);
    EXPECT_TRUE (isEmpty (render (label).getPixelAt (25, 8)));

    label.setColour (juce::Label::backgroundColourId, juce::Colour (0xff000000));
    EXPECT_EQ (render (label).getPixelAt (25, 8), Artwork::box50().getPixelAt (25, 8));
}

TEST_F (ComponentTest, ValueBoxDrawsTheBoxWithTheValueTextCentred)
{
    LookAndFeelCustom2 boxLook;
    BetterSlider box ("box");
    box.setLookAndFeel (&boxLook);
    box.setSliderStyle (juce::Slider::RotaryVerticalDrag);
    box.setTextBoxStyle (juce::Slider::NoTextBox, true, 50, 16);
    box.valueToTextFunction = parameterTable[outGainIndex].toText;
    box.setBounds (0, 0, 55, 21);
    box.setVisible (true);

    const auto image = render (box);
    int whiteInMiddle = 0;
    for (int y = 3; y < 18; ++y)
        for (int x = 10; x < 45; ++x)
            whiteInMiddle += image.getPixelAt (x, y).getBrightness() > 0.7f ? 1 : 0;

    EXPECT_GT (whiteInMiddle, 10);
    EXPECT_EQ (image.getPixelAt (1, 10), Artwork::box55().getPixelAt (1, 10));
    box.setLookAndFeel (nullptr);
}

TEST_F (ComponentTest, SelectorShowsItsBoxAndTextWithoutAnArrow)
{
    juce::ComboBox box ("keyHPSlope");
    box.setColour (juce::ComboBox::textColourId, juce::Colour (0xffffffff));
    box.addItem ("Off", 1);
    box.setSelectedId (1, juce::dontSendNotification);
    box.setBounds (0, 0, 55, 21);
    box.setVisible (true);

    const auto image = render (box);
    const auto picture = Artwork::box55();
    EXPECT_EQ (image.getPixelAt (50, 10), picture.getPixelAt (50, 10));   // where an arrow would be
    EXPECT_EQ (image.getPixelAt (2, 10), picture.getPixelAt (2, 10));

    int textPixels = 0;
    for (int y = 3; y < 18; ++y)
        for (int x = 3; x < 45; ++x)
            textPixels += image.getPixelAt (x, y).getBrightness() > 0.6f ? 1 : 0;
    EXPECT_GT (textPixels, 10);
}
