#include "Artwork.h"
#include "BetterSlider.h"
#include "EditorLayout.h"
#include "EdgeSteepness.h"
#include "EditorTestSupport.h"

#include <cstdio>
#include <limits>

using namespace editortest;

namespace
{
/** A component drawn on its own at `scale` device pixels per logical pixel, as a scaled
    desktop draws it. */
juce::Image renderAt (juce::Component& component, float scale)
{
    juce::Image image (juce::Image::ARGB, juce::roundToInt ((float) component.getWidth() * scale),
                       juce::roundToInt ((float) component.getHeight() * scale), true);
    juce::Graphics g (image);
    g.addTransform (juce::AffineTransform::scale (scale));
    component.paintEntireComponent (g, false);
    return image;
}

/** A whole picture, or the part `source` (in logical pixels) of it, drawn the plain way
    at `scale`: what the component under test should match. */
juce::Image expected (const juce::Image& picture, int density, juce::Rectangle<int> source, float scale,
                      juce::Point<int> offset = {})
{
    juce::Image image (juce::Image::ARGB, juce::roundToInt ((float) source.getWidth() * scale),
                       juce::roundToInt ((float) source.getHeight() * scale), true);
    juce::Graphics g (image);
    g.addTransform (juce::AffineTransform::scale (scale));
    const auto s = source * density;
    g.drawImage (picture, offset.x, offset.y, source.getWidth(), source.getHeight(), s.getX(), s.getY(),
                 s.getWidth(), s.getHeight());
    return image;
}

int differingPixels (const juce::Image& a, const juce::Image& b)
{
    if (a.getBounds() != b.getBounds())
        return std::numeric_limits<int>::max();

    int count = 0;
    for (int y = 0; y < a.getHeight(); ++y)
        for (int x = 0; x < a.getWidth(); ++x)
            count += a.getPixelAt (x, y) != b.getPixelAt (x, y) ? 1 : 0;
    return count;
}

/** The density tests, run at scale 1 (the 1x pictures) and 2 (the 2x ones). */
struct PictureSiteTest : ComponentTest, testing::WithParamInterface<int>
{
    int density() const { return GetParam(); }
    float scale() const { return (float) GetParam(); }

    /** How many pixels of the component drawn at the test's scale differ from the part
        `source` of a picture drawn at `offset`. */
    int pixelsOffPicture (juce::Component& component, const juce::Image& picture, juce::Rectangle<int> source,
                          juce::Point<int> offset = {}) const
    {
        return differingPixels (renderAt (component, scale()), expected (picture, density(), source, scale(), offset));
    }
};

struct EditorScaleTest : testing::Test
{
    EditorScaleTest() { host.addAndMakeVisible (editor); }

    /** The editor as a host's content scale shows it: scaled inside its host's window. */
    juce::Image renderInHost (float scale)
    {
        editor.setScaleFactor (scale);
        host.setSize (editor.getBoundsInParent().getWidth(), editor.getBoundsInParent().getHeight());
        return renderAt (host, 1.0f);
    }

    juce::ScopedJuceInitialiser_GUI gui;
    CorvaneAudioProcessor processor;
    CorvaneAudioProcessorEditor editor { processor };
    juce::Component host;
};

std::string scaleName (const testing::TestParamInfo<int>& test)
{
    return "Scale" + std::to_string (test.param);
}

// Where the editor shows a caption of the panel, a knob and a button, in logical pixels.
const juce::Rectangle<int> thresholdCaption { 89, 15, 80, 11 };
const juce::Rectangle<int> thresholdKnob { 94, 28, 70, 70 };
} // namespace

