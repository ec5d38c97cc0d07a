#include "EditorTestSupport.h"

using namespace editortest;

namespace
{
struct TransferTest : ComponentTest
{
    TransferTest()
    {
        // A plain 2:1 compressor at -20 dB, hard knee, no makeup, dry path off.
        display.thresholdDb = -20.0f;
        display.ratioFactor = 0.5f;
        display.kneeDb = 0.0f;
        display.crestDb = 0.0f;
        display.makeupDb = 0.0f;
        display.outGainDb = 0.0f;
        display.dryAttenuationDb = 180.0f;
        display.peakRatioSwitch = 0.0f;
        display.setVisible (true);
    }

    int countPixels (const juce::Image& image, juce::Rectangle<int> area, bool (*test) (juce::Colour))
    {
        int count = 0;
        for (int y = area.getY(); y < area.getBottom(); ++y)
            for (int x = area.getX(); x < area.getRight(); ++x)
                count += test (image.getPixelAt (x, y)) ? 1 : 0;
        return count;
    }

    TranferFunctionComponent display { "transferFunction" };
};

bool isThresholdRed (juce::Colour c)
{
    return c.getAlpha() > 200 && c.getRed() > 200 && c.getGreen() < 60;
}

bool isReadoutBlue (juce::Colour c)
{
    return c.getAlpha() > 100 && c.getBlue() > 150;
}
} // namespace

TEST_F (TransferTest, CurveRowsFollowThePathThatReducesMore)
{
    EXPECT_FLOAT_EQ (display.mainRow (129), 20.5f);
    EXPECT_FLOAT_EQ (display.peakRow (129), 35.125f);
    EXPECT_FLOAT_EQ (display.mainRow (50), 80.0f);

    // Column x draws the segment towards column x + 1.
    const auto image = render (display);
    EXPECT_TRUE (isOpaqueBlue (image.getPixelAt (128, 35)));
    EXPECT_TRUE (isEmpty (image.getPixelAt (128, 21)));
    EXPECT_TRUE (isOpaqueBlue (image.getPixelAt (50, 79)));
    EXPECT_TRUE (isEmpty (image.getPixelAt (50, 70)));
}

TEST_F (TransferTest, PeakPathUsesTheMainRatioOnlyAboveHalf)
{
    display.peakRatioSwitch = 0.5f;
    EXPECT_FLOAT_EQ (display.peakRow (129), 35.125f);

    display.peakRatioSwitch = 1.0f;
    EXPECT_FLOAT_EQ (display.peakRow (129), display.mainRow (129));
    const auto image = render (display);
    EXPECT_TRUE (isOpaqueBlue (image.getPixelAt (128, 20)));
    EXPECT_TRUE (isEmpty (image.getPixelAt (128, 35)));
}

TEST_F (TransferTest, ThresholdLineAndTheLowerHalfOfTheKnee)
{
    auto image = render (display);
    EXPECT_TRUE (isThresholdRed (image.getPixelAt (10, 40)));
    EXPECT_TRUE (isEmpty (image.getPixelAt (10, 45)));

    display.kneeDb = 10.0f;
    image = render (display);
    EXPECT_TRUE (isThresholdRed (image.getPixelAt (10, 40)));
    EXPECT_NEAR (image.getPixelAt (10, 50).getAlpha(), 30, 2);
    EXPECT_NEAR (image.getPixelAt (10, 59).getAlpha(), 30, 2);
    EXPECT_TRUE (isEmpty (image.getPixelAt (10, 61)));

    // Makeup moves the line by 2 px per dB.
    display.kneeDb = 0.0f;
    display.makeupDb = 5.0f;
    EXPECT_TRUE (isThresholdRed (render (display).getPixelAt (10, 30)));
}

TEST_F (TransferTest, ReadoutOnlyWhileTheDryPathIsAudible)
{
    const juce::Rectangle<int> readoutArea { 40, 116, 90, 14 };
    EXPECT_EQ (countPixels (render (display), readoutArea, isReadoutBlue), 0);

    display.dryAttenuationDb = 0.0f;   // equal dry and wet: 50 % each
    EXPECT_NEAR (display.mainRow (50), 80.0f - 12.04f, 0.01f);
    EXPECT_GT (countPixels (render (display), readoutArea, isReadoutBlue), 40);
}
