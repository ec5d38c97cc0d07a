#include "Artwork.h"
#include "BetterSlider.h"
#include "EditorTestSupport.h"

using namespace editortest;

TEST (BetterSliderTest, ShowsTheTextFunctionsTextOrTwoDecimals)
{
    BetterSlider slider ("slider");
    EXPECT_EQ (slider.getTextFromValue (0.5), "0.50");

    slider.valueToTextFunction = parameterTable[releaseRmsIndex].toText;
    EXPECT_EQ (slider.getTextFromValue (0.4174), "150 ms");
    EXPECT_EQ (slider.getTextFromValue (0.7943), "1.0 s");

    slider.valueToTextFunction = [] (double, juce::String&) {};
    EXPECT_EQ (slider.getTextFromValue (0.5), "");
}

namespace
{
struct LedTest : ComponentTest
{
    LedTest() { led.setVisible (true); }

    juce::Colour centre (float brightness, int colourIndex = 0)
    {
        led.brightness = brightness;
        led.colourIndex = colourIndex;
        return render (led).getPixelAt (11, 11);
    }

    LEDComponent led { "peakled" };
};
} // namespace

TEST_F (LedTest, BlendsTheLitFrameOverTheUnlitOneAtItsBrightness)
{
    const auto lit = Artwork::ledBlue().getPixelAt (11, 11);
    const auto unlit = Artwork::ledBlue().getPixelAt (11, 34);
    ASSERT_NE (lit, unlit);

    EXPECT_EQ (centre (0.0f), unlit);
    EXPECT_EQ (centre (-1.0f), unlit);
    EXPECT_EQ (centre (1.0f), lit);

    const auto half = centre (0.5f);
    EXPECT_NEAR (half.getRed(), (lit.getRed() + unlit.getRed()) / 2, 2);
    EXPECT_NEAR (half.getGreen(), (lit.getGreen() + unlit.getGreen()) / 2, 2);
    EXPECT_NEAR (half.getBlue(), (lit.getBlue() + unlit.getBlue()) / 2, 2);
}

TEST_F (LedTest, ColourIndexOneIsRed)
{
    const auto blue = centre (1.0f, 0);
    const auto red = centre (1.0f, 1);
    EXPECT_GT (blue.getBlue(), blue.getRed());
    EXPECT_GT (red.getRed(), red.getBlue());
    EXPECT_EQ (red, Artwork::ledRed().getPixelAt (11, 11));
}

TEST_F (ComponentTest, InfoPanelDrawsTextOnlyWhenShownAndHasNoBackground)
{
    InfoScreenComponent info ("infoScreen");
    EXPECT_EQ (info.getBounds(), juce::Rectangle<int> (0, 0, 200, 132));
    EXPECT_EQ (info.linkButton.getBounds(), juce::Rectangle<int> (5, 76, 145, 24));
    EXPECT_EQ (info.linkButton.getButtonText(), ">> Halvorn");

    const auto whitePixels = [&info]
    {
        juce::Image image (juce::Image::ARGB, 200, 132, true);
        juce::Graphics g (image);
        info.paint (g);
        int count = 0;
        for (int y = 0; y < 20; ++y)
            for (int x = 0; x < 100; ++x)
                count += image.getPixelAt (x, y).getBrightness() > 0.9f && image.getPixelAt (x, y).getAlpha() > 200;
        return std::pair (count, image.getPixelAt (190, 120));
    };

    EXPECT_EQ (whitePixels().first, 0);

    info.setVisible (true);
    const auto [count, corner] = whitePixels();
    EXPECT_GT (count, 30);
    EXPECT_TRUE (isEmpty (corner));
}