TEST (ArtworkTest, EveryPictureComesAtTwiceItsPixelsUnderTheSameRole)
{
    juce::ScopedJuceInitialiser_GUI gui;

    for (const auto picture : Artwork::everyPicture)
    {
        const auto normal = picture (1);
        const auto sharp = picture (2);
        ASSERT_TRUE (normal.isValid());
        EXPECT_EQ (sharp.getWidth(), 2 * normal.getWidth());
        EXPECT_EQ (sharp.getHeight(), 2 * normal.getHeight());
        EXPECT_EQ (Artwork::atDensity (normal, 2), sharp);
        EXPECT_EQ (Artwork::atDensity (normal, 1), normal);
    }

    EXPECT_EQ (Artwork::panelBackground (2).getBounds(), juce::Rectangle<int> (1434, 514));
    EXPECT_EQ (Artwork::largeKnobStrip (2).getBounds(), juce::Rectangle<int> (140, 14000));
    EXPECT_EQ (Artwork::smallKnobStrip (2).getBounds(), juce::Rectangle<int> (100, 10000));

    const juce::Image stranger (juce::Image::ARGB, 4, 4, true);
    EXPECT_EQ (Artwork::atDensity (stranger, 2), stranger);
}

TEST (ArtworkTest, OnlyAScaleAboveOneTakesTheSharpPictures)
{
    const struct
    {
        float scale;
        int density;
    } cases[] { { std::numeric_limits<float>::quiet_NaN(), 1 }, { -2.0f, 1 }, { 0.0f, 1 }, { 0.5f, 1 }, { 1.0f, 1 },
                { 1.01f, 2 }, { 1.5f, 2 }, { 2.0f, 2 }, { 3.0f, 2 } };

    for (const auto& c : cases)
        EXPECT_EQ (Artwork::densityFor (c.scale), c.density) << c.scale;
}

TEST_P (PictureSiteTest, KnobsDrawTheirFrameFromTheStripOfTheDensity)
{
    BetterSlider slider ("knob");
    slider.setSliderStyle (juce::Slider::RotaryVerticalDrag);
    slider.setTextBoxStyle (juce::Slider::NoTextBox, true, 50, 16);
    slider.setRange (0.0, 1.0);
    slider.setValue (0.5, juce::dontSendNotification);
    slider.setBounds (0, 0, 70, 70);
    slider.setVisible (true);

    // Frame 50 of 100, one logical pixel left of the centre.
    EXPECT_EQ (pixelsOffPicture (slider, Artwork::largeKnobStrip (density()), { 0, 3500, 70, 70 }, { -1, 0 }), 0);

    slider.setBounds (0, 0, 50, 50);
    EXPECT_EQ (pixelsOffPicture (slider, Artwork::smallKnobStrip (density()), { 0, 2500, 50, 50 }, { -1, 0 }), 0);
}

TEST_P (PictureSiteTest, LedsButtonsAndBoxesDrawThePicturesOfTheDensity)
{
    LEDComponent led ("peakled");
    led.setVisible (true);
    EXPECT_EQ (pixelsOffPicture (led, Artwork::ledBlue (density()), { 0, 23, 23, 23 }), 0);

    juce::ImageButton button ("deltaButton");
    const auto clear = juce::Colours::transparentBlack;
    button.setImages (true, false, false, Artwork::deltaOff(), 1.0f, clear, Artwork::deltaOff(), 1.0f, clear,
                      Artwork::deltaOn(), 1.0f, clear, 0.5f);
    button.setVisible (true);
    ASSERT_EQ (button.getBounds(), juce::Rectangle<int> (58, 56));
    EXPECT_EQ (pixelsOffPicture (button, Artwork::deltaOff (density()), { 58, 56 }), 0);
    button.setToggleState (true, juce::dontSendNotification);
    EXPECT_EQ (pixelsOffPicture (button, Artwork::deltaOn (density()), { 58, 56 }), 0);

    // The boxes carry text; a point left of it shows the picture.
    juce::Label label;
    label.setColour (juce::Label::backgroundColourId, juce::Colour (0xff000000));
    label.setColour (juce::Label::outlineColourId, juce::Colours::transparentBlack);
    label.setBounds (0, 0, 50, 16);
    label.setVisible (true);
    EXPECT_EQ (renderAt (label, scale()).getPixelAt (2 * density(), 8 * density()),
               Artwork::box50 (density()).getPixelAt (2 * density(), 8 * density()));

    juce::ComboBox selector ("keyHPSlope");
    selector.setBounds (0, 0, 55, 21);
    selector.setVisible (true);
    EXPECT_EQ (renderAt (selector, scale()).getPixelAt (50 * density(), 10 * density()),
               Artwork::box55 (density()).getPixelAt (50 * density(), 10 * density()));
}

INSTANTIATE_TEST_SUITE_P (Densities, PictureSiteTest, testing::Values (1, 2), scaleName);

TEST_F (ComponentTest, AFractionalScaleDrawsTheSharpPicturesDownscaled)
{
    LEDComponent led ("peakled");
    led.setVisible (true);
    const auto drawn = renderAt (led, 1.5f);

    EXPECT_EQ (differingPixels (drawn, expected (Artwork::ledBlue (2), 2, { 0, 23, 23, 23 }, 1.5f)), 0);
    EXPECT_GT (differingPixels (drawn, expected (Artwork::ledBlue (1), 1, { 0, 23, 23, 23 }, 1.5f)), 0);
}

TEST_F (EditorScaleTest, AHostScaleOutsideZeroToFourCountsAsOne)
{
    const struct
    {
        float scale;
        float applied;
    } cases[] { { 2.0f, 2.0f }, { 0.0f, 1.0f }, { 1.5f, 1.5f }, { -2.0f, 1.0f }, { 4.0f, 4.0f },
                { std::numeric_limits<float>::quiet_NaN(), 1.0f }, { 4.5f, 1.0f },
                { std::numeric_limits<float>::infinity(), 1.0f }, { 1.0f, 1.0f } };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.scale);
        editor.setScaleFactor (c.scale);
        EXPECT_EQ (editor.getTransform(), juce::AffineTransform::scale (c.applied));
        EXPECT_EQ (editor.getBounds(), juce::Rectangle<int> (EditorLayout::width, EditorLayout::height));
    }
}

TEST_F (EditorScaleTest, AtScaleOneThePanelShowsItsOwnPixelsAndAtTwoTheSharpOnes)
{
    for (const auto density : { 1, 2 })
    {
        SCOPED_TRACE (density);
        const auto shown = renderInHost ((float) density).getClippedImage (thresholdCaption * density);
        const auto panel = Artwork::panelBackground (density).getClippedImage (thresholdCaption * density);
        EXPECT_EQ (differingPixels (shown, panel), 0);
    }

    // A scaled desktop draws the editor the same way as a host's content scale.
    EXPECT_EQ (differingPixels (renderInHost (2.0f), renderAt (editor, 2.0f)), 0);
}

TEST_F (EditorScaleTest, AtTwiceTheScaleEdgesAreSharperThanThe1xEditorStretched)
{
    const auto sharp = renderInHost (2.0f);
    const auto stretched = renderInHost (1.0f).rescaled (sharp.getWidth(), sharp.getHeight(),
                                                          juce::Graphics::mediumResamplingQuality);

    const struct
    {
        const char* name;
        juce::Rectangle<int> area;
    } sites[] { { "caption", thresholdCaption }, { "knob", thresholdKnob }, { "delta key", EditorLayout::delta },
                { "lever switch", EditorLayout::peakRatio } };

    for (const auto& site : sites)
    {
        SCOPED_TRACE (site.name);
        const auto ratio = edges::steepness (sharp, site.area * 2) / edges::steepness (stretched, site.area * 2);
        std::printf ("edge steepness at 2x over the stretched 1x editor, %s: %.2f\n", site.name, ratio);
        EXPECT_GT (ratio, 1.4);
    }
}
